// The launcher's work proper, run inside the start message: the installer
// executable is written and started, the data file is written while the
// installer already runs, and the installer is told when it is complete.
#pragma once

#include "platform/platform.h"

// The installer process, once started; both handles stay open until the
// launcher ends. A null process handle means no installer was started.
extern PROCESS_INFORMATION installer_process;

// Filled for the installer's start: shown maximized, everything else zero.
extern STARTUPINFOA startup_information;

void extract_and_launch();
