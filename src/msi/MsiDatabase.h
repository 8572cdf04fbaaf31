// Edits of the product database before an installer run: the Property table, the
// platform in the summary template with the components' 64-bit bit, the word count.
// Individual statement failures are ignored, as the run goes on with what is there.
#pragma once

#include <string>
#include <vector>

namespace ovd {

struct TInstallerSession;
struct TPendingProperties;
struct TProgIdMove;

// Writes the pending properties (in order, a later entry winning) into the Property
// table; in new-instance mode first renews the component codes once and sets the new
// product and revision codes (`session`: the run's new-instance state). False when the
// database cannot be opened for update or the changes cannot be committed.
bool WritePropertyTable(const std::string& package, const TPendingProperties& pending,
                        TInstallerSession& session);

// Names `platform` ("Win32", "ia64", "x64") in the summary template, switching the
// components' 64-bit bit when it changes; then sets the word count to 8.
void AdaptDatabasePlatform(const std::string& package, const std::string& platform);

// Runs each statement against the database opened for direct update, then moves each
// ProgId row to its new key, ignoring each one's failure, and commits once.
void ExecuteDatabaseStatements(const std::string& package, const std::vector<std::string>& sql,
                               const std::vector<TProgIdMove>& moves = {});

// The names in the database's Feature table (none when it cannot be read).
std::vector<std::string> DatabaseFeatures(const std::string& package);

// True when the installer reads files from outside the database: a Media row with no
// cabinet (files beside the package) or with an external one (no "#" in front); also when
// the database cannot be read, since nothing then says it carries its files.
bool DatabaseNeedsSourceMedia(const std::string& package);

// A new GUID in braces, upper case (new product, revision and component codes).
std::string FreshGuid();

} // namespace ovd
