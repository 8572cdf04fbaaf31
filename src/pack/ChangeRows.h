// The installer rows of the recording change commands, compiled from their script lines
// into a WiX fragment (components, files, folders, registry values, shortcuts) and into
// rows of the tables wixl does not write (INI entries, environment, file types, moved and
// removed files, services, ODBC, assemblies): each line's components are switched on by
// its property "A<header>" and read its variable fields from "P<header>_n"
// (docs/package-layout.md).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "CompiledScript.h"
#include "ScriptSource.h"

namespace ovd::pack {

// Rows for one table of the database, added to what wixl wrote there.
struct TTableRows {
    std::string Name;
    std::vector<std::string> Columns; // names
    std::vector<std::string> Types;   // the table's column types as the .idt form has them
    std::vector<std::string> Keys;    // primary key columns
    // One value per column; kFeatureOf + a component stands for the feature that holds it.
    std::vector<std::vector<std::string>> Rows;
};

inline constexpr char kFeatureOf[] = "\x01" "feature:";

// An action of the execute sequence the rows need (the installer runs only sequenced ones).
struct TSequencedAction {
    std::string Action;
    std::string Condition;
    int Sequence = 0;
};

struct TChangeRows {
    // A <Fragment> with <ComponentGroup Id="OvdChanges"> (empty when no line needs rows).
    std::string Fragment;
    // The generated components of each line.
    std::vector<TComponentSwitch> Switches;
    // The product around the fragment, for a source without a database of its own.
    std::string Product;
    // Rows of further tables and the actions that apply them (empty when none is needed).
    std::vector<TTableRows> Tables;
    std::vector<TSequencedAction> Actions;
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
