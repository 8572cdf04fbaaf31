#include "PropertyCommandLine.h"
#include "PathParts.h"

namespace ovd {
namespace {

std::string Quoted(const std::string& text, bool quote)
{
    return quote ? "\"" + text + "\"" : text;
}

std::string AllUsersItem(const TCommandLineFacts& f)
{
    return f.AllUsers == "TRUE" ? "ALLUSERS=1 " : "ALLUSERS=\"\" ";
}

// "NAME=a,b " for a non-empty list.
std::string FeatureItem(const char* name, const std::vector<std::string>& features)
{
    if (features.empty())
        return {};
    std::string item = std::string(name) + "=";
    for (std::size_t i = 0; i < features.size(); ++i)
        item += (i ? "," : "") + features[i];
    return item + " ";
}

} // namespace

std::string MediaDirectoryOf(std::string_view dataDir)
{
    std::string_view dir = dataDir;
    if (!dir.empty() && dir.back() == '\\')
        dir.remove_suffix(1);
    std::string folder = PathFolderText(dir, PathSeparators::Backslash);
    if (folder.size() >= 2 && folder[1] == ':')
        folder.erase(0, 2);
    return folder;
}

std::string SourceListText(const TInstallerPaths& paths)
{
    return Quoted(paths.DataDir + ";" + paths.MsiDir, paths.QuoteMsi || paths.QuoteData);
}

std::string PropertyCommandLine(const TCommandLineFacts& f)
{
    const TInstallerPaths& p = f.Paths;
    std::string line = AllUsersItem(f);
    if (f.DisableRollback)
        line += "DISABLEROLLBACK=1 ";
    if (f.DisableRestartManager)
        line += "MSIRESTARTMANAGERCONTROL=Disable ";

    switch (f.Operation) {
    case InstallerOperation::Patch:
        return "ADDLOCAL=ALL " + line + "SRCDIR=" + Quoted(p.SourceDir, p.QuoteData) +
               " SRCDIREX=" + Quoted(p.SourceDir, p.QuoteData) + " ";
    case InstallerOperation::Install:
    case InstallerOperation::Advertise: {
        const bool advertise = f.Operation == InstallerOperation::Advertise;
        line += "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
                "ARPINSTALLLOCATION=\"" +
                f.InstallLocation + "\" ";
        if (f.ProductInstalled && !advertise && f.CacheAdvertised)
            line = "ADDLOCAL=ALL ADVERTISE=\"\" " + line;
        else if (f.ProductInstalled && f.Features.ChangesFeatures())
            line = FeatureItem("ADDLOCAL", f.Features.AddLocal) +
                   FeatureItem("REMOVE", f.Features.Remove) +
                   FeatureItem("REINSTALL", f.Features.Reinstall) + "REINSTALLMODE=vomus " + line;
        else if (f.ProductInstalled)
            line = "REINSTALL=ALL REINSTALLMODE=vomus " + line;
        else if (advertise)
            line = "ADVERTISE=ALL " + line;
        else
            line = "ADDLOCAL=ALL " + line;
        break;
    }
    case InstallerOperation::Uninstall:
        line = "REMOVE=ALL " + line;
        if (f.NtFamily)
            line += AllUsersItem(f) + "REMOVE=ALL ";
        break;
    }
    line += "SRCDIR=" + Quoted(p.DataDir, p.QuoteData) + " SOURCELIST=" + SourceListText(p) +
            " MEDIAPACKAGEPATH=" + Quoted(p.MediaDir, p.QuoteData) + " REBOOT=R ";
    return line;
}

} // namespace ovd
