// Text rules of the program-running and restart commands: command lines, environment
// blocks, the resume entry written before a restart, and the name tests of "Check
// Process" and "Terminate Program". OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// A program path as the script wrote it, without one pair of enclosing double quotes.
std::string UnquotedPath(std::string_view path);

// The command line of a launched program: the path in double quotes (even when it holds
// no blank, so that "C:\Program Files\App\app.exe" reaches the child whole), then a blank
// and the arguments when there are any.
std::string QuotedCommandLine(std::string_view program, std::string_view arguments);

// An environment text (name=value lines separated by CR LF; a bare LF counts too) as an
// environment block: entries ending in NUL, one more NUL at the end. Empty lines are
// left out, since an empty entry would end the block early. Empty text gives an empty
// block: the child then inherits the engine's environment.
std::string EnvironmentBlock(std::string_view text);

// The name of the resume entry under RunOnce: the eight characters after the product
// code's opening brace. Empty when the product code is too short to give them.
std::string ResumeValueName(std::string_view productCode);
// Its data: the self-extracting setup file (folder and file name) when one is known, else
// the engine's own path, in double quotes when it holds a blank; then a blank and the
// engine's command-line arguments when there are any.
std::string ResumeValueData(std::string_view sfxFolder, std::string_view sfxFile,
                            std::string_view exePath, std::string_view arguments);

// "Check Process": the file-name part of a process's executable equals `name`, compared
// without regard to case (ASCII letters).
bool ProcessNameMatches(std::string_view executable, std::string_view name);

// "Terminate Program": the window's class contains `classPart` (when given) and its
// title contains `titlePart` (when given), both case-sensitive. With both parts empty no
// window matches.
bool WindowMatches(std::string_view title, std::string_view className, std::string_view titlePart,
                   std::string_view classPart);

// Show codes of the launch commands (0 normal, 1 hidden, 2 maximised, 3 minimised,
// 4 minimised without activation); any other code shows the window normally.
enum class ShowCode { Normal, Hidden, Maximized, Minimized, MinimizedNoActivate };
ShowCode ShowCodeFrom(long long code);

} // namespace ovd
