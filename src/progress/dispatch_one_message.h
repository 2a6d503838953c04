// Handles at most one pending message of the progress window, so that the
// window stays responsive while the launcher is busy outside its message loop.
#pragma once

void dispatch_one_message();
