// The archive library "ovd.lib", bound at run time from the engine's folder, and the
// extraction of a whole archive on top of it.
#pragma once

#include "ovdlib.h"

#include <string>

namespace ovd {

// The library's entry points. Bound once per process, from Process().ExeDir + "ovd.lib";
// kept loaded until the process ends.
struct TSevenZipAPI {
    OVD_PFN_OpenListArchive OpenListArchive = nullptr;
    OVD_PFN_CloseListArchive CloseListArchive = nullptr;
    OVD_PFN_ExtractArchive ExtractArchive = nullptr;
    OVD_PFN_GetLastArchiveError GetLastArchiveError = nullptr;
};

// The bound library; throws std::runtime_error when it cannot be loaded or lacks an
// entry point (and tries again on the next call).
const TSevenZipAPI& SevenZipAPI();

// Extracts every entry of `archive` into `targetFolder` with its relative path. Never
// throws: false with the reason in errorText on failure.
bool ExtractSetupArchive(const std::string& archive, const std::string& password,
                         const std::string& targetFolder, bool overwriteAll,
                         std::string& errorText) noexcept;

} // namespace ovd
