// A runtime dialog: the controls of one form file built into a top-level window with
// Win32 and common controls, bound to variables by Hint and to roles by Tag, with the
// dialog's rules, its one-second Timer1 and the close-refused window behaviour. Windows
// trees only; main thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "DialogBinding.h"
#include "DialogFeatures.h"
#include "DialogLayout.h"
#include "DialogModel.h"
#include "DialogRules.h"
#include "RunnerUI.h"
#include "WinHandles.h"

namespace ovd {

// Result codes of a dialog.
inline constexpr int kResultUndecided = -1;
inline constexpr int kResultNotModal = 0;
inline constexpr int kResultTaskDone = 1; // the task the dialog drove (the installer run)
inline constexpr int kResultCancel = 2;
inline constexpr int kResultNext = 6;
inline constexpr int kResultBack = 7;
inline constexpr int kResultNamedButton = 8;

class TPoolTemplate {
public:
    // Builds the windows (hidden). `designFile` names the form file; its name without folder
    // is the form's Hint, the key of its caption templates.
    TPoolTemplate(const std::string& designFile, TDialogModel model,
                  std::vector<TDialogRule> rules);
    ~TPoolTemplate();
    TPoolTemplate(const TPoolTemplate&) = delete;
    TPoolTemplate& operator=(const TPoolTemplate&) = delete;

    HWND Window() const { return window_.get(); }
    // A control's window by model index ([0] is the form); null when it has none.
    HWND ControlWindow(int index) const;
    const std::string& Hint() const { return hint_; }
    // The folder of the form file, with its trailing backslash.
    const std::string& DialogsFolder() const { return dialogsFolder_; }
    TDialogModel& Model() { return model_; }

    // Binds every control from the variables (captions, texts, check states, items,
    // progress), attaches the event handlers and applies the rules.
    void Prepare() { binding_.Prepare(); }
    // Event handlers stop writing variables.
    void Detach() { binding_.Detach(); }
    void ApplyRules() { binding_.ApplyRules(); }
    // Shows a progress state in the Tag 1 controls (and the Tag 100 ones from their
    // variables), then applies the rules.
    void RefreshProgress(const TProgressState& progress) { binding_.RefreshProgress(progress); }
    // The product's features for the feature trees and figures (null: none yet).
    void SetFeatures(IDialogFeatures* features) { binding_.SetFeatures(features); }
    // Caption templates in the setup language.
    void SetCaptionTranslator(CaptionTranslator translate)
    {
        binding_.SetCaptionTranslator(std::move(translate));
    }

    // The wait: the result a button (or the dialog's task) gave, kResultUndecided while
    // there is none; the Name of a Tag 5 button.
    int Result() const { return result_; }
    const std::string& PressedName() const { return pressedName_; }
    void SetResult(int code, std::string pressedName = {});
    // Shown without waiting (Hide Dialog hides only such a dialog).
    bool Modeless() const { return modeless_; }
    void SetModeless(bool on) { modeless_ = on; }
    // A close hides the dialog; otherwise a close request brings it back to the front.
    void AllowClose(bool on) { closeAllowed_ = on; }

    // Timer1 (1000 ms, on from creation) and its tick handler, set by the dialog host.
    void SetTimerHandler(std::function<void(TPoolTemplate&)> onTimer)
    {
        onTimer_ = std::move(onTimer);
    }
    void EnableTimer(bool on);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    int IndexOf(HWND child) const;
    LRESULT KeyCommand(int id);
    LRESULT Colours(HDC dc, HWND child);
    void Close();

    void Build();
    void MakeFontsAndBrushes();
    void CreateControls();
    RECT ShownRect(int index, const TLayoutRect& place) const;
    void Relayout(bool always);
    void ApplyVisibility();
    void FitLabel(int index);
    void ShowPropertyChange(int index, const std::string& property);
    int Scale(long long value) const;

    std::string hint_;
    std::string dialogsFolder_;
    TDialogModel model_;
    UniqueWindow window_;
    std::vector<HWND> controls_; // by model index; [0] is the form
    std::vector<HFONT> fonts_;   // by model index
    std::vector<UniqueGdiObject> ownedFonts_;
    std::vector<UniqueGdiObject> bitmaps_;
    std::vector<COLORREF> backColours_;
    std::vector<COLORREF> textColours_;
    std::vector<UniqueGdiObject> brushes_;
    std::vector<HBRUSH> brushOf_;
    int dpi_ = 96;
    int designDpi_ = 96;
    long layoutWidth_ = 0; // the client size the controls are placed for, in design units
    long layoutHeight_ = 0;
    bool timerOn_ = false;
    std::function<void(TPoolTemplate&)> onTimer_;
    int result_ = kResultUndecided;
    std::string pressedName_;
    bool modeless_ = false;
    bool closeAllowed_ = false;
    TDialogBinding binding_; // last: it reads the model and the windows above
};

} // namespace ovd
