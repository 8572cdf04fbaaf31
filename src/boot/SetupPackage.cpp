// The setup package beside the program: its archive unpacked into the support directory,
// its installer database copied there.
#include "StartupPhases.h"

#include "FileUtil.h"
#include "StartupFailure.h"
#include "uGlobals.h"
#include "uSevenZipAPI.h"

namespace ovd {

void ExtractSetupArchivePhase()
{
    const ProcessFacts& facts = Process();
    if (!FileExists(facts.SetupArchive))
        throw StartupFailure{kExitSetupArchiveMissing};
    std::string error;
    if (!ExtractSetupArchive(facts.SetupArchive, "", facts.SupportDir, true, error)) {
        // The box says only that decompression failed; the reason goes to the debugger.
        OutputDebugStringA(("Ordovan: " + facts.SetupArchive + ": " + error + "\n").c_str());
        throw StartupFailure{kExitExtractionFailed};
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
