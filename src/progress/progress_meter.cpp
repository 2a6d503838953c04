#include "progress/progress_meter.h"

#include "progress/dispatch_one_message.h"
#include "progress/progress_state.h"

int32_t bytes_requested;
double progress_scale;
int32_t progress_value;

int32_t progress_for(int32_t bytes) {
    return static_cast<int32_t>(static_cast<double>(bytes) * progress_scale);
}

void refresh_progress() {
    progress_value = progress_for(bytes_requested);
    // Painting every other pixel is enough, and halves the repaints.
    if (progress_value % 2 != 0)
        return;
    InvalidateRgn(progress_window, NULL, FALSE);
    UpdateWindow(progress_window);
    dispatch_one_message();
}
