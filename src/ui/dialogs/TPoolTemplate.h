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
    const std::string& Hint() const { return hint_; }
    TDialogModel& Model() { return model_; }

    // Binds every control from the variables (captions, texts, check states, items,
    // progress), attaches the event handlers and applies the rules.
    void Prepare();
    // Event handlers stop writing variables.
    void Detach() { attached_ = false; }
    void ApplyRules();
    // Shows a progress state in the Tag 1 controls (and the Tag 100 ones from their
    // variables), then applies the rules.
    void RefreshProgress(const TProgressState& progress);

    int ResultCode = kResultUndecided;
    std::string PressedName;
    bool CloseAllowed = false;
    bool NonModal = false;
    // The product's features for the feature trees and figures (null: none yet), and the
    // path of the feature selected in a Tag 1 tree view.
    IDialogFeatures* Features = nullptr;
    std::string SelectedFeaturePath;

    // Timer1 (1000 ms, on from creation): its tick handler, set by the dialog host.
    std::function<void(TPoolTemplate&)> OnTimer;
    // A caption template in the setup language, by its key "<dialog file>.<control>"
    // (+ ".<property>" for texts other than the caption); set by the dialog host.
    std::function<std::string(const std::string& key, const std::string& text)> TranslateCaption;
    void EnableTimer(bool on);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    void Build();
    RECT ShownRect(int index, const TLayoutRect& place) const;
    void Relayout(bool always);
    void ApplyVisibility();
    void FitLabel(int index);
    int Scale(long long value) const;
    HFONT FontOf(int index);
    void OnCommand(int index, int code);
    void OnAction(int index);
    void ConfirmCancel(int index);
    void Browse(int index, bool toVariable);
    void PutIntoTargetEdits(const std::string& chosen);
    void OpenFolder(int index, const std::string& folder);
    // The control a property names (FileList, DirList, DirLabel) when it is of `kind`; -1.
    int LinkedControl(int index, std::string_view property, TControlKind kind) const;
    void FilterChosen(int index);
    void FolderChosen(int index, const char* handler, bool folderShown);
    void WriteVariable(int index, const std::string& value, const char* handler);
    void AfterEdit(int index);
    void RefreshFigures();
    void RefreshLiveControls();
    void BindControl(int index, const std::string& browseRoot);
    std::string CaptionTemplate(int index, const std::string& property);
    bool ReadSupportFile(const std::string& base, const std::string& extension,
                         std::string& text) const;
    void LoadSupportText(int index, const char* base);
    void ShowFeatureTree(int index);
    int FeatureNodeOf(HWND tree, HTREEITEM item) const;
    void FeatureMenu(HWND tree, int node, POINT at);
    void ChooseFeatureNode(HWND tree, int node, bool selected, bool withChildren);
    HWND ControlWindow(int index) const { return controls_[static_cast<std::size_t>(index)]; }

    std::string hint_;
    std::string dialogsFolder_;
    TDialogModel model_;
    std::vector<TDialogRule> rules_;
    UniqueWindow window_;
    std::vector<HWND> controls_;                      // by model index; [0] is the form
    std::vector<std::vector<std::string>> itemPaths_; // file and folder controls' items
    std::vector<std::string> openFolders_;            // the folder each of them shows
    std::vector<TFeatureNode> featureTree_;           // as the Tag 1 feature tree shows it
    std::vector<HTREEITEM> featureItems_;             // its items, by node
    std::vector<HFONT> fonts_;                        // by model index
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
    bool attached_ = false;
    int rulesDepth_ = 0;
    bool timerOn_ = false;
    std::string rememberedTarget_;
    std::string targetTail_;
};

// Process-wide: while set, every control event handler returns at once.
bool EventsSuppressed();
void SetEventsSuppressed(bool on);

} // namespace ovd
