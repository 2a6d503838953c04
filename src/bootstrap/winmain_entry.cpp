// The launcher executable. Its entry point (platform/windows/entry.cpp) cuts
// the argument string from the command line and calls WinMain, which the
// bootstrap library provides; the executable takes that library whole,
// since nothing in this file refers to WinMain.
