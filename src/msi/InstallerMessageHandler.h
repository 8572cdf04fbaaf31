// The installer's external user interface, OS-free: what each message kind does to the
// progress state, which box it asks for, and the answer given back to the installer.
// The Win32 side (MsiApi.cpp) shows the boxes and hands the messages in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ovd {

// The installer's progress as its messages drive it.
struct TInstallerProgress {
    std::string ActionText;
    long long Minimum = 0;
    long long Total = 0;
    long long Position = 0;
    std::int32_t Step = 0;
    int Direction = 0; // +1, -1; 0 until the first reset
};

// InstallerUiState: one installer operation at a time.
struct TInstallerUiState {
    bool Quiet = false;     // "SILENT": no box is shown
    std::string Caption;    // "TITLE"
    void* Parent = nullptr; // the wizard dialog's window when the operation started
    TInstallerProgress Progress;
    std::string LastErrorText;
};

// How the progress display looks while a box is open.
enum class InstallerBoxMode { Unchanged, Pause, Error };

// A box the handler asks for: the text, the message-box style (the installer's button
// flags with the icon) and the display mode around it.
struct TInstallerBox {
    std::string Text;
    unsigned Style = 0;
    InstallerBoxMode Mode = InstallerBoxMode::Unchanged;
};

// Shows a box and returns the button pressed (the installer's result codes).
using InstallerBoxFn = std::function<int(const TInstallerBox& box)>;
// InstallerProgressCallback: publishes the progress; false when the user has cancelled.
using InstallerProgressFn = std::function<bool(const TInstallerProgress& progress)>;

// The fields of a progress message: "1: n 2: n ..." with at most four entries, taken in
// the order they appear; parsing stops at the first entry not of that form.
struct TProgressFields {
    long long Field[4] = {0, 0, 0, 0};
    int Count = 0;
};
TProgressFields ParseProgressFields(std::string_view text);

// A progress message (reset, action information, report, add to total) applied to the
// state; an empty text changes nothing.
void ApplyProgressMessage(TInstallerProgress& progress, std::string_view text);

// An action-start message as shown: everything up to and including the first "." and the
// one character after it removed; the whole text when there is no ".".
std::string ActionStartText(std::string_view message);

// Localised box prefixes, from the engine message table.
struct TInstallerPrefixes {
    std::string FatalError = "Fatal Error";
    std::string Error = "Error";
    std::string Warning = "Warning";
    std::string FilesInUse = "Files in Use";
    std::string OutOfDiskSpace = "Out of Disk Space";
};

// InstallerMessageHandler: one message of `type` (kind in the high byte, button flags in
// the low 24 bits). Never throws: a box that fails counts as its quiet answer. With a
// progress callback that reports a cancel, the answer is 2.
int HandleInstallerMessage(TInstallerUiState& state, std::uint32_t type, std::string_view text,
                           const TInstallerPrefixes& prefixes, const InstallerBoxFn& box,
                           const InstallerProgressFn& progress) noexcept;

// InstallerProgressCallback through the variable store: "ZOVR_thProgress", "ZOVR_thMax",
// "ZOVR_thMin", "ZOVR_thProgressText"; true while "ZOVR_thCancelled" is "FALSE".
bool PublishInstallerProgress(const TInstallerProgress& progress);

} // namespace ovd
