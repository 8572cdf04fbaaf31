// The run header that "Apply Changes" writes into the log file before the installer's
// own log. OS-free: the text; the Win32 side writes it in the log's encoding.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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

// The lines of the installer's own log as it wrote them (LF or CR LF after each), to be
// appended to the engine's log one by one; a last line without its end still counts.
std::vector<std::string> InstallerLogLines(std::string_view text);

} // namespace ovd
