// The property hand-over file that the database's own custom actions read: the temporary
// folder + the product code, ANSI text, one item per line, each entry name, value, "$ex".
// OS-free: the caller supplies expansion and the look at the file system.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

struct THandoverInput {
    bool Patch = false;
    bool Uninstall = false;
    std::string DataDir; // the source directory for a patch
    std::string MediaDir;
    std::vector<std::string> Properties; // alternating names and values
    std::vector<std::string> Variables;  // alternating names and values
    std::function<std::string(std::string_view)> Expand;
    // True when the path names an existing file or folder.
    std::function<bool(const std::string&)> Exists;
};

// The file's text, CR LF after every line. Values are expanded, their doubled
// backslashes collapsed and their CR LF pairs written as "$NEWLINE$" (one line each); on
// an uninstall (not a patch) a value that starts with a drive but names nothing that
// exists is written as the data directory. Variables that are installer properties of
// their own are left out.
std::string PropertyHandoverText(const THandoverInput& input);

} // namespace ovd
