// The start message's handler: the whole extraction, launch, wait and
// clean-up run inside it. Ends with the quit message; returns 1.
#pragma once

#include "platform/platform.h"

LRESULT on_start_message();
