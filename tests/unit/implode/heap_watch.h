// Follows the heap of the whole test program that links heap_watch.cpp:
// every allocation counted, and the bytes live now and at their peak.
// Through the sanitizer allocator's hooks when built with AddressSanitizer,
// otherwise by replacing the C allocation functions and the global
// operator new. A program that links it should hold nothing else that
// replaces them.
#pragma once

namespace heap_watch {

// True when the allocations are being followed.
bool installed();

long long allocations();
long long live_bytes();
long long peak_bytes();
// Starts a new peak from what is live now.
void restart_peak();

} // namespace heap_watch
