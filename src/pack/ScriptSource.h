// Reads a package's script source (docs/script-source.md) into a compiled script.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "CompiledScript.h"

namespace ovd::pack {

// A mistake in a source file; the text starts with "file:line: ".
class ESourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Installer components switched on by a script line: their rows carry the condition
// A<header>="TRUE", which the line's command sets when it runs.
struct TComponentSwitch {
    std::string Header;
    std::vector<std::string> Components;
    // Rows ovdpack wrote itself also go when the product is removed (REMOVE="ALL"): the
    // installer evaluates the condition at removal too.
    bool RemovedWithProduct = false;
};

// One translated text: field `Field` of a script line (key: the line's identifier, or
// "ZUDAVOVU$<name>$ZUDAVOVU" for "Localization Variable"), or the text of a dialog control
// (key "<dialog>.dfm.<control>", + ".<property>" for texts other than the caption; field 1).
struct TSourceText {
    std::string Key;
    int Field = 1;
    std::string Language;
    std::string Text;
    // The text as authored when it was translated; for lines it defaults to the text the
    // line carries now, for dialogs to the form's text.
    std::optional<std::string> Original;
    // Lines: the authored text of each field up to the line's highest translated one, so
    // that a field without a translation keeps it.
    std::vector<std::string> LineFields;
    std::string Dialog, Control, Property; // dialog texts
    std::string Where;                     // "file:line" for messages
};

// A web media block ("web-media-block"): the package source folder packed as the block's
// archive, and its password (empty: none).
struct TWebMediaBlock {
    std::string Name;
    std::string Folder; // relative to the package source folder
    std::string Password;
};

struct TScriptSource {
    std::string Name; // setup name from "name"; empty when not given
    std::vector<TWebMediaBlock> WebMediaBlocks;
    std::vector<TComponentSwitch> Switches;
    std::vector<std::string> BinaryForms; // "binary-form": dialogs carried as binary streams
    std::vector<std::string> Languages;   // "language", in order
    std::vector<TSourceText> Texts;       // ".text" and "dialog-text"
};

// The parameter that field `field` of a localized command's line reads ("Set Variable" and
// "Localization Variable" translate their value, "If" its two operands).
std::size_t TranslatedParameter(std::string_view command, int field);

// Parses `mainFile` (and what it includes) into `script`. Source positions name files
// relative to `root` (the package source folder). Throws ESourceError.
TScriptSource ParseScriptSource(const std::filesystem::path& mainFile,
                                const std::filesystem::path& root, TCompiledScript& script);

// A GUID in braces derived from `seed`: stable from build to build.
std::string GuidFrom(std::string_view seed);

// Commands whose lines carry installer rows and get a command header unless told
// otherwise.
bool CarriesCommandHeader(std::string_view commandName);

} // namespace ovd::pack
