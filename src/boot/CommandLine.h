// The engine's command line: the tail, the switches, the options and the NAME=value
// properties. Free of Windows headers so that it builds and tests natively.
#pragma once

#include "AnsiText.h"
#include "uGlobals.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

// The raw command line without the program name, cut the way the engine always has:
// a leading quote drops everything up to the closing quote and the character after it,
// otherwise everything up to the first blank goes.
std::string CommandLineTailOf(std::string_view rawCommandLine);

// Splits a raw command line into its arguments: quotes group blanks ("" inside quotes is a
// quote), backslashes are plain characters, so that a folder ending in a backslash before
// its closing quote ("C:\App\") stays one argument and the switches after it count.
// The program name is not among the results.
std::vector<std::string> SplitArguments(std::string_view rawCommandLine);

// True when an argument is "/name" or "-name", name compared without regard to case.
bool IsSwitch(std::string_view argument, std::string_view name);

using TLowerCase = std::function<std::string(std::string_view)>;

// Fills the command-line facts of `facts` (tail, switches, options, properties) from the
// raw command line of the process. Switches and names follow the engine's ANSI rules; the
// option values (paths) are lower-cased by `lowerCase`, the system's mapping on Windows.
void ParseCommandLine(std::string_view rawCommandLine, ProcessFacts& facts,
                      const TLowerCase& lowerCase = AnsiLowerCase);

} // namespace ovd
