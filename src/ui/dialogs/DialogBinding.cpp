#include "DialogBinding.h"

#include <shlobj.h>

#include "ControlKinds.h"
#include "ControlWindows.h"
#include "DialogFigures.h"
#include "EngineMessages.h"
#include "FileBytes.h"
#include "FileUtil.h"
#include "FolderControls.h"
#include "ProgressDisplay.h"
#include "ScriptText.h"
#include "TImageListPool.h"
#include "TPoolTemplate.h"
#include "VariableManager.h"

#include <optional>
#include <unordered_map>

namespace ovd {
namespace {

bool g_eventsSuppressed = false;

// Caption templates of every dialog: "<dialog file>.<control>[.<property>]" -> the text
// as authored.
std::unordered_map<std::string, std::string>& CaptionTemplates()
{
    static std::unordered_map<std::string, std::string> templates;
    return templates;
}

std::string ReadTextFile(const std::string& path, bool& found)
{
    std::optional<std::string> text = ReadFileBytes(path);
    found = text.has_value();
    return found ? std::move(*text) : std::string();
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) noexcept
{
    if (message == BFFM_INITIALIZED && data)
        SendMessageA(window, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

} // namespace

bool EventsSuppressed()
{
    return g_eventsSuppressed;
}

void SetEventsSuppressed(bool on)
{
    g_eventsSuppressed = on;
}

TDialogBinding::TDialogBinding(TPoolTemplate& form, std::vector<TDialogRule> rules)
    : form_(form), model_(form.Model()), rules_(std::move(rules)),
      itemPaths_(form.Model().Controls().size()), openFolders_(form.Model().Controls().size())
{
}

TDialogModel& TDialogBinding::Model()
{
    return model_;
}

TControlModel& TDialogBinding::Control(int index)
{
    return model_.Controls()[static_cast<std::size_t>(index)];
}

HWND TDialogBinding::ControlWindow(int index) const
{
    return form_.ControlWindow(index);
}

HWND TDialogBinding::FormWindow() const
{
    return form_.Window();
}

bool TDialogBinding::Listening() const
{
    return attached_ && !EventsSuppressed();
}

bool TDialogBinding::IsBound(int index)
{
    const std::string name = Control(index).BoundVariable();
    return !name.empty() && Variables().VariableExists(name);
}

std::vector<std::string>& TDialogBinding::ItemPaths(int index)
{
    return itemPaths_[static_cast<std::size_t>(index)];
}

void TDialogBinding::BindCaption(int index)
{
    model_.Set(index, "Caption", ExpandVariables(CaptionTemplate(index, "Caption")));
}

void TDialogBinding::BindControl(int index)
{
    if (const auto bind = BehaviourOf(Control(index).Kind).Bind)
        bind(*this, index);
}

void TDialogBinding::Command(int index, int code)
{
    if (!Listening())
        return;
    TControlModel& control = Control(index);
    ReadControlState(ControlWindow(index), control);
    const auto command = BehaviourOf(control.Kind).Command;
    if (command && command(*this, index, code))
        ApplyRules();
}

LRESULT TDialogBinding::Notify(int index, const NMHDR& header)
{
    const auto notify = BehaviourOf(Control(index).Kind).Notify;
    return notify ? notify(*this, index, header) : 0;
}

void TDialogBinding::Scroll(int index)
{
    if (const auto scroll = BehaviourOf(Control(index).Kind).Scroll; scroll && Listening())
        scroll(*this, index);
}

std::string TDialogBinding::CaptionTemplate(int index, const std::string& property)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    std::string name = form_.Hint() + "." + control.Name;
    if (property != "Caption")
        name += "." + property;
    auto& templates = CaptionTemplates();
    auto found = templates.find(UpperCaseAscii(name));
    if (found == templates.end())
        found = templates.emplace(UpperCaseAscii(name), control.Get(property)).first;
    // The template keeps the authored text; the setup language is applied on each use, so
    // a language switched by the script shows in the next dialog.
    return translate_ ? translate_(name, found->second) : found->second;
}

// A support file of the package: base + "." + language + extension from the current
// folder, else base + extension from the dialogs' folder.
bool TDialogBinding::ReadSupportFile(const std::string& base, const std::string& extension,
                                     std::string& text) const
{
    const std::string language = GetVariable("LANGUAGE");
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    bool found = false;
    text = ReadTextFile(WithBackslash(folder) + base + "." + language + extension, found);
    if (!found)
        text = ReadTextFile(form_.DialogsFolder() + base + extension, found);
    return found;
}

std::string TDialogBinding::SupportText(const char* base, const char* extension) const
{
    std::string text;
    if (!ReadSupportFile(base, extension, text))
        text = std::string("Add a ") + base + "." + GetVariable("LANGUAGE") + extension + " or " +
               base + extension +
               " file to your project as a support file/creative to display it here.";
    return text;
}

// The top-level features in a check list box with Tag 1; empty without a feature table.
void TDialogBinding::ShowFeatureList(int index)
{
    HWND window = ControlWindow(index);
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    const std::vector<TFeatureItem> items =
        features_ ? features_->FeatureList() : std::vector<TFeatureItem>();
    std::vector<std::string> lines;
    for (const TFeatureItem& item : items)
        lines.push_back(item.Text);
    model_.Set(index, "Items", JoinLines(lines)); // filled with redraw off
    const TRedrawOff marking(window);
    for (std::size_t i = 0; i < items.size(); ++i)
        ListView_SetCheckState(window, static_cast<UINT>(i), items[i].Checked);
    SetEventsSuppressed(was);
}

// The feature tree in a tree view with Tag 1: the features with their state icons, all
// branches open; empty without a feature table.
void TDialogBinding::ShowFeatureTree(int index)
{
    HWND window = ControlWindow(index);
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    featureTree_ = features_ ? features_->FeatureTree() : std::vector<TFeatureNode>();
    const TRedrawOff filling(window);
    SendMessageA(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    SendMessageA(window, TVM_SETIMAGELIST, TVSIL_NORMAL,
                 reinterpret_cast<LPARAM>(ImageListPool().StateImages()));
    featureItems_.assign(featureTree_.size(), nullptr);
    for (std::size_t i = 0; i < featureTree_.size(); ++i) {
        const TFeatureNode& node = featureTree_[i];
        TVINSERTSTRUCTA insert{};
        insert.hParent = node.Parent >= 0 && static_cast<std::size_t>(node.Parent) < i
                             ? featureItems_[static_cast<std::size_t>(node.Parent)]
                             : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        // Open from the start: expanding each branch afterwards re-lays out the whole tree
        // every time.
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        insert.item.state = insert.item.stateMask = TVIS_EXPANDED;
        insert.item.pszText = const_cast<char*>(node.Text.c_str());
        insert.item.iImage = insert.item.iSelectedImage = node.Image;
        insert.item.lParam = static_cast<LPARAM>(i);
        featureItems_[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    SetEventsSuppressed(was);
}

// The node of the Tag 1 tree that an item of the tree view shows; -1 for none.
bool TDialogBinding::FeatureChosen(int node) const
{
    return featureTree_[static_cast<std::size_t>(node)].Image != 0;
}

int TDialogBinding::FeatureNodeOf(HWND tree, HTREEITEM item) const
{
    if (!item)
        return -1;
    TVITEMA data{};
    data.mask = TVIF_PARAM;
    data.hItem = item;
    if (!SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data)) || data.lParam < 0 ||
        static_cast<std::size_t>(data.lParam) >= featureItems_.size() ||
        featureItems_[static_cast<std::size_t>(data.lParam)] != item)
        return -1;
    return static_cast<int>(data.lParam);
}

// The component menu on a node of the Tag 1 tree (not for a locked feature): the chosen
// item sets the feature, and for the "entire feature" items every unlocked feature below.
void TDialogBinding::FeatureMenu(HWND tree, int node, POINT at)
{
    if (node < 0 || !features_ ||
        features_->FeatureLocked(featureTree_[static_cast<std::size_t>(node)].Data))
        return;
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(ImageListPool().ComponentMenu(),
                       TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0,
                       FormWindow(), nullptr));
    switch (static_cast<ComponentMenuItem>(chosen)) {
    case ComponentMenuItem::InstallComponentOnly:
        ChooseFeatureNode(tree, node, true, false);
        break;
    case ComponentMenuItem::InstallComponentWithSubComponents:
        ChooseFeatureNode(tree, node, true, true);
        break;
    case ComponentMenuItem::EntireFeatureUnavailable:
    case ComponentMenuItem::DoNotInstallComponentOrSubComponents:
        ChooseFeatureNode(tree, node, false, true);
        break;
    case ComponentMenuItem::DoNotInstallComponentOnly:
        ChooseFeatureNode(tree, node, false, false);
        break;
    default: // dismissed
        break;
    }
}

void TDialogBinding::ChooseFeatureNode(HWND tree, int node, bool selected, bool withChildren)
{
    if (!features_)
        return;
    for (const auto& [changed, image] : ChooseFeature(
             *features_, featureTree_, static_cast<std::size_t>(node), selected, withChildren)) {
        TVITEMA item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = featureItems_[changed];
        item.iImage = item.iSelectedImage = image;
        SendMessageA(tree, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    RefreshFigures();
    ApplyRules();
}

void TDialogBinding::Prepare()
{
    attached_ = true;
    rememberedTarget_ = GetVariable("TARGETDIR");
    const FolderExistsFn exists = [](const std::string& folder) { return DirectoryExists(folder); };
    targetTail_ = TargetTail(rememberedTarget_, exists);
    browseRoot_ = ovd::BrowseRoot(ExpandVariables("$TARGETDIR$"), exists);
    const auto& controls = model_.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i)
        BindControl(static_cast<int>(i));
    browseRoot_.clear();
    RefreshFigures();
    ApplyRules();
}

void TDialogBinding::ApplyRules()
{
    if (rulesDepth_ > 0)
        return;
    ++rulesDepth_;
    for (std::size_t i = 1; i < model_.Controls().size(); ++i)
        ReadControlState(ControlWindow(static_cast<int>(i)), model_.Controls()[i]);
    ApplyDialogRules(model_, rules_);
    --rulesDepth_;
}

void TDialogBinding::RefreshFigures()
{
    auto& controls = model_.Controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const TControlModel& control = controls[i];
        const int tag = control.Tag();
        if (control.Kind != TControlKind::StaticText || tag < 2 || tag > 6)
            continue;
        std::optional<long long> freeSpace;
        const std::string target = GetVariable("TARGETDIR");
        ULARGE_INTEGER free{};
        if ((tag == 5 || tag == 6) && target.size() >= 3 &&
            GetDiskFreeSpaceExA(target.substr(0, 3).c_str(), &free, nullptr, nullptr))
            freeSpace = static_cast<long long>(free.QuadPart);
        const std::string text =
            FigureText(tag, features_, selectedFeaturePath_, freeSpace, EngineSizeUnits());
        model_.Set(static_cast<int>(i), "Caption", text);
    }
}

void TDialogBinding::RefreshLiveControls()
{
    const bool was = EventsSuppressed();
    SetEventsSuppressed(true);
    // Live controls take no browse root, even while the dialog is being prepared.
    const std::string root = std::exchange(browseRoot_, {});
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Tag() == 100)
            BindControl(static_cast<int>(i));
    browseRoot_ = root;
    SetEventsSuppressed(was);
}

void TDialogBinding::RefreshProgress(const TProgressState& progress)
{
    const bool marquee = ExpandVariables("$PROGRESSMODE$") == "MARQUEE";
    for (std::size_t i = 1; i < model_.Controls().size(); ++i)
        if (const auto show = BehaviourOf(model_.Controls()[i].Kind).Progress)
            show(*this, static_cast<int>(i), progress, marquee);
    ApplyRules();
}

void TDialogBinding::WriteVariable(int index, const std::string& value, const char* handler)
{
    if (IsBound(index))
        SetVariable(Control(index).BoundVariable(), value, std::string("\"") + handler + "\"");
}

void TDialogBinding::AfterEdit(int index)
{
    RefreshFigures();
    RefreshLiveControls();
    const TControlModel& control = Control(index);
    const long long maxLength = control.Integer("MaxLength");
    if (!BehaviourOf(control.Kind).AdvancesWhenFull || maxLength <= 0 ||
        static_cast<long long>(control.Get("Text").size()) < maxLength)
        return;
    const long long next = control.Integer("TabOrder", -2) + 1;
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Parent == control.Parent && controls[i].Has("TabOrder") &&
            controls[i].Integer("TabOrder") == next) {
            SetFocus(ControlWindow(static_cast<int>(i)));
            break;
        }
}

void TDialogBinding::Act(int index)
{
    TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    form_.SetResult(kResultUndecided);
    switch (control.Tag()) {
    case 1:
        form_.SetResult(kResultNext);
        break;
    case 2:
        form_.SetResult(kResultBack);
        break;
    case 3:
        ConfirmCancel(index);
        break;
    case 4:
        Browse(index, false);
        break;
    case 5:
        form_.SetResult(kResultNamedButton, control.Name);
        break;
    case 6:
        Browse(index, true);
        break;
    default:
        break;
    }
    ApplyRules();
}

void TDialogBinding::ConfirmCancel(int index)
{
    SetProgressAttention(FormWindow(), true, false);
    const int answer = MessageBoxA(FormWindow(), EngineMessage(23).c_str(), EngineCaption().c_str(),
                                   MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    SetProgressAttention(FormWindow(), false, false);
    if (answer != IDYES)
        return;
    SetVariable("ZOVR_IsCancelled", "TRUE", "ShowDesign");
    model_.Set(index, "Enabled", "False");
    form_.SetResult(kResultCancel);
}

void TDialogBinding::Browse(int index, bool toVariable)
{
    const std::string root = ovd::BrowseRoot(
        ExpandVariables("$TARGETDIR$"), [](const std::string& f) { return DirectoryExists(f); });
    char chosen[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = FormWindow();
    info.pszDisplayName = chosen;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = root.empty() ? 0 : reinterpret_cast<LPARAM>(root.c_str());
    PIDLIST_ABSOLUTE list = SHBrowseForFolderA(&info);
    if (!list)
        return;
    const bool got = SHGetPathFromIDListA(list, chosen) != FALSE;
    CoTaskMemFree(list);
    if (!got || !chosen[0])
        return;
    if (toVariable) {
        const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
        SetVariable(UpperCaseAscii(control.Name), WithBackslash(chosen),
                    "SetCustomDirectoryEditText");
        RefreshFigures();
        RefreshLiveControls();
        return;
    }
    PutIntoTargetEdits(chosen);
}

// A chosen folder into every edit with Tag 2, with the remembered target's tail.
void TDialogBinding::PutIntoTargetEdits(const std::string& chosen)
{
    const std::string text = BrowsedFolderText(chosen, rememberedTarget_, targetTail_);
    const auto& controls = model_.Controls();
    for (std::size_t i = 1; i < controls.size(); ++i)
        if (controls[i].Kind == TControlKind::Edit && controls[i].Tag() == 2)
            model_.Set(static_cast<int>(i), "Text", text); // its change handler writes it
}

void TDialogBinding::OpenFolder(int index, const std::string& folder)
{
    const auto at = static_cast<std::size_t>(index);
    const TControlModel& control = model_.Controls()[at];
    HWND window = ControlWindow(index);
    if (!window)
        return;
    openFolders_[at] = WithBackslash(folder);
    itemPaths_[at] = FillFolderControl(window, control, openFolders_[at]);
    if (const auto opened = BehaviourOf(control.Kind).Opened)
        opened(*this, index, openFolders_[at]);
}

int TDialogBinding::LinkedControl(int index, std::string_view property, TControlKind kind) const
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    if (!control.Has(property))
        return -1;
    const int linked = model_.Find(control.Get(property));
    return linked > 0 && linked != index &&
                   model_.Controls()[static_cast<std::size_t>(linked)].Kind == kind
               ? linked
               : -1;
}

void TDialogBinding::FilterChosen(int index)
{
    const int files = LinkedControl(index, "FileList", TControlKind::FileList);
    if (files <= 0)
        return;
    const std::string mask =
        SelectedPath(ControlWindow(index), model_.Controls()[static_cast<std::size_t>(index)],
                     itemPaths_[static_cast<std::size_t>(index)]);
    if (mask.empty())
        return;
    TControlModel& list = model_.Controls()[static_cast<std::size_t>(files)];
    if (!list.Put("Mask", mask))
        list.Put("Mask", mask, true);
    if (!openFolders_[static_cast<std::size_t>(files)].empty())
        OpenFolder(files, openFolders_[static_cast<std::size_t>(files)]);
}

// A file or folder picked in a file, folder or drive control: its variable, the live
// controls, and for a folder control with Tag 1 the target edits as after Browse.
void TDialogBinding::FolderChosen(int index, const char* handler, bool folderShown)
{
    const TControlModel& control = model_.Controls()[static_cast<std::size_t>(index)];
    const std::string path =
        SelectedPath(ControlWindow(index), control, itemPaths_[static_cast<std::size_t>(index)]);
    if (path.empty())
        return;
    WriteVariable(index, path, handler);
    RefreshLiveControls();
    if (folderShown && control.Tag() == 1)
        PutIntoTargetEdits(path);
    ApplyRules();
}

} // namespace ovd
