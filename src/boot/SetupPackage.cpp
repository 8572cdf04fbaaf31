// The setup package beside the program: its archive unpacked into the support directory,
// its installer database copied there.
#include "StartupPhases.h"

#include "FileUtil.h"
#include "StartupFailure.h"
#include "ovdlib.h"
#include "uGlobals.h"
#include "uSevenZipAPI.h"

#include <string>

namespace ovd {
namespace {

// Free space below this after a failed write means the disk is full: the library's write
// error does not say why.
constexpr ULONGLONG kFullDiskSlack = 1024 * 1024;

// The user can do something about a full disk, so the box says so and names the folder;
// other failures keep the box's text alone (their reason goes to the debugger).
std::string WriteFailureDetail(const std::string& error, const std::string& folder)
{
    if (error.rfind("#" + std::to_string(OVD_E_WRITE), 0) != 0)
        return {};
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA(folder.c_str(), &available, nullptr, nullptr) ||
        available.QuadPart >= kFullDiskSlack)
        return {};
    return SystemErrorText(ERROR_DISK_FULL) + " (" + folder + ")";
}

} // namespace

void ExtractSetupArchivePhase()
{
    const ProcessFacts& facts = Process();
    if (!FileExists(facts.SetupArchive))
        throw StartupFailure{kExitSetupArchiveMissing};
    std::string error;
    if (!ExtractSetupArchive(facts.SetupArchive, "", facts.SupportDir, true, error)) {
        OutputDebugStringA(("Ordovan: " + facts.SetupArchive + ": " + error + "\n").c_str());
        throw StartupFailure{kExitExtractionFailed, WriteFailureDetail(error, facts.SupportDir)};
    }
}

void CheckSetupDatabase()
{
    const ProcessFacts& facts = Process();
    const std::string base = facts.ExeDir + facts.ExeBaseName;
    if (!FileExists(base + ".msi") && !FileExists(base + ".msp"))
        throw StartupFailure{kExitDatabaseMissing};
}

void CopySetupDatabase()
{
    ProcessFacts& facts = Process();
    for (const char* extension : {".msi", ".msp"}) {
        const std::string source = facts.ExeDir + facts.ExeBaseName + extension;
        const std::string target = facts.SupportDir + facts.ExeBaseName + extension;
        // A missing source or a failed copy is the runner's to notice.
        if (CopyFileA(source.c_str(), target.c_str(), FALSE))
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    facts.DataFolder = facts.ExeDir + "data\\";
}

} // namespace ovd
