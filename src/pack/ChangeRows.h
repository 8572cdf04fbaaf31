// The installer rows of the recording change commands ("Install Files", "Create Folder",
// "Write Registry", "Create Shortcut"), compiled from their script lines into a WiX
// fragment: each line's components are switched on by its property "A<header>" and read
// its variable fields from "P<header>_n" (docs/package-layout.md).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "CompiledScript.h"
#include "ScriptSource.h"

namespace ovd::pack {

struct TChangeRows {
    // A <Fragment> with <ComponentGroup Id="OvdChanges"> (empty when no line needs rows).
    std::string Fragment;
    // The generated components of each line.
    std::vector<TComponentSwitch> Switches;
    // The product around the fragment, for a source without a database of its own.
    std::string Product;
    // The generated product's summary: subject, author, template and package code. The
    // package code is the script's revision code, which the engine compares with the
    // installed product's to tell a maintenance run from an upgrade (wixl makes up a new
    // one at every build and takes none from the source).
    std::vector<std::string> ProductSummary;
};

// Lines that name their components with ".components" carry the author's rows and get
// none here; disabled lines get none either. Throws EPackError for a source file that is
// missing or a parameter the rows cannot hold.
TChangeRows CompileChangeRows(const TCompiledScript& script, const TScriptSource& source,
                              const std::filesystem::path& sourceDir);

} // namespace ovd::pack
