// "Wizard Loop", "Display Dialog" and "Hide Dialog": the dialogs of a wizard and the
// dialogs shown on their own. The loop moves between the pages (ExecutionLoop.cpp); these
// handlers collect a loop's pages, show one and set the direction. OS-free: the dialog
// itself is shown by the dialog host (IDialogHost).
#include "DialogCommands.h"

#include "CommandTable.h"
#include "RunnerUI.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "uGlobals.h"

namespace ovd {
namespace {

// The "Display Dialog" line's place in the current wizard loop; 0 when outside.
long WizardPositionOf(const TControlFlowState& flow, long line)
{
    for (std::size_t i = 0; i < flow.WizardDialogLines.size(); ++i)
        if (flow.WizardDialogLines[i] == line)
            return static_cast<long>(i) + 1;
    return 0;
}

void DisplayDialog(TCommandContext& context)
{
    TScriptRun& run = context.Run();
    TControlFlowState& flow = run.Flow;
    const long position = WizardPositionOf(flow, context.Line());
    const long count = static_cast<long>(flow.WizardDialogLines.size());
    // Parameter 4 names a variable whose truth equal to parameter 6's skips the page. In a
    // wizard the move goes on in its direction: Back past a skipped page reaches the one
    // before it, and a skipped last page ends the loop.
    const std::string skipVariable = context.OutputName(4);
    if (!skipVariable.empty() && IsTrue(GetVariable(skipVariable)) == IsTrue(context.Expanded(6))) {
        if (position != 0) {
            flow.WizardPosition = position;
            if (flow.WizardStep > 0 && position >= count)
                flow.WizardStep = 0;
            flow.WizardNavigating = true;
        }
        return;
    }
    const bool wait = position != 0 || IsTrue(context.Expanded(3));
    // Shown or not, a display forgets the cancel of the operation before it.
    if (Process().SilentMode)
        SetVariable("ZOVR_IsCancelled", "FALSE", "ShowDesign");
    std::string result;
    if (wait) {
        result = Process().SilentMode ? std::string("NEXT")
                                      : context.Dialogs().ShowDialog(context.Line());
        if (position == 0) {
            context.Dialogs().ReleaseDialogWindow();
            SetVariable("WINDOWHANDLE", "0", "Display Dialog");
        }
    } else {
        const unsigned long long window =
            Process().SilentMode ? 0 : context.Dialogs().ShowDialogModeless(context.Line());
        SetVariable("WINDOWHANDLE", std::to_string(window), "Display Dialog");
        result = "NOTMODAL";
    }
    SetVariable("WIZARD", result, context.Origin());
    const std::string resultVariable = context.OutputName(2);
    if (!resultVariable.empty()) {
        context.CreateFirst(resultVariable);
        context.Assign(resultVariable, result);
    }
    if (position == 0)
        return;
    flow.WizardPosition = position;
    if (result == "NEXT")
        flow.WizardStep = position >= count ? 0 : 1;
    else if (result == "BACK")
        flow.WizardStep = -1;
    else if (result == "CANCEL")
        flow.WizardStep = 0;
    else if (flow.WizardStep > 0 && position >= count)
        flow.WizardStep = 0; // any other result keeps the direction
    flow.WizardNavigating = true;
}

void HideDialog(TCommandContext& context)
{
    if (!Process().SilentMode)
        context.Dialogs().HideDialog();
    SetVariable("WINDOWHANDLE", "0", "Hide Dialog");
}

// Collects the live "Display Dialog" lines of this loop (not of nested loops).
void WizardLoop(TCommandContext& context)
{
    TScriptRun& run = context.Run();
    const TCompiledScript& script = *run.Script;
    TControlFlowState& flow = run.Flow;
    const long count = static_cast<long>(script.LineCount());
    flow.WizardDialogLines.clear();
    long depth = 0;
    for (long line = context.Line() + 1; line < count; ++line) {
        if (script.LineDisabled(static_cast<std::size_t>(line)))
            continue;
        const std::string& name = script.CommandNames.At(static_cast<std::size_t>(line));
        if (name == "If" || name == "Wizard Loop")
            ++depth;
        else if (name == "End" && depth-- == 0)
            break;
        else if (name == "Display Dialog" && depth == 0)
            flow.WizardDialogLines.push_back(line);
    }
    flow.WizardPosition = 0;
    flow.WizardStep = flow.WizardDialogLines.empty() ? 0 : 1;
    flow.WizardNavigating = true;
}

} // namespace

void RegisterDialogCommands()
{
    RegisterCommand("Wizard Loop", WizardLoop);
    RegisterCommand("Display Dialog", DisplayDialog);
    RegisterCommand("Hide Dialog", HideDialog);
}

} // namespace ovd
