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

// Fetches the web media block of the line before a command that installs files records
// it (build mode 2 only; see RegisterRecordingCommands).
using WebMediaFetchFn = std::function<void(TCommandContext&, const std::string& block)>;

// Registers the recording commands; `sevenOrLater` tells whether shortcut identities
// apply. `fetchWebMedia` is called for the lines of a web media build that carry a block
// (while ABORTEDONERROR is not true); without it such lines are recorded as they are.
void RegisterRecordingCommands(std::function<bool()> sevenOrLater,
                               WebMediaFetchFn fetchWebMedia = {});

} // namespace ovd
