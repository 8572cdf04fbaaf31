// A call into code the engine does not own (a library's registration entry point) that
// may crash: it runs on a thread of its own, and a fault that nothing in that thread
// handles ends that thread only, not the engine. The calling thread handles its messages
// while it waits.
#pragma once

#include <windows.h>

#include <functional>

namespace ovd {

struct TGuardedResult {
    bool Crashed = false;
    DWORD ExceptionCode = 0; // the fault that ended the call
    bool Value = false;      // what the call returned (false after a crash)
};

// Runs `call` on a new thread and waits for it. One guarded call at a time per process
// (a second caller waits for the first). A C++ exception leaving `call` counts as false.
TGuardedResult RunGuarded(const std::function<bool()>& call);

} // namespace ovd
