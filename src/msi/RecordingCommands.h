// The change commands that only record installer properties ("Install Files", "Create
// Folder", "Write Registry", "Create Shortcut", "Create File Type", "Edit INI File", ...).
// Each switches its rows of the product database on ("A<header>" := "TRUE") and supplies
// its variable fields ("P<header>_n"). OS-free.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ovd {

class TCommandContext;

// Path normalisation of recorded values: expanded, doubled backslashes collapsed (a
// leading pair kept).
std::string NormalizedField(std::string_view text);

// The installer file name of a shortcut: the first six characters of the name, trimmed,
// "~1|", then the name.
std::string ShortcutFileName(std::string_view name);

// Registers the recording commands; `sevenOrLater` tells whether shortcut identities
// apply. The commands that install files fetch their line's web media block first
// (FetchLineBlock).
void RegisterRecordingCommands(std::function<bool()> sevenOrLater);

} // namespace ovd
