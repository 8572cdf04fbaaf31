// Where the start-up hands over to modules built above it: the dialog host and the
// script runner register themselves here; until they do, the defaults below stand in.
#pragma once

#include "CompiledScript.h"

#include <functional>
#include <string>

namespace ovd {

// What the runner is started with: the process-wide compiled script (command names,
// identifiers, line flags, ParameterLists, web-media flags) and the database path.
struct ScriptRunRequest {
    const TCompiledScript& Script;
    std::string DatabasePath; // SupportDir + ExeBaseName + ".msi"
};

struct StartupSeams {
    // Prepares the dialog host to read forms from the support directory.
    std::function<void(const std::string& supportDir)> InitDialogHost;
    // Loads dialog file `dialogFile` as the dialog registered under `name` (the script
    // line's zero-based index in decimal). Throws on failure.
    std::function<void(const std::string& dialogFile, const std::string& name)> LoadDialog;
    // Runs the script to its end; sets Process().ExitCode.
    std::function<void(const ScriptRunRequest&)> RunScript;
};

// The process-wide seams, filled with the defaults: no dialog host, a dialog load that
// only checks the file exists, a runner that returns at once.
StartupSeams& Seams();

} // namespace ovd
