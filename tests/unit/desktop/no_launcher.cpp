// The desktop's start-up code (sim::run_launcher) calls the launcher's
// WinMain. These tests draw on windows of their own and run no launcher, so
// they link this stand-in instead of the launcher's logic.
#include "platform/platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
