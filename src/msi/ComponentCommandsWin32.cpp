// The selection files of "Save Feature Selections" and "Load Feature Selections" on the
// Windows file system, with WOW64 redirection off in 64-bit mode.
#include "ComponentCommands.h"

#include "FileBytes.h"
#include "FileUtil.h"
#include "Wow64Redirection.h"

#include <memory>

namespace ovd {
namespace {

// Larger files are not selection files (ReadSelectionFile would refuse them anyway).
constexpr std::uint64_t kMaxSelectionFileBytes = 64ull << 20;

std::unique_ptr<TWow64RedirectionOff> RedirectionOff(bool off)
{
    return off ? std::make_unique<TWow64RedirectionOff>() : nullptr;
}

} // namespace

void RegisterComponentCommands()
{
    TSelectionFileAccess files;
    files.Read = [](const std::string& path, bool redirectionOff) {
        const auto guard = RedirectionOff(redirectionOff);
        return ReadFileBytes(path, kMaxSelectionFileBytes);
    };
    files.Write = [](const std::string& path, const std::string& data, bool redirectionOff,
                     std::string& error) {
        const auto guard = RedirectionOff(redirectionOff);
        return ReplaceFileBytes(path, data, error);
    };
    RegisterComponentCommands(std::move(files));
}

} // namespace ovd
