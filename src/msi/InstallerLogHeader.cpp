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

} // namespace ovd
