// The pin list of the shortcut commands: entries "shortcut file|flags|target", recorded by
// "Create Shortcut" and "Advertised Shortcut", pinned through the shell after an install
// and saved with the engine cache (its ".lnk" companion), where the next run finds what
// to unpin before the installer changes the shortcuts. OS-free.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

struct TPinEntry {
    std::string Link;       // the shortcut file
    std::string Flags;      // as recorded
    std::string Target;     // what the shortcut starts
    bool Taskbar = false;   // flag "X"
    bool StartMenu = false; // flag "7"
};

// One entry of the list; nothing for an entry without a shortcut file or without any of
// the two flags (there is nothing to pin).
std::optional<TPinEntry> ParsePinEntry(std::string_view entry);

// The pins of the list, each shortcut file once (the later entry winning).
std::vector<TPinEntry> PinEntries(const std::vector<std::string>& list);

} // namespace ovd
