#include "InstallerLogHeader.h"

namespace ovd {

std::string InstallerLogHeader(const TInstallerLogFacts& f)
{
    std::string text = "=== " + f.Caption + ": Applying Changes @" + f.DateTime + " ===\r\n\r\n";
    const std::pair<const char*, const std::string*> sections[] = {
        {"*** Variables ***", &f.Variables},    {"*** Properties ***", &f.Properties},
        {"*** MSI Database ***", &f.Package},   {"*** GUID ***", &f.ProductCode},
        {"*** Data Directory ***", &f.DataDir}, {"*** Media Directory ***", &f.MediaDir},
        {"*** MSI Directory ***", &f.MsiDir},
    };
    for (const auto& [heading, value] : sections)
        text += std::string(heading) + "\r\n" + *value + "\r\n\r\n";
    return text + "\r\n";
}

std::vector<std::string> InstallerLogLines(std::string_view text)
{
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

} // namespace ovd
