// The binding side of the kind table: how each kind is filled from its variable, and what
// its notifications write back. Only the kind table names these. Windows trees only.
#pragma once

#include <windows.h>

#include <string>

#include "RunnerUI.h"

namespace ovd {

class TDialogBinding;

// Captioned kinds: the caption from its template.
void BindCaption(TDialogBinding& b, int index);
void BindStaticText(TDialogBinding& b, int index);
void BindCheckable(TDialogBinding& b, int index);
void BindEdit(TDialogBinding& b, int index);
void BindMemo(TDialogBinding& b, int index);
void BindRichEdit(TDialogBinding& b, int index);
void BindHtmlViewer(TDialogBinding& b, int index);
void BindListBox(TDialogBinding& b, int index);
void BindComboBox(TDialogBinding& b, int index);
void BindBar(TDialogBinding& b, int index);
void BindTrackBar(TDialogBinding& b, int index);
void BindFolderControl(TDialogBinding& b, int index);
void BindFeatureTree(TDialogBinding& b, int index);
void BindFeatureList(TDialogBinding& b, int index);

bool ActionCommand(TDialogBinding& b, int index, int code);
bool EditCommand(TDialogBinding& b, int index, int code);
bool MemoCommand(TDialogBinding& b, int index, int code);
bool CheckBoxCommand(TDialogBinding& b, int index, int code);
bool RadioButtonCommand(TDialogBinding& b, int index, int code);
bool ListBoxCommand(TDialogBinding& b, int index, int code);
bool ComboBoxCommand(TDialogBinding& b, int index, int code);
bool FileListCommand(TDialogBinding& b, int index, int code);
bool DirectoryListCommand(TDialogBinding& b, int index, int code);
bool DriveComboCommand(TDialogBinding& b, int index, int code);
bool FilterComboCommand(TDialogBinding& b, int index, int code);
bool ShellComboCommand(TDialogBinding& b, int index, int code);

LRESULT PageControlNotify(TDialogBinding& b, int index, const NMHDR& header);
LRESULT ShellTreeNotify(TDialogBinding& b, int index, const NMHDR& header);
LRESULT ShellListNotify(TDialogBinding& b, int index, const NMHDR& header);
LRESULT CheckListNotify(TDialogBinding& b, int index, const NMHDR& header);
LRESULT TreeViewNotify(TDialogBinding& b, int index, const NMHDR& header);

void TrackBarScroll(TDialogBinding& b, int index);

void CaptionProgress(TDialogBinding& b, int index, const TProgressState& progress, bool marquee);
void StaticTextProgress(TDialogBinding& b, int index, const TProgressState& progress, bool marquee);
void ProgressBarProgress(TDialogBinding& b, int index, const TProgressState& progress,
                         bool marquee);
void GaugeProgress(TDialogBinding& b, int index, const TProgressState& progress, bool marquee);

void DirectoryListOpened(TDialogBinding& b, int index, const std::string& folder);
void FilterComboOpened(TDialogBinding& b, int index, const std::string& folder);

} // namespace ovd
