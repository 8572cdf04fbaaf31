// The archive library "ovd.lib", bound at run time from the engine's folder, and the
// extraction of archives on top of it: the setup archive at start-up and the archives
// that scripts extract.
#pragma once

#include "ovdlib.h"

#include <cstdint>
#include <functional>
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

// The library, loaded once per process from Process().ExeDir + "ovd.lib" and kept: the
// start-up reads the language file behind its image and then extracts the setup archive
// with it. Throws std::runtime_error when it cannot be loaded (and tries again on the next
// call).
void* ArchiveLibrary();

// The bound library; throws std::runtime_error when it cannot be loaded or lacks an
// entry point (and tries again on the next call).
const TSevenZipAPI& SevenZipAPI();

// One extraction of every entry of an archive.
struct TArchiveExtraction {
    std::string Archive;
    std::string Password;
    std::string TargetFolder;
    bool WithoutFolderNames = false;
    // The answer to "the file exists": replace it, or keep it.
    bool OverwriteExisting = false;
    // Before each entry: its listed name, the unpacked bytes done and in all.
    std::function<void(const std::string& name, std::uint64_t done, std::uint64_t total)> OnFile;
    // Asked often while data is decoded; false stops the extraction.
    std::function<bool()> Continue;
};

struct TArchiveResult {
    bool Ok = false;
    std::int32_t Code = 0; // the library's error code; 0 for a failure outside it
    std::string Text;      // the library's text for Code, or the failure's message
    bool DuringListing = false;
};

// Lists the archive with the password, then extracts all its entries. Runs the callbacks
// on the calling thread. Never throws.
TArchiveResult ExtractArchiveFiles(const TArchiveExtraction& extraction) noexcept;

// Extracts every entry of `archive` into `targetFolder` with its relative path. Never
// throws: false with the reason in errorText on failure ("#<code>" when the extraction
// itself failed).
bool ExtractSetupArchive(const std::string& archive, const std::string& password,
                         const std::string& targetFolder, bool overwriteAll,
                         std::string& errorText) noexcept;

} // namespace ovd
