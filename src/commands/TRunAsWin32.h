// TRunAs: the worker of "Run Program As". It starts a process of its own (under other
// credentials, as the desktop user, or plainly), waits for it when asked and keeps its
// exit code or one of the launch codes below.
#pragma once

#include <windows.h>

#include <string>

#include "ProgramText.h"
#include "TRunApp.h"

namespace ovd {

inline constexpr long kShellProcessNotOpened = -7;
inline constexpr long kShellTokenNotOpened = -8;
inline constexpr long kShellTokenNotDuplicated = -9;
inline constexpr long kProcessNotCreated = -11;

int ShowWindowCode(ShowCode code);

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
    // Starts the process (inside the engine section); false with exitCode_ set on failure.
    bool Launch(PROCESS_INFORMATION& started);

    const TRequest request_;
    long exitCode_ = kProcessNotCreated;
};

} // namespace ovd
