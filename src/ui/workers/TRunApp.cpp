#include "TRunApp.h"

#include <shellapi.h>

#include "ComApartment.h"
#include "MessagePump.h"
#include "WinHandles.h"
#include "Wow64Redirection.h"

namespace ovd {
namespace {

constexpr DWORD kProcessPollMs = 1000;

} // namespace

long AwaitProcessExit(const TWorkerThread& worker, HANDLE process, bool wait)
{
    if (process == nullptr)
        return 0;
    while (wait && !worker.Terminated() &&
           PumpUntilSignalled(&process, 1, kProcessPollMs) == WaitOutcome::TimedOut) {
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code))
        return 0;
    return static_cast<long>(static_cast<std::int32_t>(code));
}

void TRunApp::Execute()
{
    // The shell loads libraries while it launches, so redirection stays on; in 64-bit mode a
    // program or folder below the system folder is named through "Sysnative" instead.
    const std::string program =
        SixtyFourBitMode() ? NativeSystemPath(request_.Program) : request_.Program;
    const std::string folder =
        SixtyFourBitMode() ? NativeSystemPath(request_.Folder) : request_.Folder;
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpFile = program.c_str();
    info.lpParameters = request_.Arguments.empty() ? nullptr : request_.Arguments.c_str();
    info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
    info.nShow = request_.Hidden ? SW_HIDE : SW_SHOWNORMAL;
    info.lpVerb = "open";
    bool started = false;
    {
        // The shell loads libraries and allocates while it launches: the watchdog must not
        // end the thread in there (see Kill). Only the wait below may be cut short.
        const TEngineSection launching(*this);
        const TComApartment apartment; // the shell may hand the launch to COM objects
        started = ShellExecuteExA(&info) != FALSE;
        if (!started) {
            info.lpVerb = nullptr; // the file type's default verb
            started = ShellExecuteExA(&info) != FALSE;
        }
    }
    if (!started) {
        exitCode_ = kNotStartedByShell;
        return;
    }
    const UniqueHandle process(info.hProcess);
    exitCode_ = AwaitProcessExit(*this, process.get(), request_.Wait);
}

} // namespace ovd
