// The file, folder and drive controls of a dialog (file list, directory list, drive and
// filter combos, shell tree, list and combo): what they list for an open folder, and the
// file or folder behind the user's choice. The paths behind the items are kept beside the
// window, one per item (for the tree, one per node, its lParam indexing them). Windows
// trees only.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "DialogModel.h"

namespace ovd {

struct TFolderView;

// The folder views of the file, folder and drive kinds (the kind table's rows).
extern const TFolderView kFileListView;
extern const TFolderView kDirectoryListView;
extern const TFolderView kDriveComboView;
extern const TFolderView kFilterComboView;
extern const TFolderView kShellTreeView;
extern const TFolderView kShellListView;
extern const TFolderView kShellComboView;

// Fills the control for `folder` (a folder with its trailing backslash) and returns the
// paths behind its items; the item of `folder` itself is selected where the control has one.
std::vector<std::string> FillFolderControl(HWND window, const TControlModel& control,
                                           const std::string& folder);

// The path behind the control's current selection; empty when nothing is selected.
std::string SelectedPath(HWND window, const TControlModel& control,
                         const std::vector<std::string>& paths);

// A shell tree node about to open: its subfolders are added once.
void ExpandFolderNode(HWND tree, HTREEITEM node, std::vector<std::string>& paths);

} // namespace ovd
