// The installer property command line of one operation, and the folder texts it carries.
// OS-free: the caller supplies the facts of the machine.
#pragma once

#include <string>
#include <string_view>

#include "LineFeatures.h"

namespace ovd {

enum class InstallerOperation { Install, Advertise, Uninstall, Patch };

// The folders of a run: MSI directory (the package's folder, short form), data directory,
// media directory and, for a patch, the source directory; each ends with "\". A quote flag
// is set when the short form still holds a blank or could not be obtained.
struct TInstallerPaths {
    std::string MsiDir;
    std::string DataDir;
    std::string MediaDir;
    std::string SourceDir;
    bool QuoteMsi = false;
    bool QuoteData = false;
};

// The data directory without its trailing "\", cut to its parent folder, with the drive
// removed ("C:\App\Data\" gives "\App\").
std::string MediaDirectoryOf(std::string_view dataDir);

// Data directory + ";" + MSI directory, in double quotes when either quote flag is set.
std::string SourceListText(const TInstallerPaths& paths);

struct TCommandLineFacts {
    InstallerOperation Operation = InstallerOperation::Install;
    std::string AllUsers;               // the variable "ALLUSERS": exactly "TRUE" gives ALLUSERS=1
    bool DisableRollback = false;       // "ZOVR_DISABLE_ROLLBACK"
    bool DisableRestartManager = false; // "ZOVR_DISABLE_VISTA_RESTART_MANAGER"
    bool ProductInstalled = false;      // product state 5
    bool CacheAdvertised = false;       // the engine cache holds "__ad"
    // A maintenance run that turns change lines' features off or on names them instead of
    // reinstalling everything.
    TFeatureRequests Features;
    bool NtFamily = true;
    std::string InstallLocation;
    TInstallerPaths Paths;
};

// The property line handed to MsiInstallProductA (or MsiApplyPatchA for a patch); every
// item ends with a blank.
std::string PropertyCommandLine(const TCommandLineFacts& facts);

} // namespace ovd
