// The figures and folders a dialog shows: sizes with their units, the browse root and the
// folder a Browse button puts into the target edits. OS-free: the file system is asked
// through `exists`.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ovd {

struct TSizeUnits {
    std::string Bytes = "bytes";
    std::string KB = "KB";
    std::string MB = "MB";
};

// The unit texts of the engine's messages 6, 7 and 8, which a language file translates.
TSizeUnits EngineSizeUnits();

// Below 1,048,576 bytes (and any negative value) in bytes, below 1,073,741,824 in KB,
// else in MB; digits grouped by three with ",", a blank before the unit.
std::string FormatSize(long long bytes, const TSizeUnits& units = {});

using FolderExistsFn = std::function<bool(const std::string& folder)>;

// The expanded TARGETDIR with doubled backslashes made single (a leading "\\" of a network
// path kept), walked up to its first existing folder; empty when none exists.
std::string BrowseRoot(std::string_view target, const FolderExistsFn& exists);

// The part of `target` below its longest existing ancestor folder, with its backslashes
// ("C:\Exists\New\Sub\" -> "New\Sub\").
std::string TargetTail(std::string_view target, const FolderExistsFn& exists);

// What a Browse button puts into the target edits for the chosen folder: the chosen folder
// when no target was remembered; the remembered target when the chosen folder is a prefix
// of it (ASCII case ignored); else the chosen folder, a backslash and the tail.
std::string BrowsedFolderText(std::string_view chosen, std::string_view rememberedTarget,
                              std::string_view tail);

// A filter list's Filter property ("Text files (*.txt)|*.txt|All files|*.*") as pairs of
// description and mask; "All files (*.*)" with "*.*" when it holds none.
std::vector<std::pair<std::string, std::string>> FilterItems(std::string_view filter);

// The folders from the root down to `folder`, each with its trailing backslash
// ("C:\A\B" -> "C:\", "C:\A\", "C:\A\B\"); a network path starts at its share.
std::vector<std::string> FolderChain(std::string_view folder);

} // namespace ovd
