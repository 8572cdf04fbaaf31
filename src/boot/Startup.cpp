#include "Startup.h"

#include "CommandLine.h"
#include "EngineMessages.h"
#include "EngineServices.h"
#include "OverlayFile.h"
#include "StartupFailure.h"
#include "StartupPhases.h"
#include "StartupTrace.h"
#include "SystemCase.h"
#include "uGlobals.h"

#include <optional>

namespace ovd {
namespace {

// The phases from the stub size to Free. StartupFailure passes through; anything else
// is an unexpected error of the start-up.
void RunGuardedPhases(StartupForms& forms, TEngineServices& services)
{
    TraceLine("    <StubSize>");
    const std::uint64_t stub = CheckStubSize();
    TraceLine("    </StubSize>");

    {
        TraceLine("    <StubData>");
        TempFileLock lock("ovd.tmp");
        CopyStubData(stub);
        TraceLine("    </StubData>");
        TraceLine("    <GlobalLists>");
        LoadGlobalLists();
    }
    TraceLine("    </GlobalLists>");

    TraceLine("    <SupportDir>");
    CreateSupportDir();
    TraceLine("    </SupportDir>");

    TraceLine("    <ExtractArchive>");
    ExtractSetupArchivePhase();
    TraceLine("    </ExtractArchive>");

    TraceLine("    <ExtractResource>");
    CheckSetupDatabase();
    TraceLine("    </ExtractResource>");

    TraceLine("    <ResourcePath>");
    CopySetupDatabase();
    TraceLine("    </ResourcePath>");

    TraceLine("    <Dialogs>");
    LoadDialogs(forms, *services.Dialogs);
    TraceLine("    </Dialogs>");

    FreeStartupForms(forms);
    TraceLine("  </SetupSplash>");

    TraceLine("  <RunScript>");
    RunScriptPhase(services);
    TraceLine("  </RunScript>");

    TraceLine("  <Free>");
    FreeGlobalLists();
    TraceLine("  </Free>");
}

void FailUnexpectedly(StartupForms& forms, const std::string& reason) noexcept
{
    Process().ExitCode = kExitUnexpectedError;
    FreeGlobalLists();
    // The box stands alone: the forms may be what failed.
    ShowStartupError(nullptr, EngineMessage(5) + reason);
    FreeStartupForms(forms);
}

} // namespace

void ReadCommandLine()
{
    ParseCommandLine(GetCommandLineA(), Process(), SystemLowerCase);
}

int RunStartup(TEngineServices& services, const std::function<void()>& afterSplash) noexcept
{
    StartupForms forms;
    try {
        SetCompatibilityMarks();
        SetProcessorAffinity();
        ComputeFolders();
        LoadMessageLanguage();
        ComputeSetupArchive();
        ReadCommandLine();
        TraceLine("<Ordovan>");
        TraceLine("  <SetupSplash>");
        ShowStartupForms(forms);
        if (afterSplash)
            afterSplash();

        try {
            RunGuardedPhases(forms, services);
        } catch (const StartupFailure& failure) {
            Process().ExitCode = failure.ExitCode;
            std::string text = StartupFailureText(failure.ExitCode);
            if (!failure.Detail.empty())
                text += "\r\r" + failure.Detail;
            ShowStartupError(forms.Owner(), text);
            // A missing or damaged archive leaves nothing worth keeping: an empty folder
            // or half of the files. (Without a database the whole package stays, as it
            // always has, to be looked at.)
            if (failure.ExitCode == kExitSetupArchiveMissing ||
                failure.ExitCode == kExitExtractionFailed)
                RemoveCachedSupportDir();
            return failure.ExitCode;
        } catch (const std::exception& e) {
            FailUnexpectedly(forms, e.what());
        } catch (...) {
            FailUnexpectedly(forms, "unknown error");
        }

        TraceLine("  <CachedSupportDir>");
        RemoveCachedSupportDir();
        TraceLine("  </CachedSupportDir>");
        TraceLine("</Ordovan>");
        return Process().ExitCode;
    } catch (...) {
        // Only the phases before the trace's guard can get here (out of memory, say, or no
        // main form).
        Process().ExitCode = kExitUnexpectedError;
        return kExitUnexpectedError;
    }
}

} // namespace ovd
