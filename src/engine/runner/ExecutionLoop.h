// The execution loop: steps through the script line by line, resolves blocks by scanning
// command names, dispatches built-in commands through the command table and ends the run.
// OS-free.
#pragma once

#include <functional>
#include <string>

#include "ScriptRun.h"

namespace ovd {

// Lines between two rounds of message processing: at every multiple of it in the script,
// and after this many lines run without one (a loop jumping back before the next multiple).
inline constexpr long kMessageInterval = 314;

// Runs the lines of a prepared run to its end.
void RunExecutionLoop(TScriptRun& run);

// Registers the control-flow commands and the evaluator's commands ("If", "Else If",
// "Evaluate Expression", "Mathematics", "GoTo Label", "Terminate Install", "Terminate with
// Exit Code", "Wizard Loop", "Display Dialog").
void RegisterRunnerCommands();

// The text of the box shown for a run error on line `line`.
std::string RunErrorText(const TCompiledScript& script, long line, const std::string& message);

} // namespace ovd
