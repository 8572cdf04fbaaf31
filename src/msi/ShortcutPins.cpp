#include "ShortcutPins.h"

#include <algorithm>

#include "AnsiText.h"

namespace ovd {

std::optional<TPinEntry> ParsePinEntry(std::string_view entry)
{
    const std::size_t first = entry.find('|');
    if (first == std::string_view::npos || first == 0)
        return std::nullopt;
    const std::size_t second = entry.find('|', first + 1);
    TPinEntry pin;
    pin.Link.assign(entry.substr(0, first));
    pin.Flags.assign(entry.substr(
        first + 1, second == std::string_view::npos ? std::string_view::npos : second - first - 1));
    if (second != std::string_view::npos)
        pin.Target.assign(entry.substr(second + 1));
    pin.Taskbar = pin.Flags.find_first_of("Xx") != std::string::npos;
    pin.StartMenu = pin.Flags.find('7') != std::string::npos;
    if (!pin.Taskbar && !pin.StartMenu)
        return std::nullopt;
    return pin;
}

std::vector<TPinEntry> PinEntries(const std::vector<std::string>& list)
{
    std::vector<TPinEntry> pins;
    for (const std::string& entry : list) {
        std::optional<TPinEntry> pin = ParsePinEntry(entry);
        if (!pin)
            continue;
        auto same = std::find_if(pins.begin(), pins.end(), [&](const TPinEntry& p) {
            return AnsiSameText(p.Link, pin->Link);
        });
        if (same == pins.end())
            pins.push_back(std::move(*pin));
        else
            *same = std::move(*pin);
    }
    return pins;
}

} // namespace ovd
