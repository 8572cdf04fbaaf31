// What the installer commands keep between lines of one run: the platform of "Set 64 Bit
// Mode", the new-instance state of "Transform Instance", the executed change lines and
// the shortcut lists handed to the installer run. A slot of the run; main thread, except
// that the installer thread renews the component codes while the main thread waits.
// OS-free.
#pragma once

#include <string>
#include <vector>

#include "InstallerMessageHandler.h"
#include "ScriptRun.h"

namespace ovd {

struct TShortcutRename {
    std::string Key; // "P<header>_1"
    std::string Name;
    std::string Description;
};

// An advertised file type as written in the database, its localized name and description.
struct TProgIdRename {
    std::string ProgId;
    std::string Name;
    std::string Description;
};

struct TInstallerSession {
    std::string Platform = "Win32"; // "Win32", "ia64" or "x64"
    bool NewInstance = false;
    bool ComponentCodesRenewed = false;
    std::string NewProductCode;
    std::string NewRevisionCode;
    // The product code the setup's media are named by (their data file), kept when a new
    // instance takes a new one.
    std::string MediaProductCode;
    // "TRUE" at each change line that has run; "FALSE" at the others.
    std::vector<std::string> ExecutedLines;
    // Pairs: shortcut file, identity text.
    std::vector<std::string> ShortcutIdentities;
    // Entries: shortcut file "|" flags "|" target.
    std::vector<std::string> Pins;
    std::vector<TShortcutRename> ShortcutRenames;
    std::vector<TProgIdRename> ProgIdRenames;
    // The installer's interface state (one operation at a time).
    TInstallerUiState Ui;
};

// The session of `run` (made on first use, freed with the run).
TInstallerSession& InstallerSession(TScriptRun& run);

} // namespace ovd
