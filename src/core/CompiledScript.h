// The compiled setup script carried behind the setup program, and the lookups the rest
// of the engine makes on it.
//
// The file is ANSI text of 25 sections without a header (docs/package-layout.md lists
// them). A list section is any number of lines closed by a line holding a lone "$"; a
// parameter that is exactly "$" is therefore stored as "$DOLLAR$" or "$WILD_DOLLAR$".
// Reading stops after the last section, so bytes appended behind the script (a code
// signature) are ignored; a script that ends early is rejected, never read past its end.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ScriptError.h"
#include "THashedStringList.h"

namespace ovd {

// Field separator inside one parameter.
inline constexpr std::string_view kFieldMarker = "$ZOVR$ZOVR$";
inline constexpr std::string_view kCommandHeaderError =
    "Unable to obtain command headers. Please rebuild your project.";

struct TCompiledScript {
    TCompiledScript() { ParameterLists.push_back(&ParameterRecords); }
    // ParameterLists points into the object itself.
    TCompiledScript(const TCompiledScript&) = delete;
    TCompiledScript& operator=(const TCompiledScript&) = delete;

    THashedStringList CommandNames;       // 1: one per script line
    THashedStringList CommandIds;         // 2: line identifier (GUID in braces)
    THashedStringList ParameterRecords;   // 3: identifier, then the line's parameters
    THashedStringList LineFlags;          // 4: "C" marks a disabled line
    std::string ProductCode;              // 5
    std::string ProductTitle;             // 6
    THashedStringList PluginCommandNames; // 7
    std::string Publisher;                // 8
    std::string Contact;                  // 9
    std::string HelpLink;                 // 10
    std::string UpdateInfoUrl;            // 11
    std::string Comments;                 // 12
    std::string ProductVersion;           // 13
    THashedStringList WebMediaPasswords;  // 14: pairs name, scrambled password
    THashedStringList LineWebMediaFlags;  // 15: one per script line
    int BuildMode = 0;                    // 16
    THashedStringList ComponentSizes;     // 17: pairs name, bytes
    std::string RevisionCode;             // 18
    THashedStringList OfflineMediaTable;  // 19: triples name, file path, folder
    std::string AskLanguageFlag;          // 20: "TRUE" or "FALSE"
    std::string DefaultLanguageName;      // 21
    THashedStringList CommandHeaders;     // 22: pairs header id, line number
    THashedStringList CompilerVariables;  // 23: pairs name, value
    int ScriptCodePage = 0;               // 24
    THashedStringList SourcePositions;    // 25: "path*line" per script line

    // Searched in order by GetScriptParameter; holds ParameterRecords after loading.
    std::vector<const THashedStringList*> ParameterLists;

    // Unique to this content: new with every object and every Clear (and so every load).
    // What is worked out from the lists once is keyed by it.
    std::uint64_t Generation() const { return generation_; }

    std::size_t LineCount() const { return CommandNames.Count(); }
    bool LineDisabled(std::size_t line) const { return LineFlags.At(line) == "C"; }

    // Back to the empty state of a fresh object.
    void Clear();
    // Same content in every section (ParameterLists not compared).
    bool SameContent(const TCompiledScript& other) const;

private:
    static std::uint64_t NextGeneration();
    std::uint64_t generation_ = NextGeneration();
};

// The compiled script of this process: filled in the GlobalLists phase, freed in Free.
TCompiledScript& Script();
// Empties the process-wide script (the Free phase; tests start from a clean slate).
void ResetScript();

struct TScriptLoadResult {
    bool ok = false;
    std::string error; // why the script was rejected
};

// Reads a compiled script from memory into `into` (emptied first; left empty on failure).
TScriptLoadResult LoadCompiledScript(std::string_view bytes, TCompiledScript& into);
// The same from a file (the copied-out "ovd.tmp").
TScriptLoadResult LoadCompiledScriptFile(const std::string& path, TCompiledScript& into);

// Parameter n of the line with this identifier: the entry at (position of the identifier)
// + n in the first list of `lists` that holds it; n = 0 gives the identifier itself.
// Empty text when no list holds it or the position lies beyond the list. The reference
// stays valid until the lists change.
const std::string& GetScriptParameter(const std::vector<const THashedStringList*>& lists,
                                      std::string_view identifier, long n);
// The same on the process-wide script.
const std::string& GetScriptParameter(std::string_view identifier, long n);

// Replaces "#NAME#" (any case) by the value of each compiler variable in order, and
// repeats on the result while it still holds "#" and changed. A value that refers to
// itself would grow forever: the repetition stops after kMaxCompilerVariablePasses passes
// or once the text exceeds kMaxCompilerVariableLength bytes, and the text reached is
// returned.
inline constexpr int kMaxCompilerVariablePasses = 64;
inline constexpr std::size_t kMaxCompilerVariableLength = 1 << 20;
std::string GetCompilerVariable(const TCompiledScript& script, std::string_view text);
std::string GetCompilerVariable(std::string_view text);

// Raised when a line has no command header and the caller asked for the check; a
// ScriptError, so the runner reports it like any failing command.
class ECommandHeaderMissing : public ScriptError {
public:
    ECommandHeaderMissing() : ScriptError(std::string(kCommandHeaderError)) {}
};

// Header id of script line `line` (zero-based), empty when it has none; with `required`
// an empty result raises ECommandHeaderMissing.
std::string GetCommandHeader(const TCompiledScript& script, long line, bool required);
std::string GetCommandHeader(long line, bool required);

// Scrambled archive password of a web media block (name compared without regard to
// case); empty when the block has none.
// True for a code in braces ("{...}", no other brace, separator or colon), as a revision
// code must be: it names the engine cache folder, and only such a name is ever taken for
// (and removed as) a cache.
bool IsCacheFolderName(std::string_view name);

std::string GetWebMediaPassword(const TCompiledScript& script, std::string_view blockName);
std::string GetWebMediaPassword(std::string_view blockName);

} // namespace ovd
