#include "GuardedCall.h"

#include "MessagePump.h"

#include <mutex>

namespace ovd {
namespace {

// The guarded thread, its fault and the filter it replaced. The process's own filter (the
// crash exit of the program) stays in charge of every other thread.
DWORD guardedThread = 0;
DWORD guardedFault = 0;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
std::mutex guardMutex;

LONG WINAPI GuardFilter(EXCEPTION_POINTERS* info)
{
    if (GetCurrentThreadId() == guardedThread) {
        guardedFault = info->ExceptionRecord->ExceptionCode;
        // The faulting code's frames are abandoned: nothing of them may run again. Locks it
        // held stay held; the library is never unloaded.
        ExitThread(1);
    }
    return previousFilter != nullptr ? previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

struct TCall {
    const std::function<bool()>* Body;
    bool Value = false;
};

DWORD WINAPI GuardedThreadMain(void* parameter)
{
    TCall& call = *static_cast<TCall*>(parameter);
    try {
        call.Value = (*call.Body)();
    } catch (...) {
        call.Value = false;
    }
    return 0;
}

} // namespace

TGuardedResult RunGuarded(const std::function<bool()>& body)
{
    const std::lock_guard<std::mutex> lock(guardMutex);
    TCall call{&body};
    guardedFault = 0;
    DWORD id = 0;
    // Created suspended so that the filter knows the thread before its first instruction.
    HANDLE thread = CreateThread(nullptr, 0, GuardedThreadMain, &call, CREATE_SUSPENDED, &id);
    if (thread == nullptr)
        return {};
    guardedThread = id;
    previousFilter = SetUnhandledExceptionFilter(GuardFilter);
    ResumeThread(thread);
    if (PumpUntilSignalled(&thread, 1, INFINITE) != WaitOutcome::Signalled)
        WaitForSingleObject(thread, INFINITE);
    SetUnhandledExceptionFilter(previousFilter);
    guardedThread = 0;
    DWORD exitCode = 0;
    GetExitCodeThread(thread, &exitCode);
    CloseHandle(thread);
    TGuardedResult result;
    result.Crashed = guardedFault != 0;
    result.ExceptionCode = guardedFault;
    result.Value = !result.Crashed && exitCode == 0 && call.Value;
    return result;
}

} // namespace ovd
