// A dialog's controls bound to the script's variables: filled from them when the dialog is
// prepared, writing them back from their notifications, the dialog's rules, the figures
// and the live controls, the feature tree, and the folders the file and folder controls
// show. What a kind does is its row in the kind table (ControlKinds.h); this class holds
// what the kinds share. Windows trees only; main thread only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "DialogFeatures.h"
#include "DialogModel.h"
#include "DialogRules.h"
#include "RunnerUI.h"

namespace ovd {

class TPoolTemplate;

// A caption template in the setup language, by its key "<dialog file>.<control>"
// (+ ".<property>" for texts other than the caption).
using CaptionTranslator =
    std::function<std::string(const std::string& key, const std::string& text)>;

class TDialogBinding {
public:
    TDialogBinding(TPoolTemplate& form, std::vector<TDialogRule> rules);
    TDialogBinding(const TDialogBinding&) = delete;
    TDialogBinding& operator=(const TDialogBinding&) = delete;

    // The form's side: binding, events, progress.
    void Prepare();
    void Detach() { attached_ = false; }
    void ApplyRules();
    void RefreshProgress(const TProgressState& progress);
    // A control's WM_COMMAND notification, WM_NOTIFY and scroll message.
    void Command(int index, int code);
    LRESULT Notify(int index, const NMHDR& header);
    void Scroll(int index);
    void SetFeatures(IDialogFeatures* features) { features_ = features; }
    void SetCaptionTranslator(CaptionTranslator translate) { translate_ = std::move(translate); }

    // What the kinds share.
    TDialogModel& Model();
    TControlModel& Control(int index);
    HWND ControlWindow(int index) const;
    HWND FormWindow() const;
    // The handlers write variables: attached, and no handler suppressed.
    bool Listening() const;
    // The control's variable (its Hint) exists.
    bool IsBound(int index);
    void WriteVariable(int index, const std::string& value, const char* handler);
    std::string CaptionTemplate(int index, const std::string& property);
    // The caption from its template with the variables expanded.
    void BindCaption(int index);
    // A support file of the package: base + "." + language + extension from the current
    // folder, else base + extension from the dialogs' folder.
    bool ReadSupportFile(const std::string& base, const std::string& extension,
                         std::string& text) const;
    // A support text, or the text that asks for the file.
    std::string SupportText(const char* base, const char* extension) const;
    void RefreshFigures();
    void RefreshLiveControls();
    // After an edit's change: figures, live controls, and the next control once full.
    void AfterEdit(int index);
    // An action control clicked: by its Tag Next, Back, Cancel, browse, a named result.
    void Act(int index);

    // The file and folder controls.
    void OpenFolder(int index, const std::string& folder);
    // The control a property names (FileList, DirList, DirLabel) when it is of `kind`; -1.
    int LinkedControl(int index, std::string_view property, TControlKind kind) const;
    void FilterChosen(int index);
    // A file or folder picked: its variable, the live controls, and for a folder control
    // with Tag 1 the target edits as after Browse.
    void FolderChosen(int index, const char* handler, bool folderShown);
    void PutIntoTargetEdits(const std::string& chosen);
    std::vector<std::string>& ItemPaths(int index);
    // The browse root for controls with Tag 1 while the dialog is being prepared.
    const std::string& BrowseRoot() const { return browseRoot_; }

    // The features: the Tag 1 tree view and check list.
    IDialogFeatures* Features() const { return features_; }
    void ShowFeatureTree(int index);
    void ShowFeatureList(int index);
    // The node of the tree that an item shows; -1 for none.
    int FeatureNodeOf(HWND tree, HTREEITEM item) const;
    bool FeatureChosen(int node) const;
    void FeatureMenu(HWND tree, int node, POINT at);
    void ChooseFeatureNode(HWND tree, int node, bool selected, bool withChildren);
    void SetSelectedFeature(const std::string& path) { selectedFeaturePath_ = path; }

private:
    void BindControl(int index);
    void ConfirmCancel(int index);
    void Browse(int index, bool toVariable);

    TPoolTemplate& form_;
    TDialogModel& model_;
    std::vector<TDialogRule> rules_;
    CaptionTranslator translate_;
    IDialogFeatures* features_ = nullptr;
    std::string selectedFeaturePath_;
    std::vector<std::vector<std::string>> itemPaths_; // file and folder controls' items
    std::vector<std::string> openFolders_;            // the folder each of them shows
    std::vector<TFeatureNode> featureTree_;           // as the Tag 1 feature tree shows it
    std::vector<HTREEITEM> featureItems_;             // its items, by node
    bool attached_ = false;
    int rulesDepth_ = 0;
    std::string browseRoot_;
    std::string rememberedTarget_;
    std::string targetTail_;
};

// Process-wide: while set, every control event handler returns at once.
bool EventsSuppressed();
void SetEventsSuppressed(bool on);

} // namespace ovd
