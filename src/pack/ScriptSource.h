// Reads a package's script source (docs/script-source.md) into a compiled script.
#pragma once

#include <filesystem>
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

struct TScriptSource {
    std::string Name; // setup name from "name"; empty when not given
    std::vector<TComponentSwitch> Switches;
    std::vector<std::string> BinaryForms; // "binary-form": dialogs carried as binary streams
};

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
