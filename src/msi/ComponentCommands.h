// The component commands: "Define Component", "Delete Component", "Get/Set Component
// State", "Get/Set Component Space", "Set Component Choice", "Set Component Visibility",
// "Save Feature Selections" and "Load Feature Selections", over the process's
// ComponentTable. OS-free: the selection file is reached through TSelectionFileAccess.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace ovd {

struct TEngineServices;

// The file system of the two selection-file commands. `redirectionOff`: the run is in
// 64-bit mode, so a 32-bit engine must see the native folders.
struct TSelectionFileAccess {
    // The whole file; nothing when it does not exist or cannot be read.
    std::function<std::optional<std::string>(const std::string& path, bool redirectionOff)> Read;
    // Creates or replaces the file; false with a message in `error` on failure.
    std::function<bool(const std::string& path, const std::string& data, bool redirectionOff,
                       std::string& error)>
        Write;
};

void RegisterComponentCommands(TSelectionFileAccess files);

// The same on the Windows file system (Windows trees).
void RegisterComponentCommands();

} // namespace ovd
