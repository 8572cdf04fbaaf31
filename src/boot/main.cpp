// Program entry of the setup engine: ties the start-up sequence to the modules built on
// top of it (the script runner and its expression evaluator), then runs it.
#include "ExecutionLoop.h"
#include "RunnerUI.h"
#include "ScriptValidation.h"
#include "StartupPhases.h"
#include "Startup.h"
#include "StartupSeams.h"
#include "StringCommands.h"
#include "StartupTrace.h"
#include "uGlobals.h"
#include "mEval.h"
#include "mscriptexec.h"

#include <windows.h>

namespace {

// The program ran from a removable medium that has been taken out.
bool ProgramMediumRemoved()
{
    const std::string& folder = ovd::Process().ExeDir;
    if (folder.size() < 3 || folder[1] != ':')
        return false;
    const std::string root = folder.substr(0, 3);
    if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED)
        return false;
    return GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ovd::SetValidationExpressionEvaluator(ovd::ExpressionEvaluator);
    ovd::SetRunnerTrace([](std::string_view line) { ovd::TraceLine(line); });
    ovd::RegisterRunnerCommands();
    ovd::RegisterStringCommands();
    ovd::SetExecutionLoop([](ovd::TScriptRun& run) {
        if (run.UI == nullptr)
            run.UI = &ovd::Win32RunnerUI();
        ovd::RunExecutionLoop(run);
    });
    ovd::SetRemovedMediumHandling({ProgramMediumRemoved, {}, ovd::RemoveCachedSupportDir,
                                   [](int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }});
    ovd::Seams().RunScript = [](const ovd::ScriptRunRequest& request) {
        ovd::ScriptRunner(request.DatabasePath);
    };
    return ovd::RunStartup();
}
