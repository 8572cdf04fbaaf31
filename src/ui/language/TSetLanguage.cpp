#include "TSetLanguage.h"

#include "DialogTemplate.h"
#include "EngineMessages.h"

#include <windows.h>

#include <vector>

namespace ovd {
namespace {

constexpr WORD kLabelId = 100;
constexpr WORD kComboId = 101;
constexpr WORD kPictureId = 102;
std::string SelectedText(HWND combo)
{
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return {};
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void Prepare(HWND form, const TSetLanguage& language)
{
    // The texts in the engine's current user-interface language.
    SetWindowTextA(form, EngineMessage(90).c_str());
    SetDlgItemTextA(form, kLabelId, EngineMessage(91).c_str());
    SetDlgItemTextA(form, IDOK, EngineMessage(81).c_str());
    SetDlgItemTextA(form, IDCANCEL, EngineMessage(82).c_str());
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (icon == nullptr)
        icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    SendDlgItemMessageA(form, kPictureId, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    HWND combo = GetDlgItem(form, kComboId);
    int selected = 0;
    for (const std::string& name : language.Languages()) {
        const LRESULT at =
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        if (name == language.Preselected())
            selected = static_cast<int>(at);
    }
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    SetForegroundWindow(form);
}

INT_PTR CALLBACK SetLanguageProc(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    try {
        switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(form, DWLP_USER, lParam);
            Prepare(form, *reinterpret_cast<TSetLanguage*>(lParam));
            return TRUE;
        case WM_COMMAND: {
            auto* language = reinterpret_cast<TSetLanguage*>(GetWindowLongPtrA(form, DWLP_USER));
            const WORD id = LOWORD(wParam);
            if (id == IDOK && language != nullptr) {
                language->Choose(SelectedText(GetDlgItem(form, kComboId)));
                EndDialog(form, IDOK);
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
        // Nothing escapes the form's procedure; a failed step leaves the form as it is.
    }
    return FALSE;
}

} // namespace

std::optional<std::string> TSetLanguage::ShowModal()
{
    // Dialog units: a picture, the question, the list and the two buttons.
    TDialogTemplate form(
        DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU, 218, 76, 5);
    form.Item(SS_ICON, 8, 8, 21, 20, kPictureId, kStaticClass);
    form.Item(SS_LEFT, 38, 8, 172, 18, kLabelId, kStaticClass);
    form.Item(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 38, 30, 172, 120, kComboId, kComboClass);
    form.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 106, 54, 50, 14, IDOK, kButtonClass);
    form.Item(BS_PUSHBUTTON | WS_TABSTOP, 160, 54, 50, 14, IDCANCEL, kButtonClass);

    chosen_.clear();
    const INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), form.Get(), nullptr,
                                                   SetLanguageProc, reinterpret_cast<LPARAM>(this));
    if (result == -1 || result == 0)
        return preselected_;
    if (result != IDOK)
        return std::nullopt;
    return chosen_.empty() ? preselected_ : chosen_;
}

} // namespace ovd
