#include "LineFeatures.h"

#include <algorithm>
#include <cctype>

namespace ovd {
namespace {

constexpr std::size_t kHeaderLength = 8;

bool IsHeader(std::string_view text)
{
    return text.size() == kHeaderLength &&
           std::all_of(text.begin(), text.end(),
                       [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// The header of a switch property ("A0000B001"), or empty.
std::string SwitchHeader(const std::string& name)
{
    if (name.size() != kHeaderLength + 1 || name[0] != 'A' || !IsHeader(name.substr(1)))
        return {};
    return name.substr(1);
}

// The header of a field property ("P0000B001_1"), or empty.
std::string FieldHeader(const std::string& name)
{
    if (name.size() < kHeaderLength + 3 || name[0] != 'P' || name[kHeaderLength + 1] != '_' ||
        !IsHeader(name.substr(1, kHeaderLength)))
        return {};
    return name.substr(1, kHeaderLength);
}

const bool* Find(const std::vector<std::pair<std::string, bool>>& switches,
                 const std::string& header)
{
    for (const auto& [name, on] : switches)
        if (name == header)
            return &on;
    return nullptr;
}

} // namespace

std::vector<std::pair<std::string, bool>> LineSwitches(const std::vector<std::string>& properties)
{
    std::vector<std::pair<std::string, bool>> switches;
    for (std::size_t i = 0; i + 1 < properties.size(); i += 2) {
        const std::string header = SwitchHeader(properties[i]);
        if (header.empty())
            continue;
        const bool on = properties[i + 1] == "TRUE";
        auto at = std::find_if(switches.begin(), switches.end(),
                               [&](const auto& s) { return s.first == header; });
        if (at == switches.end())
            switches.emplace_back(header, on);
        else
            at->second = on;
    }
    return switches;
}

TFeatureRequests MaintenanceFeatureRequests(const std::vector<TInstalledFeature>& features,
                                            const std::vector<std::string>& properties)
{
    const auto switches = LineSwitches(properties);
    const bool anyOn =
        std::any_of(switches.begin(), switches.end(), [](const auto& s) { return s.second; });
    TFeatureRequests requests;
    for (const TInstalledFeature& feature : features) {
        const bool* on = nullptr;
        if (feature.Name.size() == kHeaderLength + 1 && feature.Name[0] == kLineFeaturePrefix)
            on = Find(switches, feature.Name.substr(1));
        if (on != nullptr && *on && !feature.Installed)
            requests.AddLocal.push_back(feature.Name);
        else if (on != nullptr && !*on && anyOn && feature.Installed)
            requests.Remove.push_back(feature.Name);
        else if (feature.Installed)
            requests.Reinstall.push_back(feature.Name);
    }
    return requests;
}

std::vector<std::pair<std::string, std::string>>
SavedFieldsOfLinesOff(const std::vector<std::string>& properties,
                      const std::vector<std::string>& saved)
{
    const auto now = LineSwitches(properties);
    const auto then = LineSwitches(saved);
    std::vector<std::pair<std::string, std::string>> fields;
    for (std::size_t i = 0; i + 1 < saved.size(); i += 2) {
        const std::string header = FieldHeader(saved[i]);
        if (header.empty())
            continue;
        const bool* onNow = Find(now, header);
        const bool* onThen = Find(then, header);
        if (onNow == nullptr || *onNow || onThen == nullptr || !*onThen)
            continue;
        auto at = std::find_if(fields.begin(), fields.end(),
                               [&](const auto& f) { return f.first == saved[i]; });
        if (at == fields.end())
            fields.emplace_back(saved[i], saved[i + 1]);
        else
            at->second = saved[i + 1];
    }
    return fields;
}

} // namespace ovd
