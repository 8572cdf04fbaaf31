// What "Apply Changes" writes into the product database before the run: the Property
// table statements of the pending properties and the platform in the summary template.
// OS-free: SQL texts only; MsiDatabase.cpp runs them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

// The database value of a recorded property: "$NEWLINE$" back to CR LF, every "'" as
// "$QUOTE$" (the statements quote with "'").
std::string PropertyTableValue(std::string_view stored);

// INSERT, then UPDATE, per entry in order: a later entry of a name wins.
std::vector<std::string> PropertyTableStatements(const std::vector<std::string>& names,
                                                 const std::vector<std::string>& values);

// The renames of the localized shortcuts, one triple (key "P<header>_1", installer file
// name, description) after another: a Name and a Description UPDATE of the Shortcut table
// per triple, selected by its folder. A triple with a "'" in any text is left out: the
// literal would end early and the statement turn into another one.
std::vector<std::string> ShortcutRenameStatements(const std::vector<std::string>& triples);

// A ProgId row to be moved to a new key. The installer refuses an UPDATE of a table's
// primary key, so the row is copied under the new ProgId and the old one then deleted
// (MsiDatabase.cpp, MoveProgIdRow).
struct TProgIdMove {
    std::string Old, New;
    bool operator==(const TProgIdMove&) const = default;
};

struct TProgIdRenames {
    std::vector<std::string> Statements;
    std::vector<TProgIdMove> Moves;
};

// The renames of the localized advertised file types, one triple (ProgId as in the
// database, localized ProgId, localized description) after another: the Description
// UPDATE, selected by the old ProgId, and, when the name changes, the row's move. Triples
// with a "'" are left out as above.
TProgIdRenames ProgIdRenameStatements(const std::vector<std::string>& triples);

// Once a ProgId row has moved: the rows that name it (an extension's ProgId, a child
// ProgId's parent, a class's default) pointed at the new name. Without them the moved row
// would be an orphan: the installer registers a ProgId through the extension or class
// that names it.
std::vector<std::string> ProgIdReferenceStatements(const TProgIdMove& move);

// The summary template's platform name for a platform of "Set 64 Bit Mode": "Intel"
// (Win32), "Intel64" (ia64), "x64".
std::string TemplatePlatformName(std::string_view platform);

// The template ("platform;languages") naming `platform`, or nothing when it already does.
std::optional<std::string> TemplateForPlatform(std::string_view summaryTemplate,
                                               std::string_view platform);

} // namespace ovd
