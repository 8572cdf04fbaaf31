#include "DialogHost.h"

#include "DialogModel.h"
#include "FileBytes.h"
#include "FileUtil.h"
#include "FormFile.h"
#include "MessagePump.h"
#include "ProgressDisplay.h"
#include "ScriptText.h"
#include "TrayIcon.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "uGlobals.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <utility>

namespace ovd {
namespace {

// How long a page is on screen before the next one is built behind it.
constexpr DWORD kBuildAheadAfterMs = 200;

// The file's lines (SplitLines); none when it cannot be read.
std::vector<std::string> ReadLines(const std::string& path)
{
    const std::optional<std::string> text = ReadFileBytes(path);
    return text ? SplitLines(*text) : std::vector<std::string>();
}

std::string CurrentFolder()
{
    char folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

std::string ResultWord(const TPoolTemplate& form, int code)
{
    switch (code) {
    case kResultCancel:
        return "CANCEL";
    case kResultNext:
        return "NEXT";
    case kResultBack:
        return "BACK";
    case kResultNamedButton:
        return UpperCaseAscii(form.PressedName());
    case kResultNotModal:
        return "NOTMODAL";
    default:
        return {};
    }
}

} // namespace

TDialogHost::TDialogHost()
{
    Tray().Attach(this);
}

TDialogHost::~TDialogHost()
{
    Tray().Attach(nullptr);
}

TPoolTemplate* TDialogHost::CurrentDialog()
{
    if (currentName_.empty())
        return nullptr;
    const auto found = dialogs_.find(currentName_);
    return found == dialogs_.end() ? nullptr : found->second.Form.get();
}

std::size_t TDialogHost::UnbuiltDialogs() const
{
    return static_cast<std::size_t>(std::count_if(
        dialogs_.begin(), dialogs_.end(), [](const auto& entry) { return !entry.second.Form; }));
}

TPoolTemplate& TDialogHost::Built(TLoadedDialog& dialog)
{
    if (!dialog.Form) {
        auto form = std::make_unique<TPoolTemplate>(dialog.File, std::move(*dialog.Model),
                                                    std::move(dialog.Rules));
        form->SetTimerHandler([this](TPoolTemplate& timed) { Tick(timed); });
        form->SetCaptionTranslator(TranslateCaption);
        dialog.Form = std::move(form);
        dialog.Model.reset();
    }
    return *dialog.Form;
}

bool TDialogHost::BuildAhead()
{
    // The script's lines name the dialogs: the one after the page on screen comes first.
    const auto lineOf = [](const std::string& key) {
        return key.find_first_not_of("0123456789") == std::string::npos && !key.empty() &&
                       key.size() < 10
                   ? std::stol(key)
                   : -1L;
    };
    const long current = lineOf(currentName_);
    TLoadedDialog* next = nullptr;
    long nextLine = 0;
    for (auto& [key, dialog] : dialogs_) {
        if (dialog.Form)
            continue;
        const long line = lineOf(key);
        // After the current line beats before it; nearer beats farther.
        const bool better = next == nullptr || (line > current && nextLine <= current) ||
                            ((line > current) == (nextLine > current) && line < nextLine);
        if (better) {
            next = &dialog;
            nextLine = line;
        }
    }
    if (next == nullptr)
        return false;
    try {
        TPoolTemplate& form = Built(*next);
        // Where the page on screen stands: its Place at the click then moves nothing.
        if (placed_)
            Place(form);
    } catch (const std::exception&) {
        // Built again, and reported, when the script shows it.
    }
    return true;
}

void TDialogHost::RefreshDialogProgress(const TProgressState& progress)
{
    if (TPoolTemplate* form = CurrentDialog())
        form->RefreshProgress(progress);
}

void TDialogHost::PrepareDialogs(const std::string& supportDir)
{
    folder_ = supportDir;
}

void TDialogHost::LoadDialog(const std::string& dialogFile, const std::string& name)
{
    if (!FileExists(dialogFile))
        throw std::runtime_error("Dialog file not found: " + dialogFile);
    // Read now, so that a damaged file stops the start-up; the windows are built when the
    // dialog is first needed: building every dialog's windows at start-up cost tens of
    // milliseconds a dialog before the first page.
    TLoadedDialog loaded;
    loaded.File = dialogFile;
    try {
        loaded.Model =
            std::make_unique<TDialogModel>(TDialogModel::FromForm(ReadFormFile(dialogFile)));
        const std::string rulesFile = dialogFile + ".ovdf";
        if (FileExists(rulesFile))
            loaded.Rules = ParseDialogRules(ReadLines(rulesFile));
    } catch (const std::exception& error) {
        const std::string what = error.what();
        throw std::runtime_error(what.find(dialogFile) == std::string::npos
                                     ? "Dialog " + dialogFile + ": " + what
                                     : what);
    }
    for (const TControlModel& control : loaded.Model->Controls()) {
        const std::string variable = control.BoundVariable();
        if (control.Kind != TControlKind::Form && !variable.empty() &&
            std::find(boundVariables_.begin(), boundVariables_.end(), variable) ==
                boundVariables_.end())
            boundVariables_.push_back(variable);
    }
    const std::string key = UpperCaseAscii(name);
    auto found = dialogs_.find(key);
    if (found != dialogs_.end()) {
        if (TPoolTemplate* old = found->second.Form.get()) {
            ShowWindow(old->Window(), SW_HIDE);
            if (shown_ == old)
                shown_ = nullptr;
            if (detachNext_ == old)
                detachNext_ = nullptr;
        }
        found->second = std::move(loaded);
        ProcessPendingMessages();
    } else {
        dialogs_.emplace(key, std::move(loaded));
    }
}

TPoolTemplate& TDialogHost::Prepared(long line)
{
    const std::string key = std::to_string(line);
    const auto found = dialogs_.find(key);
    if (found == dialogs_.end())
        throw std::runtime_error("Dialog of line " + key + " not loaded");
    TPoolTemplate& form = Built(found->second);
    if (detachNext_) {
        detachNext_->Detach();
        detachNext_ = nullptr;
    }
    // The dialog on screen does not repaint half-prepared controls.
    const bool locked = owner_ && LockWindowUpdate(owner_);
    form.SetFeatures(Features);
    form.Prepare();
    if (locked)
        LockWindowUpdate(nullptr);
    return form;
}

std::string TDialogHost::ShowDialog(long line)
{
    TPoolTemplate& form = Prepared(line);
    const int result = Show(form, std::to_string(line), true);
    detachNext_ = &form;
    return ResultWord(form, result);
}

unsigned long long TDialogHost::ShowDialogModeless(long line)
{
    TPoolTemplate& form = Prepared(line);
    Show(form, std::to_string(line), false);
    form.SetResult(kResultNotModal);
    return static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(form.Window()));
}

void TDialogHost::ReleaseDialogWindow()
{
    owner_ = nullptr;
}

void TDialogHost::Place(TPoolTemplate& form)
{
    RECT rect;
    GetWindowRect(form.Window(), &rect);
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    if (!placed_ || width != last_.right - last_.left || height != last_.bottom - last_.top) {
        RECT work;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        last_.left = work.left + (work.right - work.left - width) / 2;
        last_.top = work.top + (work.bottom - work.top - height) / 2;
        placed_ = true;
    }
    last_.right = last_.left + width;
    last_.bottom = last_.top + height;
    // A page built ahead already stands there: moving it again costs the click a round of
    // window-manager messages.
    if (rect.left != last_.left || rect.top != last_.top)
        SetWindowPos(form.Window(), nullptr, last_.left, last_.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int TDialogHost::Show(TPoolTemplate& form, const std::string& name, bool wait)
{
    SetVariable("ZOVR_IsCancelled", "FALSE", "ShowDesign");
    const std::string previousFolder = CurrentFolder();
    SetCurrentDirectoryA(folder_.c_str());
    currentName_ = UpperCaseAscii(name);
    if (Process().SilentMode) {
        // Nothing is shown; the current directory goes back at once, as after a shown page,
        // so that programs the script starts later do not inherit the support folder.
        if (!previousFolder.empty() && DirectoryExists(previousFolder))
            SetCurrentDirectoryA(previousFolder.c_str());
        return kResultNext;
    }
    Place(form);
    form.SetModeless(!wait);
    form.AllowClose(false);
    if (wait)
        form.SetResult(kResultUndecided);

    HWND window = form.Window();
    if (Tray().MinimizedToTray()) {
        // The setup is in the tray: the page waits there until the user brings it back.
        Tray().RememberPending(window);
    } else {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        HWND focus = nullptr;
        if (const LRESULT id = SendMessageA(window, DM_GETDEFID, 0, 0); HIWORD(id) == DC_HASDEFID)
            focus = GetDlgItem(window, LOWORD(id));
        if (!focus || !IsWindowEnabled(focus))
            focus = GetNextDlgTabItem(window, nullptr, FALSE);
        if (focus)
            SetFocus(focus);
        owner_ = window;
    }
    UpdateWindow(window);
    ProcessPendingMessages();
    // The previous page goes only once this one is on screen.
    if (shown_ && shown_ != &form) {
        shown_->AllowClose(true);
        ShowWindow(shown_->Window(), SW_HIDE);
        ProcessPendingMessages();
    }
    shown_ = &form;

    int result = kResultNotModal;
    if (wait) {
        // A quit request ends the page as its Cancel would.
        // While the user reads the page, the next one is built: one dialog, so that a click
        // meets at most that one build, and not before the page has been on screen a while,
        // so that what comes at once (a key, the mouse) is answered at once. A page the
        // script skips to is built when shown.
        const DWORD shownAt = GetTickCount();
        bool ahead = true;
        const auto buildAhead = [this, &ahead, shownAt] {
            const DWORD waited = GetTickCount() - shownAt;
            if (ahead && waited < kBuildAheadAfterMs) {
                MsgWaitForMultipleObjectsEx(0, nullptr, kBuildAheadAfterMs - waited, QS_ALLINPUT,
                                            MWMO_INPUTAVAILABLE);
                return true;
            }
            return std::exchange(ahead, false) && BuildAhead();
        };
        if (!WaitUntil([&form] { return form.Result() != kResultUndecided; }, buildAhead))
            form.SetResult(kResultCancel);
        result = form.Result();
        currentName_.clear();
    }
    RECT rect;
    GetWindowRect(window, &rect);
    last_ = rect;
    if (!previousFolder.empty() && DirectoryExists(previousFolder))
        SetCurrentDirectoryA(previousFolder.c_str());
    return result;
}

void TDialogHost::HideDialog()
{
    TPoolTemplate* form = CurrentDialog();
    if (form && form->Modeless()) {
        form->AllowClose(true);
        ShowWindow(form->Window(), SW_HIDE);
        ProcessPendingMessages();
        RECT rect;
        GetWindowRect(form->Window(), &rect);
        last_ = rect;
        if (shown_ == form)
            shown_ = nullptr;
        currentName_.clear();
        detachNext_ = form;
    }
    owner_ = nullptr;
}

bool TDialogHost::ArmTask(IDialogTask& task)
{
    TPoolTemplate* form = CurrentDialog();
    if (form == nullptr || Process().SilentMode)
        return false;
    task_ = &task;
    taskForm_ = form;
    form->EnableTimer(true);
    return true;
}

void TDialogHost::DisarmTask()
{
    // Left armed, a later waiting display of this dialog would end itself on the first tick
    // of a task that is done.
    task_ = nullptr;
    taskForm_ = nullptr;
}

void TDialogHost::Tick(TPoolTemplate& form)
{
    form.EnableTimer(false);
    if (task_ != nullptr && taskForm_ == &form) {
        if (!task_->StartOnce()) {
            if (!IsIconic(form.Window()))
                RefreshProgressDisplay(*this, kStoredProgressText, true, 0, 0, 0);
            if (task_->Done())
                form.SetResult(kResultTaskDone);
        }
    } else if (ProgressPollingActive()) {
        RefreshProgressDisplay(*this, kStoredProgressText, true, 0, 0, 0);
    }
    form.EnableTimer(true);
}

} // namespace ovd
