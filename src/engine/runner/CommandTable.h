// Built-in script commands: name -> handler, filled by each subsystem's registration
// function, and the view of the current line that a handler works with. OS-free.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ovd {

struct TScriptRun;
class IDialogHost;

// The current line as a command handler sees it.
class TCommandContext {
public:
    TCommandContext(TScriptRun& run, long line);

    TScriptRun& Run() const { return run_; }
    // 0-based index of the line in the script.
    long Line() const { return line_; }
    // Parameter 0: the line identifier, the key of every other parameter.
    const std::string& LineId() const { return lineId_; }
    const std::string& Command() const { return command_; }
    // "<command> Action": the origin of the command's assignments.
    const std::string& Origin() const;

    // Parameter n as stored (empty when the line has fewer).
    const std::string& Param(long n) const;
    // Parameter n with $NAME$ references expanded.
    std::string Expanded(long n) const;
    // Parameter n as a variable name: "$NAME$" -> "NAME", a bare name stays (the one rule of
    // validation and the store: OutputVariableName).
    std::string OutputName(long n) const;

    // Creates the output variable (upper case, empty) when it does not exist yet.
    void CreateFirst(std::string_view name) const;
    // SetVariable with the command's origin.
    void Assign(std::string_view name, std::string_view value) const;

    // The dialog host of the run; never null inside a run.
    IDialogHost& Dialogs() const;

    // For commands that catch their own failures: shows `message` in an error box owned by
    // the current dialog, with the progress display in its error state around it. Then,
    // when ABORTONERROR is true, the run ends normally after this line (returns true);
    // otherwise ABORTEDONERROR becomes "TRUE" with `origin` (the command's origin when
    // empty) and the run goes on (returns false).
    bool ReportFailure(std::string_view message, std::string_view origin = {}) const;
    // Ends the run normally once this handler returns.
    void EndRun() const;

private:
    TScriptRun& run_;
    long line_;
    // The script's own texts: its lists do not change while a line runs.
    const std::string& lineId_;
    const std::string& command_;
    mutable std::string origin_; // made on first use
};

// Throw ScriptError (ScriptError.h) for a run error: the runner reports it with the
// source position of the line and ends the run.
using CommandHandler = std::function<void(TCommandContext&)>;

// Registers (or replaces) the handler of a command name; names match exactly.
void RegisterCommand(std::string name, CommandHandler handler);
// Null when no handler is registered.
const CommandHandler* FindCommand(std::string_view name);
// Removes every registration (tests).
void ClearCommands();
// Moves on with every registration and clearing: what is worked out from the table is
// keyed by it.
std::uint64_t CommandTableVersion();

} // namespace ovd
