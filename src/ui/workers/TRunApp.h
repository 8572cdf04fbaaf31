// TRunApp: the worker that starts a program through the shell for the script ("Run
// Program", light-mode setups, the .NET tools), waits for it when asked, polling once a
// second, and keeps its exit code. A terminate request ends the wait early; the program
// itself is never ended.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "TWorkerThread.h"

namespace ovd {

// Exit codes of a launch instead of a program's own.
inline constexpr long kNotStartedByShell = -1; // the shell could not start it
inline constexpr long kCancelledWait = -314;   // the user cancelled while the script waited

class TRunApp final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::string Program; // full path, unquoted
        std::string Arguments;
        std::string Folder; // working folder; empty: the current one
        bool Hidden = false;
        bool Wait = false;
    };

    explicit TRunApp(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    // After the wait: the program's exit code, STILL_ACTIVE when not waited for, -1 when
    // the shell could not start it.
    long ExitCode() const { return exitCode_; }

private:
    void Execute() override;

    const TRequest request_;
    long exitCode_ = kNotStartedByShell;
};

// Waits (on a worker) until `process` ends or the worker is asked to stop, polling once a
// second and handling the thread's messages meanwhile; then its exit code as the system
// reports it (STILL_ACTIVE while it runs).
long AwaitProcessExit(const TWorkerThread& worker, HANDLE process, bool wait);

} // namespace ovd
