// The script runner: run preparation, then the hand-over to the execution loop.
// OS-free; the machine is reached through IRunPlatform and the trace through a sink.
#pragma once

#include <string>

#include "EngineServices.h"
#include "RunPlatform.h"
#include "RunnerUI.h"
#include "ScriptRun.h"

namespace ovd {

enum class PrepareOutcome {
    Ready,             // run the lines
    ValidationFailed,  // exit code 314 (the platform has ended the process)
    NoDatabase,        // neither the database nor its patch file: run nothing
    AlreadyRunning,    // single-instance marker present: run nothing
    LanguageCancelled, // the user cancelled the language choice: run nothing
};

// Run preparation, in order, with its trace tags.
PrepareOutcome PrepareRun(TScriptRun& run);

// Prepares and, when ready, executes the run.
void ScriptRunner(TScriptRun& run);

// The runner as the start-up sequence calls it: the process-wide script with the program's
// services.
void ScriptRunner(TEngineServices& services, const std::string& databasePath,
                  LineCallback onLine = {});

} // namespace ovd
