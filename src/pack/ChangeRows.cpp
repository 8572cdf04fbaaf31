#include "ChangeRows.h"

#include <algorithm>
#include <set>

#include "PackageBuilder.h"

namespace ovd::pack {
namespace fs = std::filesystem;
namespace {

std::string Xml(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A line's value as the database holds it: the field property when the text names a
// variable, the text itself otherwise.
std::string FieldOrText(const std::string& header, int field, const std::string& text)
{
    return text.find('$') != std::string::npos ? "[P" + header + "_" + std::to_string(field) + "]"
                                               : text;
}

const char* RegistryRoot(const std::string& root)
{
    static const std::pair<const char*, const char*> roots[] = {
        {"0", "HKCR"}, {"HKEY_CLASSES_ROOT", "HKCR"},  {"1", "HKCU"}, {"HKEY_CURRENT_USER", "HKCU"},
        {"2", "HKLM"}, {"HKEY_LOCAL_MACHINE", "HKLM"}, {"3", "HKU"},  {"HKEY_USERS", "HKU"},
    };
    for (const auto& [name, wix] : roots) {
        if (root == name)
            return wix;
    }
    return nullptr;
}

class TRowWriter {
public:
    TRowWriter(const TCompiledScript& script, const fs::path& sourceDir)
        : script_(script), sourceDir_(sourceDir)
    {
    }

    void Line(std::size_t index, const std::string& header)
    {
        const std::string& command = script_.CommandNames[index];
        line_ = index;
        header_ = header;
        components_.clear();
        where_ = "script line " + std::to_string(index) + " (" + command + ")";
        if (command == "Install Files")
            InstallFiles();
        else if (command == "Create Folder")
            CreateFolder();
        else if (command == "Write Registry")
            WriteRegistry();
        else if (command == "Create Shortcut")
            CreateShortcut();
        else
            return;
        switches_.push_back({header, components_, true});
    }

    std::string Fragment() const
    {
        std::string group;
        for (const auto& sw : switches_) {
            for (const auto& c : sw.Components)
                group += "      <ComponentRef Id=\"" + c + "\"/>\n";
        }
        return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
               "<!-- Written by ovdpack: the rows of the recording change commands. -->\n"
               "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n  <Fragment>\n"
               "    <DirectoryRef Id=\"TARGETDIR\">\n" +
               body_ + "    </DirectoryRef>\n    <ComponentGroup Id=\"OvdChanges\">\n" + group +
               "    </ComponentGroup>\n  </Fragment>\n</Wix>\n";
    }

    const std::vector<TComponentSwitch>& Switches() const { return switches_; }

private:
    const std::string& Param(long n) const
    {
        return GetScriptParameter(script_.ParameterLists, script_.CommandIds[line_], n);
    }

    // A folder set from the line's field property (the installer takes a directory's path
    // from the property of the same name).
    void OpenFieldFolder(int field)
    {
        body_ += "      <Directory Id=\"P" + header_ + "_" + std::to_string(field) +
                 "\" Name=\"ovd" + header_ + "_" + std::to_string(field) + "\">\n";
    }

    std::string NewComponent(const std::string& seed)
    {
        const std::string id = "C" + header_ + "_" + std::to_string(components_.size() + 1);
        components_.push_back(id);
        return "<Component Id=\"" + id + "\" Guid=\"" + GuidFrom("component:" + header_ + seed) +
               "\">";
    }

    void AddFile(const fs::path& file, const std::string& indent)
    {
        const std::string n = std::to_string(++fileCount_);
        body_ += indent + NewComponent(file.string()) + "\n" + indent + "  <File Id=\"F" + header_ +
                 "_" + n + "\" Name=\"" + Xml(file.filename().string()) + "\" Source=\"" +
                 Xml(fs::relative(file, sourceDir_).generic_string()) + "\" KeyPath=\"yes\"/>\n" +
                 indent + "</Component>\n";
    }

    void AddFolder(const fs::path& folder, const std::string& indent)
    {
        std::vector<fs::path> entries;
        for (const auto& e : fs::directory_iterator(folder))
            entries.push_back(e.path());
        std::sort(entries.begin(), entries.end());
        for (const auto& e : entries) {
            if (fs::is_regular_file(e)) {
                AddFile(e, indent);
            } else if (fs::is_directory(e)) {
                body_ += indent + "<Directory Id=\"D" + header_ + "_" +
                         std::to_string(++folderCount_) + "\" Name=\"" +
                         Xml(e.filename().string()) + "\">\n";
                AddFolder(e, indent + "  ");
                body_ += indent + "</Directory>\n";
            }
        }
    }

    // Parameter 1: a file, a folder (its whole tree) or a pattern ("*", "?") in the last
    // part of a path relative to the package source folder. Parameter 3: the destination.
    void InstallFiles()
    {
        std::string pattern = Param(1);
        std::replace(pattern.begin(), pattern.end(), '\\', '/');
        if (pattern.empty() || fs::path(pattern).is_absolute() ||
            pattern.find("..") != std::string::npos)
            throw EPackError(where_ + ": \"" + Param(1) +
                             "\" must name files inside the package source folder");
        OpenFieldFolder(1);
        const fs::path path = sourceDir_ / pattern;
        const std::string name = path.filename().string();
        if (name.find_first_of("*?") != std::string::npos) {
            std::vector<fs::path> matches;
            const fs::path folder = path.parent_path();
            if (fs::is_directory(folder)) {
                for (const auto& e : fs::directory_iterator(folder)) {
                    if (e.is_regular_file() && Matches(name, e.path().filename().string()))
                        matches.push_back(e.path());
                }
            }
            std::sort(matches.begin(), matches.end());
            if (matches.empty())
                throw EPackError(where_ + ": no file matches \"" + Param(1) + "\"");
            for (const auto& m : matches)
                AddFile(m, "        ");
        } else if (fs::is_directory(path)) {
            AddFolder(path, "        ");
        } else if (fs::is_regular_file(path)) {
            AddFile(path, "        ");
        } else {
            throw EPackError(where_ + ": \"" + Param(1) + "\" is not in the package source");
        }
        body_ += "      </Directory>\n";
    }

    static bool Matches(std::string_view pattern, std::string_view name)
    {
        if (pattern == "*.*")
            return true;
        if (pattern.empty())
            return name.empty();
        if (pattern[0] == '*')
            return Matches(pattern.substr(1), name) ||
                   (!name.empty() && Matches(pattern, name.substr(1)));
        if (name.empty())
            return false;
        const bool same =
            pattern[0] == '?' || std::tolower(static_cast<unsigned char>(pattern[0])) ==
                                     std::tolower(static_cast<unsigned char>(name[0]));
        return same && Matches(pattern.substr(1), name.substr(1));
    }

    // Parameter 1: the folder.
    void CreateFolder()
    {
        OpenFieldFolder(1);
        body_ += "        " + NewComponent("folder") + "<CreateFolder/></Component>\n";
        body_ += "      </Directory>\n";
    }

    // Parameters: 1 root, 2 key path, 3 value name, 4 value data, 5 value type ("" or
    // "string", "integer", "expandable"). Name, data and type are fields when they hold "$".
    void WriteRegistry()
    {
        const char* root = RegistryRoot(Param(1));
        if (root == nullptr)
            throw EPackError(
                where_ + ": registry root \"" + Param(1) +
                "\" is not one of 0-3 or "
                "HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS");
        const std::string& type = Param(5);
        std::string wixType = "string";
        if (type == "integer" || type == "expandable")
            wixType = type;
        else if (!type.empty() && type != "string")
            throw EPackError(where_ + ": value type \"" + type +
                             "\" is not string, integer or "
                             "expandable");
        body_ += "      " + NewComponent("registry") + "\n        <RegistryValue Root=\"" + root +
                 "\" Key=\"" + Xml(Param(2)) + "\" Name=\"" +
                 Xml(FieldOrText(header_, 1, Param(3))) + "\" Value=\"" +
                 Xml(FieldOrText(header_, 2, Param(4))) + "\" Type=\"" + wixType +
                 "\" KeyPath=\"yes\"/>\n      </Component>\n";
    }

    // Parameters: 1 target, 2 name, 3 folder, 4 description, 5 arguments.
    void CreateShortcut()
    {
        if (Param(2).empty())
            throw EPackError(where_ + ": the shortcut has no name");
        OpenFieldFolder(1);
        body_ += "        " + NewComponent("shortcut") + "\n          <Shortcut Id=\"S" + header_ +
                 "\" Name=\"" + Xml(Param(2)) + "\" Target=\"[P" + header_ + "_2]\"" +
                 (Param(4).empty() ? "" : " Description=\"" + Xml(Param(4)) + "\"") +
                 (Param(5).empty() ? "" : " Arguments=\"[P" + header_ + "_3]\"") +
                 "/>\n          <CreateFolder/>\n        </Component>\n      </Directory>\n";
    }

    const TCompiledScript& script_;
    std::size_t line_ = 0;
    fs::path sourceDir_;
    std::string header_;
    std::string where_;
    std::string body_;
    std::vector<std::string> components_;
    std::vector<TComponentSwitch> switches_;
    std::size_t fileCount_ = 0;
    std::size_t folderCount_ = 0;
};

std::string GeneratedProductWxs(const TCompiledScript& script)
{
    const std::string& title = script.ProductTitle.empty() ? "Ordovan Setup" : script.ProductTitle;
    const std::string version = script.ProductVersion.empty() ? "1.0.0" : script.ProductVersion;
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<!-- Written by ovdpack: the product around the recording commands' rows. -->\n"
           "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
           "  <Product Id=\"" +
           script.ProductCode + "\" Name=\"" + Xml(title) + "\" Language=\"1033\" Version=\"" +
           Xml(version) + "\" Manufacturer=\"" +
           Xml(script.Publisher.empty() ? "Ordovan setup" : script.Publisher) +
           "\" UpgradeCode=\"" + GuidFrom("upgrade:" + script.ProductCode) +
           "\">\n"
           "    <Package InstallerVersion=\"200\" Compressed=\"yes\" "
           "InstallScope=\"perMachine\"/>\n"
           "    <Media Id=\"1\" Cabinet=\"ovd.cab\" EmbedCab=\"yes\"/>\n"
           "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\"/>\n"
           "    <Feature Id=\"Complete\" Level=\"1\"><ComponentGroupRef "
           "Id=\"OvdChanges\"/></Feature>\n"
           "  </Product>\n</Wix>\n";
}

} // namespace

TChangeRows CompileChangeRows(const TCompiledScript& script, const TScriptSource& source,
                              const fs::path& sourceDir)
{
    std::set<std::string> authored;
    for (const auto& sw : source.Switches)
        authored.insert(sw.Header);
    TRowWriter writer(script, sourceDir);
    for (std::size_t i = 0; i < script.LineCount(); ++i) {
        if (script.LineDisabled(i))
            continue;
        const std::string header = GetCommandHeader(script, static_cast<long>(i), false);
        if (header.empty() || authored.count(header) != 0)
            continue;
        writer.Line(i, header);
    }
    const std::string title = script.ProductTitle.empty() ? "Ordovan Setup" : script.ProductTitle;
    const std::string author = script.Publisher.empty() ? "Ordovan setup" : script.Publisher;
    return {writer.Fragment(),
            writer.Switches(),
            GeneratedProductWxs(script),
            {title, author, "Intel;1033", script.RevisionCode}};
}

} // namespace ovd::pack
