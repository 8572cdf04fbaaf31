// The workers that start programs for the script: TRunApp (through the shell) and TRunAs
// (a process of its own, under other credentials or without elevation). Each starts the
// program, waits for it when asked, polling once a second, and keeps its exit code. A
// terminate request ends the wait early; the program itself is never ended.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "ProgramText.h"
#include "TWorkerThread.h"

namespace ovd {

// Exit codes the launchers give instead of a program's own.
inline constexpr long kNotStartedByShell = -1;
inline constexpr long kShellProcessNotOpened = -7;
inline constexpr long kShellTokenNotOpened = -8;
inline constexpr long kShellTokenNotDuplicated = -9;
inline constexpr long kProcessNotCreated = -11;
inline constexpr long kCancelledWait = -314;

int ShowWindowCode(ShowCode code);

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

class TRunAs final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    struct TRequest {
        std::string CommandLine; // QuotedCommandLine
        std::string Environment; // EnvironmentBlock; empty: the engine's own
        ShowCode Show = ShowCode::Normal;
        std::string User; // empty: an ordinary launch
        std::string Password;
        std::string Domain;
        bool Deelevate = false; // as the desktop user, from an elevated engine
        bool Wait = false;
    };

    explicit TRunAs(TRequest request)
        : TWorkerThread(WorkerFinishedFlag), request_(std::move(request))
    {
    }

    // After the wait: the program's exit code, or one of the launchers' codes.
    long ExitCode() const { return exitCode_; }

private:
    void Execute() override;

    const TRequest request_;
    long exitCode_ = kProcessNotCreated;
};

// Waits (on a worker) until `process` ends or the worker is asked to stop, polling once a
// second and handling the thread's messages meanwhile; then its exit code as the system
// reports it (STILL_ACTIVE while it runs).
long AwaitProcessExit(const TWorkerThread& worker, HANDLE process, bool wait);

} // namespace ovd
