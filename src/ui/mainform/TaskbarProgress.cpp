#include "TaskbarProgress.h"

#include <objbase.h>

#include "SystemVersion.h"

namespace ovd {

bool TTaskbarProgress::Available()
{
    if (!tried_) {
        tried_ = true;
        if (!GetSystemVersion().IsSevenOrLater())
            return false;
        CoInitialize(nullptr); // the main thread's apartment, kept with the interface
        if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_ITaskbarList3, list_.put())) ||
            !list_ || FAILED(list_->HrInit()))
            list_.reset();
    }
    return static_cast<bool>(list_);
}

void TTaskbarProgress::SetState(HWND window, int flags)
{
    if (Available() && window != nullptr)
        list_->SetProgressState(window, static_cast<TBPFLAG>(flags));
}

void TTaskbarProgress::SetMode(HWND window, std::string_view mode)
{
    if (mode == "MARQUEE")
        SetState(window, TBPF_INDETERMINATE);
    else if (mode == "ERROR")
        SetState(window, TBPF_ERROR);
    else if (mode == "PAUSE")
        SetState(window, TBPF_PAUSED);
    else
        SetState(window, TBPF_NORMAL);
}

void TTaskbarProgress::SetValue(HWND window, unsigned long long position, unsigned long long max)
{
    if (Available() && window != nullptr)
        list_->SetProgressValue(window, position, max);
}

bool TTaskbarProgress::SetOverlay(HWND window, bool on, const std::string& description)
{
    if (!Available() || window == nullptr)
        return false;
    if (!on)
        return SUCCEEDED(list_->SetOverlayIcon(window, nullptr, nullptr));
    // Icon 0 of the hidden main form's 32x32 list: the program's own icon.
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
    if (icon == nullptr)
        icon = LoadIconA(nullptr, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    const int length = MultiByteToWideChar(CP_ACP, 0, description.c_str(), -1, nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 1), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, description.c_str(), -1, text.data(), length);
    return SUCCEEDED(list_->SetOverlayIcon(window, icon, text.c_str()));
}

TTaskbarProgress& TaskbarProgress()
{
    static TTaskbarProgress taskbar;
    return taskbar;
}

} // namespace ovd
