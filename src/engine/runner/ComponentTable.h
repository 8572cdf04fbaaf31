// The product's features ("components"): their hierarchical names ("Tools\Viewer" is a
// child of "Tools"), whether each is selected, its size, and which ones are deleted,
// hidden or locked against the user's change; the variables saved with the selection; and
// the selection file that carries all of it between runs. Names compare without regard to
// case. One table per run (ComponentTable(run), a slot of the run), used by the component
// commands and the dialogs' feature trees on the main thread. OS-free.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "THashedStringList.h"

namespace ovd {

// Defined, selected, at the start of a new installation; never shown to the user.
inline constexpr std::string_view kPredefinedComponent = "ZOVR-PREDEF-COMPONENT";

// One node of a feature tree as the dialogs build it: nodes are shared by name parts, so
// "Tools" and "Tools\Viewer" give two nodes, the second below the first.
struct TComponentNode {
    std::string Text;
    int Parent = -1; // index of the parent node, -1 at the top
    int Image = 0;   // 1 selected, 0 not (a node no component ends at keeps 0)
    long Data = 0;   // the component's position in the names list + 1; 0 for none
};

// One line of a check list: a top-level component and its mark.
struct TCheckListItem {
    std::string Text;
    bool Checked = false;
};

class TComponentTable {
public:
    THashedStringList Names;
    std::vector<std::string> States;       // parallel to Names: "TRUE", "FALSE" (or empty)
    std::vector<std::string> Descriptions; // parallel to Names
    std::vector<std::string> Sizes;        // name, bytes, name, bytes ...
    std::vector<std::string> Deleted;
    std::vector<std::string> Hidden;
    std::vector<std::string> Locked;
    std::vector<std::string> PersistedVariables;
    // The size of what the last installation selected (maintenance); 0 for a new one.
    std::int64_t InstalledSizeBaseline = 0;

    // Empty table, baseline 0, sizes from the compiled script (pairs name, bytes).
    void Reset(const std::vector<std::string>& initialSizes = {});

    // -1 when no component has the name.
    long IndexOf(std::string_view name) const { return Names.IndexOf(name); }
    bool Exists(std::string_view name) const { return IndexOf(name) >= 0; }
    bool IsDeleted(std::string_view name) const;

    // "Define Component": an existing component comes back from the deleted list with
    // the new description (its state kept unless it has none); a new one is appended.
    void Define(const std::string& name, bool selected, const std::string& description);
    void Delete(const std::string& name);
    // Exists, is not deleted and is selected.
    bool Selected(std::string_view name) const;
    // Unknown names are ignored.
    void SetState(std::string_view name, bool selected);
    // The first size entry of the name, 0 when there is none (or it is not a number).
    std::int64_t Size(std::string_view name) const;
    // For an existing component: replaces the size after the first matching name or
    // appends a pair.
    void SetSize(std::string_view name, std::int64_t bytes);
    // Adds to or removes from the locked / hidden list ("user may change", "visible").
    void SetChoice(std::string_view name, bool userMayChange);
    void SetVisibility(std::string_view name, bool visible);
    // Marks a variable to be saved with the selection ("Set Variable" with the persist
    // flag, a loaded selection file); a name already marked (in any case) stays once.
    void PersistVariable(std::string_view name);

    // Not deleted, and neither it nor an ancestor is hidden.
    bool IsShown(std::string_view name) const;
    // It or an ancestor is locked.
    bool IsLocked(std::string_view name) const;
    // The sizes of the selected, not deleted components less the baseline (negative when
    // a maintenance selection frees space).
    std::int64_t TotalSpace() const;
    // The sum of the selected, not deleted components' sizes (the baseline of a
    // maintenance run).
    std::int64_t SelectedSize() const;

    // The nodes of a feature tree, parents before their children.
    std::vector<TComponentNode> TreeNodes() const;
    // The lines of a check list: every shown top-level component but the predefined one.
    std::vector<TCheckListItem> CheckListItems() const;
    // Writes each item's mark to every unlocked component whose name begins with the
    // item's text (upper case); an item without "\" then takes its mark from the matching
    // components in list order, so the last one decides. Returns the items as marked.
    std::vector<TCheckListItem> ApplyCheckList(std::vector<TCheckListItem> items);

private:
    // Calls `visit` with the name and each ancestor (cutting "\" parts off the end); stops
    // when it returns true. Empty parts and trailing "\" end the walk without looping.
    template <typename Visit> static bool AnyAncestor(std::string_view name, Visit visit);
};

struct TScriptRun;

// The run's table: empty until run preparation fills it from the script.
TComponentTable& ComponentTable(TScriptRun& run);

// The selection file: six lists each closed by a "$" line, then the run's values.
struct TSelectionFile {
    std::vector<std::string> Names, States, Deleted, Hidden, Locked, Sizes;
    // TARGETDIR, ALLUSERS, STARTMENU and the data-folder line, as far as the file has them.
    std::vector<std::string> Values;
    // The remaining lines in pairs: name, value ("ZOVR64WOW" and "OVERRIDECACHE" among
    // them). A last name without its value is dropped.
    std::vector<std::pair<std::string, std::string>> Pairs;
};

struct TSelectionWrite {
    std::string TargetDir, AllUsers, StartMenu;
    std::string DataFolder; // empty for "Save Feature Selections"
    // The persisted variables with their current values.
    std::vector<std::pair<std::string, std::string>> Variables;
    std::string Platform; // "Win32", "x64" or "ia64"
    std::string OverrideCache;
};

// The file's bytes: ANSI lines ended by CR LF, line breaks inside values as "$NEWLINE$".
std::string WriteSelectionFile(const TComponentTable& table, const TSelectionWrite& values);

// Reads a selection file. Nothing (with the reason in `problem`) when the file is not
// a selection file: a NUL byte, a line longer than the limit, fewer than six "$" lines.
// Lines may end in CR LF or LF.
std::optional<TSelectionFile> ReadSelectionFile(std::string_view data, std::string* problem);

// Loading for "Load Feature Selections": the saved states go to the components with the
// saved names; the deleted, hidden and locked lists are replaced; sizes are not taken.
void ApplySavedSelections(TComponentTable& table, const TSelectionFile& file);

} // namespace ovd
