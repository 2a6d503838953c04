// A plain, step-by-step implode decoder for tests: every operation as the
// format's rules read, one bit consumption and one byte copy at a time, with
// all state kept in the work area. The real decoder merges consumptions and
// copies in wider moves for speed; tests compare the two on the same inputs
// (result, output, every callback and the final state of the work area).
#pragma once

#include "implode/implode_decoder.h"

namespace reference {

int implode_decode(implode_read_callback read_cb, implode_write_callback write_cb,
                   implode_work_area *w, void *param);

} // namespace reference
