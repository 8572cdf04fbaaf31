// What the runner needs to know of each line's command before it runs the line, worked
// out once per script (and again when the command table changes): the handler, whether a
// plug-in serves the command, and its part in block matching. The runner would otherwise
// hash and compare the command name on every line it executes. OS-free.
#pragma once

#include <cstdint>
#include <vector>

#include "CommandTable.h"

namespace ovd {

struct TCompiledScript;

// The words of block matching that the runner handles itself, besides "If".
enum class TBlockWord : std::uint8_t { None, End, Else, ElseIf };

struct TLineCommand {
    const CommandHandler* Handler = nullptr; // null: no handler is registered
    bool Plugin = false;                     // a plug-in library serves the command
    bool Ignore = false;                     // an "Ignore" line, passed over
    TBlockWord Block = TBlockWord::None;
};

class TLineDispatch {
public:
    // The command of `line`, which must lie within the script.
    const TLineCommand& At(const TCompiledScript& script, long line);

private:
    void Build(const TCompiledScript& script);

    std::uint64_t builtScript_ = 0;   // the script's generation
    std::uint64_t builtCommands_ = 0; // the command table's version
    std::vector<TLineCommand> lines_;
};

} // namespace ovd
