// The run header that "Apply Changes" writes into the log file before the installer's
// own log. OS-free: the text; the Win32 side writes it in the log's encoding.
#pragma once

#include <string>

namespace ovd {

struct TInstallerLogFacts {
    std::string Caption; // the wizard caption
    std::string DateTime;
    std::string Variables;  // comma text
    std::string Properties; // comma text
    std::string Package;
    std::string ProductCode;
    std::string DataDir;
    std::string MediaDir;
    std::string MsiDir;
};

// "=== <caption>: Applying Changes @<date time> ===", then a section per fact, CR LF after
// every line.
std::string InstallerLogHeader(const TInstallerLogFacts& facts);

} // namespace ovd
