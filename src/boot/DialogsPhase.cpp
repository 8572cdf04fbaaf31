// One runtime dialog per "Display Dialog" line, loaded before the script runs.
#include "StartupPhases.h"

#include "CompiledScript.h"
#include "RunnerUI.h"
#include "mscriptexec.h"
#include "uGlobals.h"

#include <vector>

namespace ovd {

void LoadDialogs(StartupForms& forms, IDialogHost& dialogs)
{
    const TCompiledScript& script = Script();
    std::vector<std::size_t> lines;
    for (std::size_t line = 0; line < script.LineCount(); ++line)
        if (script.CommandNames[line] == "Display Dialog" && !script.LineDisabled(line))
            lines.push_back(line);

    if (forms.Exist()) {
        forms.Init->SetProgressRange(0, static_cast<int>(lines.size()));
        forms.Init->SetProgressPosition(1);
        forms.Init->Repaint();
    }
    const std::string& supportDir = Process().SupportDir;
    dialogs.PrepareDialogs(supportDir);
    for (std::size_t line : lines) {
        const std::string& name =
            GetScriptParameter(script.ParameterLists, script.CommandIds.At(line), 1);
        dialogs.LoadDialog(supportDir + name + ".dfm", std::to_string(line));
        if (forms.Exist()) {
            forms.Init->StepProgress(1);
            forms.Repaint();
        }
    }
}

void RunScriptPhase(TEngineServices& services)
{
    const ProcessFacts& facts = Process();
    ScriptRunner(services, facts.SupportDir + facts.ExeBaseName + ".msi");
}

} // namespace ovd
