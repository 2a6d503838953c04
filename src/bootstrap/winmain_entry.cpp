// The launcher executable. The runtime's start-up code calls WinMain, which
// the bootstrap library provides; the executable takes that library whole,
// since nothing in this file refers to WinMain.
