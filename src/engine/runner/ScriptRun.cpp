#include "ScriptRun.h"

#include "RunPlatform.h"
#include "RunnerUI.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "uGlobals.h"

namespace ovd {

void RecordPendingProperty(TScriptRun& run, const std::string& name, const std::string& value)
{
    run.PendingProperties.Names.push_back(name);
    run.PendingProperties.Values.push_back(NewlinesToText(value));
    run.HandOverProperties.push_back(name);
    run.HandOverProperties.push_back(value);
}

void TraceError(const TScriptRun& run, const std::string& text)
{
    // One line: the box's line breaks become blanks.
    std::string line;
    for (const char c : text) {
        const bool lineBreak = c == '\r' || c == '\n';
        if (!lineBreak)
            line += c;
        else if (!line.empty() && line.back() != ' ')
            line += ' ';
    }
    run.TraceTag("    <Error>" + line + "</Error>");
}

void ShowOwnedError(TScriptRun& run, const std::string& text)
{
    // The log has it in every mode; nothing is shown in silent mode: an unattended install
    // must never wait for a click.
    TraceError(run, text);
    IMessageBoxes* ui = run.Services.Boxes;
    if (ui == nullptr || Process().SilentMode)
        return;
    ui->SetProgressAttention(true);
    ui->ShowMessage(text, MessageIcon::Error, true);
    ui->SetProgressAttention(false);
}

bool CancelEndsRun(TScriptRun& run)
{
    if (!IsTrue(GetVariable("ABORTEDONERROR")))
        ShowOwnedError(run, "Setup cancelled");
    return IsTrue(GetVariable("ABORTONERROR"));
}

void RemoveSingleInstanceMarker(TScriptRun& run)
{
    if (!run.SingleInstanceMarker.empty() && run.Services.Platform != nullptr) {
        run.Services.Platform->ReleaseInstanceMarker(run.SingleInstanceMarker);
        run.SingleInstanceMarker.clear();
    }
}

void RunExitStep(TScriptRun& run)
{
    RemoveSingleInstanceMarker(run);
    run.Services.ExitSteps.Run(run);
}

} // namespace ovd
