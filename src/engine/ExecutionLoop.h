// The execution loop: steps through the script line by line, resolves blocks by scanning
// command names, dispatches built-in commands through the command table and ends the run.
// OS-free.
#pragma once

#include <functional>
#include <string>

#include "mscriptexec.h"

namespace ovd {

// Lines between two rounds of message processing.
inline constexpr long kMessageInterval = 314;

// Runs the lines of a prepared run to its end (install with SetExecutionLoop).
void RunExecutionLoop(TScriptRun& run);

// Registers the control-flow commands and the evaluator's commands ("If", "Else If",
// "Evaluate Expression", "Mathematics", "GoTo Label", "Terminate Install", "Terminate with
// Exit Code", "Wizard Loop", "Display Dialog").
void RegisterRunnerCommands();

// The text of the box shown for a run error on line `line`.
std::string RunErrorText(const TCompiledScript& script, long line, const std::string& message);

// Moves the engine cache to `folder` (OVERRIDECACHE with a trailing backslash) when the
// script sets OVERRIDECACHE; true on success. Without one, the new folder is taken as it
// stands.
using CacheOverrideFn = std::function<bool(TScriptRun& run, const std::string& folder)>;
void SetCacheOverrideHandler(CacheOverrideFn handler);

// A plug-in command handed to its library's RunTimeExecute (in a worker, the runner pumping
// messages meanwhile).
struct TPluginCall {
    std::string Library;    // full path of the library file
    std::string Parameters; // parameter 1 of the line
    std::string Variables;  // the whole store as SaveVariablesToText gives it
};
struct TPluginResult {
    bool Cancelled = false; // the user cancelled while it ran
    std::string Text;       // the store as the plug-in hands it back; empty: nothing
};
using PluginRunnerFn = std::function<TPluginResult(TScriptRun& run, const TPluginCall& call)>;
// Without one, an existing plug-in library is a run error.
void SetPluginRunner(PluginRunnerFn runner);

// Ending of a run whose program medium was removed (Windows: the program folder is on a
// drive that is not a fixed disk and is gone). `finish` finishes the engine cache, removes
// the support folder and ends the process with the exit code; set by the program.
struct TRemovedMediumHandling {
    std::function<bool()> MediumRemoved;
    std::function<void()> FinishEngineCache;
    std::function<void()> RemoveSupportFolder;
    std::function<void(int exitCode)> EndProcess;
};
void SetRemovedMediumHandling(TRemovedMediumHandling handling);

} // namespace ovd
