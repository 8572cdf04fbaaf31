// The message commands: "MessageBox" (a box with the script's caption, owned by the current
// dialog, the taskbar asking for attention while it is up), "MessageBalloon" and
// "System Tray" (the tray icon of the hidden main form).
#include "MessageCommands.h"

#include "CommandTable.h"
#include "IntegerText.h"
#include "MessageBoxText.h"
#include "OwnerWindow.h"
#include "ProgressDisplay.h"
#include "ScriptRun.h"
#include "TImageListPool.h"
#include "TaskbarProgress.h"
#include "TrayIcon.h"
#include "VariableManager.h"
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

    IDialogHost& dialogs = *services.Dialogs;
    SetProgressAttention(dialogs.OwnerWindow(), true, MessageBoxIsError(style));
    int pressed = MessageBoxA(OwnerWindowOf(&dialogs), message.c_str(), caption.c_str(), style);
    if (pressed == 0) // the owner is gone: the box stands alone
        pressed = MessageBoxA(nullptr, message.c_str(), caption.c_str(), style | MB_TASKMODAL);
    SetProgressAttention(dialogs.OwnerWindow(), false, false);

    StoreMessageBoxResult(c, 5, pressed);
}

void MessageBalloonCommand(TCommandContext& c)
{
    const TEngineServices& services = c.Run().Services;
    const std::string title = ExpandVariables(services.Translated(c.LineId(), 1, c.Param(1)));
    const std::string text = ExpandVariables(services.Translated(c.LineId(), 2, c.Param(2)));
    const auto kind =
        static_cast<BalloonKind>(BalloonKindCode(TryStrToInt32(c.Expanded(3)).value_or(-1)));
    const UINT timeoutMs =
        static_cast<UINT>(BalloonTimeoutSeconds(TryStrToInt32(c.Expanded(4)).value_or(0))) * 1000;
    if (Process().SilentMode)
        return;
    Tray().ShowBalloon(GetVariable("TITLE"), title, text, kind, timeoutMs);
    // The taskbar asks for attention while the balloon is up; Win7Timer ends that.
    IDialogHost* dialogs = services.Dialogs;
    SetProgressAttention(dialogs->OwnerWindow(), true, false);
    ImageListPool().StartWin7Timer(
        timeoutMs, [dialogs] { SetProgressAttention(dialogs->OwnerWindow(), false, false); });
}

void SystemTrayCommand(TCommandContext& c)
{
    const TTrayFlags flags =
        TrayFlagsOf(c.Expanded(1), c.Expanded(2), c.Expanded(3), c.Expanded(4));
    const bool silent = Process().SilentMode;
    TTrayIcon& tray = Tray();
    // The icon in the tray and the overlay on the taskbar button go together.
    const auto showIcon = [&tray, &c] {
        const std::string title = GetVariable("TITLE");
        tray.Show(title);
        TaskbarProgress().SetOverlay(OwnerWindowOf(c.Run().Services.Dialogs), true, title);
    };
    if (flags.MinimizeToTray) {
        if (!silent)
            showIcon();
        tray.MinimizeDialog();
    }
    if (flags.ShowIcon && !silent)
        showIcon();
    if (flags.Restore)
        tray.RestoreDialog();
    if (flags.RemoveIcon) {
        tray.Hide();
        TaskbarProgress().SetOverlay(OwnerWindowOf(c.Run().Services.Dialogs), false, {});
        tray.RestoreDialog();
    }
}

} // namespace

void RegisterMessageCommands(TEngineServices& services)
{
    // An icon left behind when the process ends stays in the tray until the pointer
    // passes over it.
    services.ExitSteps.Add("tray icon", [](TScriptRun& run) {
        if (!Tray().Visible())
            return;
        Tray().Hide();
        TaskbarProgress().SetOverlay(OwnerWindowOf(run.Services.Dialogs), false, {});
    });
    RegisterCommand("MessageBox", MessageBoxCommand);
    RegisterCommand("MessageBalloon", MessageBalloonCommand);
    RegisterCommand("System Tray", SystemTrayCommand);
}

} // namespace ovd
