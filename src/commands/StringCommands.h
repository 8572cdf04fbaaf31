// Handlers of the string, path and text-file commands ("Set Variable", "Replace String",
// "Read from Text File", ...). OS-free: the file system is reached through
// IStringCommandSystem, the progress display and the language tables through the run's
// services.
#pragma once

#include "AnsiText.h"
#include "EngineServices.h"
#include "TextFiles.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

class IStringCommandSystem : public TTextFileAccess {
public:
    // A new empty file with a unique name in folder ("<prefix><hex>.tmp"); its full
    // path. Throws ScriptError when it cannot be created.
    virtual std::string CreateTemporaryFile(const std::string& folder,
                                            const std::string& prefix) = 0;
    // The entry's name as the file system spells it, or nothing when it is not there.
    virtual std::optional<std::string> FindEntryName(const std::string& path) = 0;
    // The short (8.3) form, or nothing when the system cannot give one.
    virtual std::optional<std::string> ShortPathName(const std::string& path) = 0;
    // File-system redirection of 32-bit programs on 64-bit Windows: off, and back.
    virtual void* DisableRedirection() = 0;
    virtual void RestoreRedirection(void* previous) = 0;
    // Letter case in the system's code page ("Convert Case"); the engine's fixed mapping
    // where there is no system.
    virtual std::string UpperCase(std::string_view text) { return AnsiUpperCase(text); }
    virtual std::string LowerCase(std::string_view text) { return AnsiLowerCase(text); }
};

// Registers every handler of this family, working on `system` (which must outlive the
// registrations), and the exit-step action that forgets the file left open for reading.
void RegisterStringCommands(IStringCommandSystem& system, TEngineServices& services);

// The same on the Windows file system (Windows trees); the program entry calls it.
void RegisterStringCommands(TEngineServices& services);

// Forgets the run's file left open for reading (the exit step).
void CloseOpenTextFile(TScriptRun& run);

} // namespace ovd
