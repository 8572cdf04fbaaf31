#include "RetryForms.h"

#include "DialogTemplate.h"
#include "EngineMessages.h"
#include "EngineServices.h"
#include "OwnerWindow.h"
#include "ProgressDisplay.h"
#include "ScriptRun.h"

#include <string>

namespace ovd {
namespace {

// Controls of the forms.
constexpr WORD kMessageId = 100, kNoteId = 101, kGroupId = 102;
constexpr WORD kServerId = 110, kPortId = 111, kUserId = 112, kPasswordId = 113;
constexpr WORD kServerLabel = 120, kPortLabel = 121, kUserLabel = 122, kPasswordLabel = 123;
constexpr WORD kDownloadId = 130, kExtractId = 131;
constexpr WORD kResumeId = 140, kNewCopyId = 141, kQuestionId = 142;
constexpr UINT_PTR kAutoCloseTimer = 1;
constexpr UINT kAutoCloseMs = 60000;

enum class Form { Proxy, ProxyEx, Extract };

struct TFormState {
    Form Kind = Form::Proxy;
    TProxySettings* Proxy = nullptr;
};

void Text(HWND form, WORD id, int message)
{
    SetDlgItemTextA(form, id, EngineMessage(message).c_str());
}

std::string ItemText(HWND form, WORD id)
{
    char buffer[512] = {};
    GetDlgItemTextA(form, id, buffer, sizeof buffer);
    return buffer;
}

// Centred on the owner (the dialog on screen), else on the screen's work area.
void Centre(HWND form)
{
    RECT area{};
    HWND owner = GetWindow(form, GW_OWNER);
    if (owner == nullptr || !GetWindowRect(owner, &area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(form, &own);
    const int width = own.right - own.left, height = own.bottom - own.top;
    SetWindowPos(form, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Prepare(HWND form, const TFormState& state)
{
    if (state.Kind == Form::ProxyEx) {
        SetWindowTextA(form, EngineMessage(68).c_str());
        Text(form, kMessageId, 85);
        Text(form, kQuestionId, 86);
        Text(form, kResumeId, 87);
        Text(form, kNewCopyId, 88);
        Text(form, kNoteId, 89);
        Text(form, IDOK, 81);
        Text(form, IDCANCEL, 82);
        CheckRadioButton(form, kResumeId, kNewCopyId, kResumeId);
        SetTimer(form, kAutoCloseTimer, kAutoCloseMs, nullptr);
    } else if (state.Kind == Form::Extract) {
        SetWindowTextA(form, EngineMessage(76).c_str());
        Text(form, kMessageId, 77);
        Text(form, kDownloadId, 78);
        Text(form, kExtractId, 79);
        Text(form, kNoteId, 80);
        Text(form, IDOK, 81);
        Text(form, IDCANCEL, 82);
        CheckRadioButton(form, kDownloadId, kExtractId, kDownloadId);
        SetTimer(form, kAutoCloseTimer, kAutoCloseMs, nullptr);
    } else {
        SetWindowTextA(form, EngineMessage(68).c_str());
        Text(form, kMessageId, 69);
        Text(form, kGroupId, 70);
        Text(form, kServerLabel, 71);
        Text(form, kPortLabel, 72);
        Text(form, kUserLabel, 83);
        Text(form, kPasswordLabel, 84);
        Text(form, kNoteId, 73);
        Text(form, IDOK, 74);
        Text(form, IDCANCEL, 75);
        SetDlgItemTextA(form, kServerId, state.Proxy->Server.c_str());
        SetDlgItemTextA(form, kPortId, state.Proxy->Port.c_str());
        SetDlgItemTextA(form, kUserId, state.Proxy->User.c_str());
        SetDlgItemTextA(form, kPasswordId, state.Proxy->Password.c_str());
    }
    Centre(form);
    SetForegroundWindow(form);
}

INT_PTR CALLBACK RetryFormProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        auto* state = reinterpret_cast<TFormState*>(GetWindowLongPtrA(form, DWLP_USER));
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(form, DWLP_USER, lParam);
            Prepare(form, *reinterpret_cast<TFormState*>(lParam));
            return TRUE;
        case WM_TIMER:
            if (wParam == kAutoCloseTimer) {
                KillTimer(form, kAutoCloseTimer);
                // Unanswered: TovdExtract takes Download, TovdProxyEx what is chosen.
                if (state != nullptr && state->Kind == Form::Extract)
                    CheckRadioButton(form, kDownloadId, kExtractId, kDownloadId);
                PostMessageA(form, WM_COMMAND, IDOK, 0);
                return TRUE;
            }
            break;
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            if (id == IDOK) {
                const Form kind = state != nullptr ? state->Kind : Form::Proxy;
                if (state != nullptr && kind == Form::Proxy) {
                    *state->Proxy = {ItemText(form, kServerId), ItemText(form, kPortId),
                                     ItemText(form, kUserId), ItemText(form, kPasswordId)};
                }
                INT_PTR answer = IDOK;
                if (kind == Form::Extract && IsDlgButtonChecked(form, kExtractId))
                    answer = kExtractId;
                if (kind == Form::ProxyEx && IsDlgButtonChecked(form, kNewCopyId))
                    answer = kNewCopyId;
                EndDialog(form, answer);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(form, IDCANCEL);
                return TRUE;
            }
            break;
        }
        default:
            break;
        }
    } catch (...) {
        // Nothing escapes the form's procedure.
    }
    return FALSE;
}

INT_PTR ShowForm(TScriptRun& run, const TDialogTemplate& form, TFormState& state)
{
    HWND owner = OwnerWindowOf(run.Services.Dialogs);
    // The progress display pauses while the form waits for the user.
    SetProgressAttention(owner, true, false);
    const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), form.Get(), owner,
                                                   RetryFormProc, reinterpret_cast<LPARAM>(&state));
    SetProgressAttention(owner, false, false);
    return result;
}

constexpr DWORD kFormStyle = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;

} // namespace

bool AskProxyRetry(TScriptRun& run, TProxySettings& proxy)
{
    // Dialog units: the question, the proxy group with four labelled edits, the note, Yes
    // and No.
    TDialogTemplate form(kFormStyle, 260, 170, 13);
    form.Item(SS_LEFT, 8, 8, 244, 20, kMessageId, kStaticClass);
    form.Item(BS_GROUPBOX, 8, 32, 244, 76, kGroupId, kButtonClass);
    form.Item(SS_LEFT, 16, 46, 70, 10, kServerLabel, kStaticClass);
    form.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 90, 44, 154, 12, kServerId, kEditClass);
    form.Item(SS_LEFT, 16, 61, 70, 10, kPortLabel, kStaticClass);
    form.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 90, 59, 50, 12, kPortId, kEditClass);
    form.Item(SS_LEFT, 16, 76, 70, 10, kUserLabel, kStaticClass);
    form.Item(ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 90, 74, 154, 12, kUserId, kEditClass);
    form.Item(SS_LEFT, 16, 91, 70, 10, kPasswordLabel, kStaticClass);
    form.Item(ES_AUTOHSCROLL | ES_PASSWORD | WS_BORDER | WS_TABSTOP, 90, 89, 154, 12, kPasswordId,
              kEditClass);
    form.Item(SS_LEFT, 8, 114, 244, 28, kNoteId, kStaticClass);
    form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 148, 150, 50, 14, IDOK, kButtonClass);
    form.Item(BS_PUSHBUTTON | WS_TABSTOP, 202, 150, 50, 14, IDCANCEL, kButtonClass);
    TProxySettings edited = proxy;
    TFormState state{Form::Proxy, &edited};
    if (ShowForm(run, form, state) != IDOK)
        return false;
    proxy = edited;
    return true;
}

DownloadRetry AskDownloadRetry(TScriptRun& run)
{
    TDialogTemplate form(kFormStyle, 260, 126, 7);
    form.Item(SS_LEFT, 8, 8, 244, 20, kMessageId, kStaticClass);
    form.Item(SS_LEFT, 8, 32, 244, 10, kQuestionId, kStaticClass);
    form.Item(BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 16, 46, 236, 12, kResumeId, kButtonClass);
    form.Item(BS_AUTORADIOBUTTON, 16, 60, 236, 12, kNewCopyId, kButtonClass);
    form.Item(SS_LEFT, 8, 78, 244, 20, kNoteId, kStaticClass);
    form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 148, 106, 50, 14, IDOK, kButtonClass);
    form.Item(BS_PUSHBUTTON | WS_TABSTOP, 202, 106, 50, 14, IDCANCEL, kButtonClass);
    TFormState state{Form::ProxyEx, nullptr};
    const INT_PTR result = ShowForm(run, form, state);
    if (result == kNewCopyId)
        return DownloadRetry::NewCopy;
    return result == IDOK ? DownloadRetry::Resume : DownloadRetry::Cancel;
}

ExtractRetry AskExtractRetry(TScriptRun& run)
{
    TDialogTemplate form(kFormStyle, 260, 110, 6);
    form.Item(SS_LEFT, 8, 8, 244, 20, kMessageId, kStaticClass);
    form.Item(BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 16, 32, 236, 12, kDownloadId,
              kButtonClass);
    form.Item(BS_AUTORADIOBUTTON, 16, 46, 236, 12, kExtractId, kButtonClass);
    form.Item(SS_LEFT, 8, 64, 244, 20, kNoteId, kStaticClass);
    form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 148, 90, 50, 14, IDOK, kButtonClass);
    form.Item(BS_PUSHBUTTON | WS_TABSTOP, 202, 90, 50, 14, IDCANCEL, kButtonClass);
    TFormState state{Form::Extract, nullptr};
    const INT_PTR result = ShowForm(run, form, state);
    if (result == kExtractId)
        return ExtractRetry::Extract;
    return result == IDOK ? ExtractRetry::Download : ExtractRetry::Cancel;
}

} // namespace ovd
