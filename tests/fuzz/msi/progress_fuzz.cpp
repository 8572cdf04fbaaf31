// The installer's messages as its external interface hands them in: the first byte picks
// the message kind, the rest is the text. The progress parser and the handler never fail
// and never read past the text; with the interface quiet no box is asked for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "InstallerMessageHandler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const ovd::TProgressFields fields = ovd::ParseProgressFields(text);
    if (fields.Count < 0 || fields.Count > 4)
        std::abort();
    (void)ovd::ActionStartText(text);

    // The text as a run of progress messages, one a line, as a long installation sends them.
    ovd::TInstallerUiState state;
    state.Quiet = true;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        ovd::ApplyProgressMessage(state.Progress, text.substr(start, end - start));
        start = end + 1;
    }

    const std::uint32_t kind = static_cast<std::uint32_t>(data[0] & 0x1F) << 24;
    const std::uint32_t buttons = static_cast<std::uint32_t>(data[0] >> 5) & 0x7;
    bool boxAsked = false;
    const ovd::InstallerBoxFn box = [&boxAsked](const ovd::TInstallerBox&) {
        boxAsked = true;
        return 1;
    };
    const ovd::InstallerProgressFn progress = [](const ovd::TInstallerProgress&) { return true; };
    (void)ovd::HandleInstallerMessage(state, kind | buttons, text, {}, box, progress);
    if (boxAsked)
        std::abort();
    return 0;
}
