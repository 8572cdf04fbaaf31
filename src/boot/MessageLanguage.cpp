// The engine's message texts in the user's language, from the language file that ovd.lib
// carries behind its image.
#include "StartupPhases.h"

#include "EngineMessages.h"
#include "FileUtil.h"
#include "OverlayFile.h"
#include "UserLanguage.h"
#include "WinHandles.h"
#include "uGlobals.h"
#include "uSevenZipAPI.h"

namespace ovd {
void LoadMessageLanguage() noexcept
{
    try {
        const ProcessFacts& facts = Process();
        // Kept loaded: the archive is extracted with it next.
        const auto library = static_cast<HMODULE>(ArchiveLibrary());
        const std::string languageFile = facts.TempDir + "lang.loc";
        TempFileLock lock("lang.loc");
        if (CopyModuleOverlay(library, languageFile)) {
            LoadEngineMessages(languageFile, UserLanguageName());
            DeleteFileA(languageFile.c_str());
        }
    } catch (...) {
        // The English texts stay in effect.
    }
}

} // namespace ovd
