// Program entry of the setup engine: ties the start-up sequence to the modules built on
// top of it (the script runner and its expression evaluator), then runs it.
#include "ScriptValidation.h"
#include "Startup.h"
#include "StartupSeams.h"
#include "StartupTrace.h"
#include "mEval.h"
#include "mscriptexec.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ovd::SetValidationExpressionEvaluator(ovd::ExpressionEvaluator);
    ovd::SetRunnerTrace([](std::string_view line) { ovd::TraceLine(line); });
    ovd::Seams().RunScript = [](const ovd::ScriptRunRequest& request) {
        ovd::ScriptRunner(request.DatabasePath);
    };
    return ovd::RunStartup();
}
