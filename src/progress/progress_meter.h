// The progress meter: requested compressed bytes turn into a bar length in
// pixels, and even lengths repaint the progress window at once.
#pragma once

#include <cstdint>

// Running total of the bytes the decoder asked for, over both payloads;
// never reset. The meter supports totals below 2^31.
extern int32_t bytes_requested;

// Pixels per requested byte; set once when the extraction starts.
extern double progress_scale;

// Bar length in pixels; only grows. May pass 300 at the end of a run.
extern int32_t progress_value;

// The bar length for a number of requested bytes at the current scale:
// the product truncated toward zero.
int32_t progress_for(int32_t bytes);

// Recomputes the progress value; when it is even, repaints the progress
// window synchronously and handles one of its pending messages.
void refresh_progress();
