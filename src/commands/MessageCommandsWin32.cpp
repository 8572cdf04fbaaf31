// "MessageBox": a box with the script's caption, owned by the current dialog, with the
// taskbar asking for attention while it is up.
#include "MessageCommands.h"

#include "CommandTable.h"
#include "IntegerText.h"
#include "MessageBoxText.h"
#include "ProgressDisplay.h"
#include "RunnerUIWin32.h"
#include "VariableManager.h"
#include "mscriptexec.h"
#include "uGlobals.h"

#include <windows.h>

namespace ovd {
namespace {

void MessageBoxCommand(TCommandContext& c)
{
    const TEngineServices& services = c.Run().Services;
    const std::string caption = ExpandVariables(services.Translated(c.LineId(), 1, c.Param(1)));
    const std::string message = ExpandVariables(services.Translated(c.LineId(), 2, c.Param(2)));
    const unsigned style = MessageBoxStyle(TryStrToInt32(c.Expanded(3)).value_or(-1),
                                           TryStrToInt32(c.Expanded(4)).value_or(-1));
    // An unattended install never waits for a click; the result variable stays as it was.
    if (Process().SilentMode)
        return;

    SetProgressAttention(true, MessageBoxIsError(style));
    int pressed = MessageBoxA(CurrentDialogWindow(), message.c_str(), caption.c_str(), style);
    if (pressed == 0) // the owner is gone: the box stands alone
        pressed = MessageBoxA(nullptr, message.c_str(), caption.c_str(), style | MB_TASKMODAL);
    SetProgressAttention(false, false);

    const std::string result = c.OutputName(5);
    const std::string word = MessageBoxResultWord(pressed);
    if (result.empty() || word.empty())
        return;
    c.CreateFirst(result);
    c.Assign(result, word);
}

} // namespace

void RegisterMessageCommands(TEngineServices&)
{
    RegisterCommand("MessageBox", MessageBoxCommand);
}

} // namespace ovd
