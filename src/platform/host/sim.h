// The simulated desktop: the test-facing side.
//
// A test scripts a world (environment, drives and files, resources, other
// processes and what they do when), runs the launcher's WinMain in it once,
// and asserts on what happened: the exit code, every platform call in order,
// files, processes, message boxes, windows, pixels and virtual time.
// Everything is deterministic; time is virtual.
//
// One launcher run per process: the launcher keeps its state in static
// storage, which only a fresh process gives back zeroed. The test runner
// (tests/support) runs every test in a process of its own.
#pragma once

#include "platform/host/sim/calls.h"
#include "platform/host/sim/expected_calls.h"
#include "platform/host/sim/files.h"
#include "platform/host/sim/processes.h"
#include "platform/host/sim/resources.h"
#include "platform/host/sim/windows.h"
#include "platform/host/sim/world.h"
