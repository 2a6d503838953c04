// The simulated desktop's whole state, one part per subsystem. Tests use
// sim.h instead.
#pragma once

#include "platform/host/call_log.h"
#include "platform/host/clock.h"
#include "platform/host/file_model.h"
#include "platform/host/handles.h"
#include "platform/host/message_model.h"
#include "platform/host/painting_model.h"
#include "platform/host/process_model.h"
#include "platform/host/resource_model.h"
#include "platform/host/runtime_model.h"
#include "platform/host/sim.h"
#include "platform/host/window_model.h"

namespace sim::detail {

struct World {
    Clock clock;
    CallLog log;
    WindowSystem user;
    MessageQueue queue;
    Gdi gdi;
    FileSystem files;
    ProcessTable processes;
    ResourceTable resources;
    Runtime runtime;
    Startup startup;
};

World &world();

} // namespace sim::detail
