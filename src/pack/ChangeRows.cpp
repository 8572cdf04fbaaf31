#include "ChangeRows.h"

#include <algorithm>
#include <initializer_list>
#include <map>
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

// The tables the rows add to, with their columns as the installer defines them.
const std::vector<TTableRows>& TableSchemas()
{
    static const std::vector<TTableRows> schemas = {
        {"IniFile",
         {"IniFile", "FileName", "DirProperty", "Section", "Key", "Value", "Action", "Component_"},
         {"s72", "l255", "S72", "l96", "l128", "l255", "i2", "s72"},
         {"IniFile"},
         {}},
        {"Environment",
         {"Environment", "Name", "Value", "Component_"},
         {"s72", "l255", "L255", "s72"},
         {"Environment"},
         {}},
        {"MoveFile",
         {"FileKey", "Component_", "SourceName", "DestName", "SourceFolder", "DestFolder",
          "Options"},
         {"s72", "s72", "L255", "L255", "S72", "s72", "i2"},
         {"FileKey"},
         {}},
        {"RemoveFile",
         {"FileKey", "Component_", "FileName", "DirProperty", "InstallMode"},
         {"s72", "s72", "L255", "s72", "i2"},
         {"FileKey"},
         {}},
        {"ProgId",
         {"ProgId", "ProgId_Parent", "Class_", "Description", "Icon_", "IconIndex"},
         {"s255", "S255", "S38", "L255", "S72", "I2"},
         {"ProgId"},
         {}},
        {"Extension",
         {"Extension", "Component_", "ProgId_", "MIME_", "Feature_"},
         {"s255", "s72", "S255", "S64", "s38"},
         {"Extension", "Component_"},
         {}},
        {"Verb",
         {"Extension_", "Verb", "Sequence", "Command", "Argument"},
         {"s255", "s32", "I2", "L255", "L255"},
         {"Extension_", "Verb"},
         {}},
        {"ServiceInstall",
         {"ServiceInstall", "Name", "DisplayName", "ServiceType", "StartType", "ErrorControl",
          "LoadOrderGroup", "Dependencies", "StartName", "Password", "Arguments", "Component_",
          "Description"},
         {"s72", "s255", "L255", "i4", "i4", "i4", "S255", "S255", "S255", "S255", "S255", "s72",
          "L255"},
         {"ServiceInstall"},
         {}},
        {"ServiceControl",
         {"ServiceControl", "Name", "Event", "Arguments", "Wait", "Component_"},
         {"s72", "l255", "i2", "S255", "I2", "s72"},
         {"ServiceControl"},
         {}},
        {"ODBCDriver",
         {"Driver", "Component_", "Description", "File_", "File_Setup"},
         {"s72", "s72", "s255", "s72", "S72"},
         {"Driver"},
         {}},
        {"ODBCAttribute",
         {"Driver_", "Attribute", "Value"},
         {"s72", "s40", "L255"},
         {"Driver_", "Attribute"},
         {}},
        {"ODBCDataSource",
         {"DataSource", "Component_", "Description", "DriverDescription", "Registration"},
         {"s72", "s72", "s255", "s255", "i2"},
         {"DataSource"},
         {}},
        {"ODBCSourceAttribute",
         {"DataSource_", "Attribute", "Value"},
         {"s72", "s32", "L255"},
         {"DataSource_", "Attribute"},
         {}},
        {"MsiAssembly",
         {"Component_", "Feature_", "File_Manifest", "File_Application", "Attributes"},
         {"s72", "s38", "S72", "S72", "I2"},
         {"Component_"},
         {}},
        {"MsiAssemblyName",
         {"Component_", "Name", "Value"},
         {"s72", "s255", "s255"},
         {"Component_", "Name"},
         {}},
        {"CustomAction",
         {"Action", "Type", "Source", "Target"},
         {"s72", "i2", "S72", "S255"},
         {"Action"},
         {}},
    };
    return schemas;
}

// The standard places of the actions in the execute sequence.
const std::map<std::string, TSequencedAction>& StandardActions()
{
    static const std::map<std::string, TSequencedAction> actions = [] {
        std::map<std::string, TSequencedAction> m;
        for (const TSequencedAction& a : std::vector<TSequencedAction>{
                 {"MsiUnpublishAssemblies", "", 1750},
                 {"StopServices", "VersionNT", 1900},
                 {"DeleteServices", "VersionNT", 2000},
                 {"RemoveODBC", "", 2400},
                 {"UnregisterExtensionInfo", "", 2800},
                 {"UnregisterProgIdInfo", "", 2900},
                 {"RemoveIniValues", "", 3100},
                 {"RemoveEnvironmentStrings", "", 3300},
                 {"RemoveFiles", "", 3500},
                 {"MoveFiles", "", 3800},
                 {"RegisterExtensionInfo", "", 4700},
                 {"RegisterProgIdInfo", "", 4800},
                 {"WriteIniValues", "", 5100},
                 {"WriteEnvironmentStrings", "", 5200},
                 {"InstallODBC", "", 5400},
                 {"InstallServices", "VersionNT", 5800},
                 {"StartServices", "VersionNT", 5900},
                 {"MsiPublishAssemblies", "", 6250},
             })
            m[a.Action] = a;
        return m;
    }();
    return actions;
}

bool IsTrueText(const std::string& text)
{
    return text == "-1" ||
           (text.size() == 4 && std::tolower(static_cast<unsigned char>(text[0])) == 't' &&
            std::tolower(static_cast<unsigned char>(text[1])) == 'r' &&
            std::tolower(static_cast<unsigned char>(text[2])) == 'u' &&
            std::tolower(static_cast<unsigned char>(text[3])) == 'e');
}

std::string Lower(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The words of a comma or blank separated list, in lower case.
std::set<std::string> Words(const std::string& text)
{
    std::set<std::string> words;
    std::string word;
    for (char c : text + ",") {
        if (c == ',' || c == ' ' || c == '|') {
            if (!word.empty())
                words.insert(Lower(word));
            word.clear();
        } else {
            word += c;
        }
    }
    return words;
}

class TRowWriter {
public:
    TRowWriter(const TCompiledScript& script, const fs::path& sourceDir,
               const std::vector<TWebMediaBlock>& blocks)
        : script_(script), sourceDir_(sourceDir), blocks_(blocks)
    {
    }

    void Line(std::size_t index, const std::string& header)
    {
        const std::string& command = script_.CommandNames[index];
        line_ = index;
        paramCount_ = CountParams();
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
        else if (command == "Create File Type")
            CreateFileType();
        else if (command == "Advertised File Type")
            AdvertisedFileType();
        else if (command == "Advertised Shortcut")
            AdvertisedShortcut();
        else if (command == "Copy/Move Local Files")
            CopyMoveFiles();
        else if (command == "Delete Files")
            DeleteFiles();
        else if (command == "Edit INI File")
            EditIniFile();
        else if (command == "Set Environment")
            SetEnvironment();
        else if (command == "Install Assembly")
            InstallAssembly();
        else if (command == "Control Service")
            ControlService();
        else if (command == "Install Service")
            InstallService();
        else if (command == "Create ODBC DSN")
            CreateOdbcDsn();
        else if (command == "Install ODBC Driver")
            InstallOdbcDriver();
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
    const std::vector<TTableRows>& Tables() const { return tables_; }

    std::vector<TSequencedAction> Actions() const
    {
        std::vector<TSequencedAction> actions = customActions_;
        for (const std::string& name : actions_)
            actions.push_back(StandardActions().at(name));
        return actions;
    }

private:
    // Parameter n as written; empty past the line's last one (the record of the next line
    // follows in the same list).
    const std::string& Param(long n) const
    {
        static const std::string none;
        return n > paramCount_
                   ? none
                   : GetScriptParameter(script_.ParameterLists, script_.CommandIds[line_], n);
    }

    // How many parameters the line's record holds: up to the next line's identifier.
    long CountParams() const
    {
        const THashedStringList& records = script_.ParameterRecords;
        const long at = records.IndexOf(script_.CommandIds[line_]);
        if (at < 0)
            return 0;
        long n = 0;
        while (static_cast<std::size_t>(at + n + 1) < records.Count() &&
               script_.CommandIds.IndexOf(records.At(static_cast<std::size_t>(at + n + 1))) < 0)
            ++n;
        return n;
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

    // A <File> element (its id returned through `id`) with `inner` elements inside.
    std::string FileElement(const fs::path& file, std::string& id, const std::string& inner = {},
                            bool keyPath = true)
    {
        id = "F" + header_ + "_" + std::to_string(++fileCount_);
        return "<File Id=\"" + id + "\" Name=\"" + Xml(file.filename().string()) + "\" Source=\"" +
               Xml(fs::relative(file, sourceDir_).generic_string()) + "\"" +
               (keyPath ? " KeyPath=\"yes\"" : "") +
               (inner.empty() ? "/>" : ">" + inner + "</File>");
    }

    std::string AddFile(const fs::path& file, const std::string& indent)
    {
        std::string id;
        body_ += indent + NewComponent(file.string()) + "\n" + indent + "  " +
                 FileElement(file, id) + "\n" + indent + "</Component>\n";
        return id;
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
        const fs::path path = sourceDir_ / pattern;
        if (const TWebMediaBlock* block = LineBlock()) {
            WebMediaFiles(*block, path);
            return;
        }
        OpenFieldFolder(1);
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

    // The web media block of the line (its LineWebMediaFlags entry is the block's folder,
    // "NAME\\"); null for a line without one.
    const TWebMediaBlock* LineBlock() const
    {
        std::string entry = script_.LineWebMediaFlags.At(line_);
        if (entry.empty())
            return nullptr;
        while (!entry.empty() && (entry.back() == '\\' || entry.back() == '/'))
            entry.pop_back();
        for (const TWebMediaBlock& block : blocks_) {
            if (Lower(block.Name) == Lower(entry))
                return &block;
        }
        throw EPackError(where_ + ": web media block \"" + entry + "\" is not defined");
    }

    // "Install Files" from a web media block: the files travel in the block's archive, and
    // the installer copies each from the block's folder below its source folder (SRCDIR,
    // the engine's web media cache folder) into the destination (MoveFile rows).
    void WebMediaFiles(const TWebMediaBlock& block, const fs::path& path)
    {
        const fs::path blockDir = fs::weakly_canonical(sourceDir_ / block.Folder);
        std::vector<std::pair<fs::path, fs::path>> files; // file, its path in the destination
        const std::string name = path.filename().string();
        if (name.find_first_of("*?") != std::string::npos) {
            if (fs::is_directory(path.parent_path())) {
                for (const auto& e : fs::directory_iterator(path.parent_path())) {
                    if (e.is_regular_file() && Matches(name, e.path().filename().string()))
                        files.emplace_back(e.path(), e.path().filename());
                }
            }
        } else if (fs::is_directory(path)) {
            for (const auto& e : fs::recursive_directory_iterator(path)) {
                if (e.is_regular_file())
                    files.emplace_back(e.path(), fs::relative(e.path(), path));
            }
        } else if (fs::is_regular_file(path)) {
            files.emplace_back(path, path.filename());
        }
        if (files.empty())
            throw EPackError(where_ + ": no file matches \"" + Param(1) + "\"");
        std::sort(files.begin(), files.end());
        // The destination and its nested folders, each made by a component of its own.
        std::map<std::string, std::string> destinations; // folder ("a/b") -> directory id
        OpenFieldFolder(1);
        body_ += "        " + NewComponent("webmedia") + "<CreateFolder/></Component>\n";
        const std::string component = components_.back();
        destinations[""] = FieldName(1);
        std::set<std::string> nested;
        for (const auto& file : files) {
            std::string sofar;
            for (const auto& part : file.second.parent_path())
                nested.insert(sofar += (sofar.empty() ? "" : "/") + part.string());
        }
        std::vector<std::string> open;
        for (const std::string& folder : nested) { // sorted: a parent before its children
            while (!open.empty() && folder.rfind(open.back() + "/", 0) != 0) {
                open.pop_back();
                body_ += std::string(8 + 2 * open.size(), ' ') + "</Directory>\n";
            }
            const std::string id = "D" + header_ + "_" + std::to_string(++folderCount_);
            const std::string indent(8 + 2 * open.size(), ' ');
            body_ += indent + "<Directory Id=\"" + id + "\" Name=\"" +
                     Xml(fs::path(folder).filename().string()) + "\">\n" + indent + "  " +
                     NewComponent(id) + "<CreateFolder/></Component>\n";
            destinations[folder] = id;
            open.push_back(folder);
        }
        while (!open.empty()) {
            open.pop_back();
            body_ += std::string(8 + 2 * open.size(), ' ') + "</Directory>\n";
        }
        body_ += "      </Directory>\n";
        std::map<std::string, std::string> sources; // folder in the block -> property
        for (const auto& [file, target] : files) {
            const fs::path inBlock = fs::relative(fs::weakly_canonical(file), blockDir);
            if (inBlock.empty() || *inBlock.begin() == "..")
                throw EPackError(where_ + ": " + fs::relative(file, sourceDir_).string() +
                                 " is not inside web media block " + block.Name + " (" +
                                 block.Folder + ")");
            std::string sourceFolder = block.Name + "\\";
            for (const auto& part : inBlock.parent_path())
                sourceFolder += part.string() + "\\";
            auto source = sources.find(sourceFolder);
            if (source == sources.end()) {
                const std::string property =
                    "W" + header_ + "_" + std::to_string(sources.size() + 1);
                SetEarly("S" + property, property, "[SRCDIR]" + sourceFolder);
                source = sources.emplace(sourceFolder, property).first;
            }
            const std::string& destination = destinations.at(target.parent_path().generic_string());
            const std::string key = header_ + "_" + std::to_string(++fileCount_);
            AddRow("MoveFile", {"M" + key, component, file.filename().string(), "", source->second,
                                destination, "0"});
            // The installer forgets what MoveFile copied: the copy goes with the product.
            AddRow("RemoveFile",
                   {"R" + key, component, file.filename().string(), destination, "2"});
        }
        NeedActions({"MoveFiles", "RemoveFiles"});
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

    std::string FieldName(int n) const { return "P" + header_ + "_" + std::to_string(n); }
    std::string Field(int n) const
    {
        std::string field = "[";
        field += FieldName(n);
        field += ']';
        return field;
    }
    // The field when the parameter was given, else nothing (a null column).
    std::string FieldIfGiven(int field, long param) const
    {
        return Param(param).empty() ? std::string() : Field(field);
    }

    void AddRow(const std::string& table, std::vector<std::string> row)
    {
        for (TTableRows& t : tables_) {
            if (t.Name == table) {
                t.Rows.push_back(std::move(row));
                return;
            }
        }
        for (const TTableRows& schema : TableSchemas()) {
            if (schema.Name == table) {
                tables_.push_back(schema);
                tables_.back().Rows.push_back(std::move(row));
                return;
            }
        }
    }

    void NeedActions(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            actions_.insert(name);
    }

    // A property set before the installer resolves its folders (a directory's path).
    void SetEarly(const std::string& action, const std::string& property, const std::string& value)
    {
        AddRow("CustomAction", {action, "51", property, value});
        customActions_.push_back({action, "", 990});
    }

    // A component in TARGETDIR with nothing of its own: it carries the line's table rows.
    std::string RowComponent()
    {
        body_ += "      " + NewComponent("rows") + "</Component>\n";
        return components_.back();
    }

    // A file of the package source named by parameter n (never outside the source).
    fs::path PackageFile(long n) const
    {
        std::string name = Param(n);
        std::replace(name.begin(), name.end(), '\\', '/');
        if (name.empty() || fs::path(name).is_absolute() || name.find("..") != std::string::npos)
            throw EPackError(where_ + ": \"" + Param(n) +
                             "\" must name a file inside the package source folder");
        const fs::path file = sourceDir_ / name;
        if (!fs::is_regular_file(file))
            throw EPackError(where_ + ": \"" + Param(n) + "\" is not a file of the package source");
        return file;
    }

    // The line's own copy of a program lies in [ProgramFilesFolder]<title>\.
    void OpenProgramFolder()
    {
        const std::string id = "D" + header_ + "_p";
        body_ += "      <Directory Id=\"" + id + "\" Name=\"ovd" + header_ + "\">\n";
        const std::string& title =
            script_.ProductTitle.empty() ? std::string("Ordovan Setup") : script_.ProductTitle;
        SetEarly("S" + header_ + "_p", id, "[ProgramFilesFolder]" + title + "\\");
    }

    // Parameters: 1 type name, 2 extension, 3 description, 4 command line, 5 icon; all
    // fields. Registry values of the classes root.
    void CreateFileType()
    {
        std::string ext = Field(2);
        if (Param(2).rfind('.', 0) != 0)
            ext.insert(0, ".");
        auto value = [&](const std::string& key, const std::string& data, bool keyPath) {
            body_ += "        <RegistryValue Root=\"HKCR\" Key=\"" + Xml(key) + "\" Value=\"" +
                     Xml(data) + "\" Type=\"string\"" + (keyPath ? " KeyPath=\"yes\"" : "") +
                     "/>\n";
        };
        body_ += "      " + NewComponent("filetype") + "\n";
        value(ext, Field(1), true);
        value(Field(1), Field(3), false);
        value(Field(1) + "\\shell\\open\\command", Field(4), false);
        if (!Param(5).empty())
            value(Field(1) + "\\DefaultIcon", Field(5), false);
        body_ += "      </Component>\n";
    }

    // Parameters: 1 ProgId, 2 extension (without the dot), 3 description, 4 the program (a
    // file of the package source), 5 verb ("open"), 6 its arguments ("%1" in quotes). No
    // fields: the advertised rows hold the texts.
    void AdvertisedFileType()
    {
        if (Param(1).empty() || Param(2).empty())
            throw EPackError(where_ + ": the file type needs a ProgId and an extension");
        std::string ext = Param(2);
        if (ext[0] == '.')
            ext.erase(0, 1);
        const fs::path program = PackageFile(4);
        OpenProgramFolder();
        AddFile(program, "        ");
        body_ += "      </Directory>\n";
        const std::string component = components_.back();
        AddRow("ProgId", {Param(1), "", "", Param(3), "", ""});
        AddRow("Extension", {ext, component, Param(1), "", kFeatureOf + component});
        AddRow("Verb", {ext, Param(5).empty() ? "open" : Param(5), "", "",
                        Param(6).empty() ? "\"%1\"" : Param(6)});
        NeedActions({"RegisterExtensionInfo", "RegisterProgIdInfo", "UnregisterExtensionInfo",
                     "UnregisterProgIdInfo"});
    }

    // Parameters as "Create Shortcut" (1 target, 2 name, 3 folder, 4 description, 5
    // arguments, 6 working folder), the target a file of the package source: the line's own
    // copy of it carries the advertised shortcut.
    void AdvertisedShortcut()
    {
        if (Param(2).empty())
            throw EPackError(where_ + ": the shortcut has no name");
        const fs::path program = PackageFile(1);
        OpenFieldFolder(1);
        body_ += "      </Directory>\n";
        OpenProgramFolder();
        const std::string shortcut =
            "<Shortcut Id=\"S" + header_ + "\" Directory=\"" + FieldName(1) + "\" Name=\"" +
            Xml(Param(2)) + "\" Advertise=\"yes\"" +
            (Param(4).empty() ? "" : " Description=\"" + Xml(Param(4)) + "\"") +
            (Param(5).empty() ? "" : " Arguments=\"" + Field(3) + "\"") +
            (Param(6).empty() ? "" : " WorkingDirectory=\"" + FieldName(4) + "\"") + "/>";
        std::string id;
        body_ += "        " + NewComponent("advertised") + "\n          " +
                 FileElement(program, id, shortcut) +
                 "\n        </Component>\n      </Directory>\n";
    }

    // Parameters: 1 source folder, 2 file name (wildcards allowed), 3 destination folder,
    // 4 move (true) or copy, 5 new name.
    void CopyMoveFiles()
    {
        if (Param(2).empty())
            throw EPackError(where_ + ": no file name to copy or move");
        OpenFieldFolder(2);
        body_ += "        " + NewComponent("move") + "<CreateFolder/></Component>\n";
        body_ += "      </Directory>\n";
        AddRow("MoveFile", {"M" + header_, components_.back(), Param(2), Param(5), FieldName(1),
                            FieldName(2), IsTrueText(Param(4)) ? "1" : "0"});
        NeedActions({"MoveFiles"});
    }

    // The folder of a file path that a field holds, as a property the installer can take
    // for a folder: the field's path with "\.." behind it, set before the folders are
    // resolved. The file's name must be written out: it is the row's own text.
    std::pair<std::string, std::string> FolderAndName(const std::string& what)
    {
        const std::string& path = Param(1);
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        if (name.empty() || name.find('$') != std::string::npos)
            throw EPackError(where_ + ": the " + what + "'s name must be written out in \"" + path +
                             "\"");
        const std::string folder = "D" + header_ + "_f";
        SetEarly("S" + header_ + "_f", folder, Field(1) + "\\..");
        return {folder, name};
    }

    // Parameters: 1 the files (a path whose name may hold wildcards), 2 delete them at
    // install, 3 at removal, 4 the folder too (when it is empty then).
    void DeleteFiles()
    {
        const auto [folder, name] = FolderAndName("file");
        const bool install = IsTrueText(Param(2)), removal = IsTrueText(Param(3));
        const std::string mode = install && removal ? "3" : removal ? "2" : "1";
        const std::string component = RowComponent();
        AddRow("RemoveFile", {"X" + header_, component, name, folder, mode});
        if (IsTrueText(Param(4)))
            AddRow("RemoveFile", {"Y" + header_, component, "", folder, mode});
        NeedActions({"RemoveFiles"});
    }

    // Parameters: 1 INI file, 2 action ("add" or empty: add or replace the entry, "create":
    // only when absent, "tag": add the value to a comma list), 3 unused, 4 section, 5 key,
    // 6 value. The file's folder as FolderAndName gives it.
    void EditIniFile()
    {
        static const std::map<std::string, std::string> actions = {
            {"", "0"}, {"add", "0"}, {"create", "1"}, {"tag", "3"}};
        const auto action = actions.find(Lower(Param(2)));
        if (action == actions.end())
            throw EPackError(where_ + ": \"" + Param(2) + "\" is not add, create or tag");
        const auto [folder, name] = FolderAndName("INI file");
        AddRow("IniFile", {"I" + header_, name, folder, Field(2), Field(3), Field(4),
                           action->second, RowComponent()});
        NeedActions({"WriteIniValues", "RemoveIniValues"});
    }

    // Parameters: 1 name, 2 value, 3 "set" (the default), "append", "prepend" or "remove",
    // 4 system variable (true) or the user's. Set, appended and prepended values leave with
    // the product.
    void SetEnvironment()
    {
        if (Param(1).empty() || Param(1).find_first_of("$=") != std::string::npos)
            throw EPackError(where_ + ": the variable's name must be written out");
        const std::string mode = Lower(Param(3));
        const std::string system = IsTrueText(Param(4)) ? "*" : "";
        std::string name = "=-" + system + Param(1);
        std::string value = Field(1);
        if (mode == "append")
            value = "[~];" + value;
        else if (mode == "prepend")
            value += ";[~]";
        else if (mode == "remove")
            name = "!-" + system + Param(1), value.clear();
        else if (!mode.empty() && mode != "set")
            throw EPackError(where_ + ": \"" + Param(3) +
                             "\" is not set, append, prepend or remove");
        AddRow("Environment", {"E" + header_, name, value, RowComponent()});
        NeedActions({"WriteEnvironmentStrings", "RemoveEnvironmentStrings"});
    }

    // Parameters: 1 the assembly (a file of the package source), 2 its name, 3 folder, 4
    // version, 5 culture ("neutral"), 6 public key token.
    void InstallAssembly()
    {
        if (Param(2).empty())
            throw EPackError(where_ + ": the assembly has no name");
        const fs::path assembly = PackageFile(1);
        OpenFieldFolder(1);
        const std::string file = AddFile(assembly, "        ");
        body_ += "      </Directory>\n";
        const std::string component = components_.back();
        AddRow("MsiAssembly", {component, kFeatureOf + component, file, "", "0"});
        AddRow("MsiAssemblyName", {component, "Name", Param(2)});
        if (!Param(4).empty())
            AddRow("MsiAssemblyName", {component, "Version", Param(4)});
        AddRow("MsiAssemblyName", {component, "Culture", Param(5).empty() ? "neutral" : Param(5)});
        if (!Param(6).empty())
            AddRow("MsiAssemblyName", {component, "PublicKeyToken", Param(6)});
        NeedActions({"MsiPublishAssemblies", "MsiUnpublishAssemblies"});
    }

    // The event bits of "start", "stop" and "remove" in a list, at install (shift 0) or at
    // removal (shift 4).
    int ServiceEvents(long param, int shift) const
    {
        int events = 0;
        for (const std::string& word : Words(Param(param))) {
            if (word == "start")
                events |= 1;
            else if (word == "stop")
                events |= 2;
            else if (word == "remove")
                events |= 8;
            else
                throw EPackError(where_ + ": \"" + word + "\" is not start, stop or remove");
        }
        return events << shift;
    }

    // Parameters: 1 service name, 2 arguments, 3 at install and 4 at removal: "start",
    // "stop", "remove" (a list), 5 wait for each.
    void ControlService()
    {
        const int events = ServiceEvents(3, 0) | ServiceEvents(4, 4);
        AddRow("ServiceControl",
               {"V" + header_, Field(1), std::to_string(events), FieldIfGiven(2, 2),
                IsTrueText(Param(5)) ? "1" : "0", RowComponent()});
        NeedActions({"StartServices", "StopServices", "DeleteServices"});
    }

    // Parameters: 1 the program (a file of the package source), 2 name, 3 type ("own", the
    // default, or "shared"; "interactive" added to either), 4 display name, 5 description,
    // 6 folder of the program, 7 start ("demand", "auto", "disabled"), 8 error control
    // ("normal", "ignore", "critical"), 9 load order group, 10 dependencies ("~" between
    // names), 13 account, 14 password, 15 arguments.
    void InstallService()
    {
        const fs::path program = PackageFile(1);
        const std::set<std::string> type = Words(Param(3));
        int serviceType = type.count("shared") != 0 ? 0x20 : 0x10;
        if (type.count("interactive") != 0)
            serviceType |= 0x100;
        static const std::map<std::string, std::string> starts = {
            {"", "3"}, {"demand", "3"}, {"auto", "2"}, {"disabled", "4"}};
        static const std::map<std::string, std::string> errors = {
            {"", "1"}, {"normal", "1"}, {"ignore", "0"}, {"critical", "3"}};
        const auto start = starts.find(Lower(Param(7)));
        const auto error = errors.find(Lower(Param(8)));
        if (start == starts.end() || error == errors.end())
            throw EPackError(where_ + ": start \"" + Param(7) + "\" or error control \"" +
                             Param(8) + "\" is not known");
        // The installer separates dependencies with [~]; a list without variables is
        // written out, one with variables comes from the field.
        std::string dependencies = Param(10);
        if (dependencies.find('$') != std::string::npos) {
            dependencies = Field(5);
        } else {
            for (std::size_t at = dependencies.find('~'); at != std::string::npos;
                 at = dependencies.find('~', at + 3))
                dependencies.replace(at, 1, "[~]");
        }
        OpenFieldFolder(9);
        AddFile(program, "        ");
        body_ += "      </Directory>\n";
        AddRow("ServiceInstall",
               {"W" + header_, Field(1), Field(2), std::to_string(serviceType), start->second,
                error->second, FieldIfGiven(4, 9), dependencies, FieldIfGiven(6, 13),
                FieldIfGiven(7, 14), FieldIfGiven(8, 15), components_.back(), FieldIfGiven(3, 5)});
        NeedActions({"StopServices", "DeleteServices", "InstallServices", "StartServices"});
    }

    // "key=value;key=value" as rows of an attribute table.
    void AddAttributes(const std::string& table, const std::string& key, const std::string& text)
    {
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(';', start);
            if (end == std::string::npos)
                end = text.size();
            const std::string pair = text.substr(start, end - start);
            const std::size_t equals = pair.find('=');
            if (equals == std::string::npos || equals == 0) {
                if (!pair.empty())
                    throw EPackError(where_ + ": attribute \"" + pair + "\" is not key=value");
            } else {
                AddRow(table, {key, pair.substr(0, equals), pair.substr(equals + 1)});
            }
            start = end + 1;
        }
    }

    // Parameters: 1 data source name, 2 driver description, 3 "system" (the default) or
    // "user", 4 attributes ("key=value;...").
    void CreateOdbcDsn()
    {
        const std::string registration = Lower(Param(3));
        if (Param(1).empty() || Param(2).empty() ||
            (!registration.empty() && registration != "system" && registration != "user"))
            throw EPackError(where_ + ": a data source needs a name, a driver and system or user");
        const std::string key = "O" + header_;
        AddRow("ODBCDataSource",
               {key, RowComponent(), Param(1), Param(2), registration == "user" ? "1" : "0"});
        AddAttributes("ODBCSourceAttribute", key, Param(4));
        NeedActions({"InstallODBC", "RemoveODBC"});
    }

    // Parameters: 1 driver description, 2 the driver and 3 its setup library (files of the
    // package source; 3 optional), 4 folder, 5 attributes ("key=value;...").
    void InstallOdbcDriver()
    {
        if (Param(1).empty())
            throw EPackError(where_ + ": the driver has no description");
        const fs::path driver = PackageFile(2);
        OpenFieldFolder(1);
        std::string driverId, setupId;
        body_ += "        " + NewComponent("odbc") + "\n          " + FileElement(driver, driverId);
        if (!Param(3).empty()) {
            // One key path per component: the setup library is a plain file of it.
            body_ += "\n          " + FileElement(PackageFile(3), setupId, {}, false);
        }
        body_ += "\n        </Component>\n      </Directory>\n";
        const std::string key = "O" + header_;
        AddRow("ODBCDriver", {key, components_.back(), Param(1), driverId, setupId});
        AddAttributes("ODBCAttribute", key, Param(5));
        NeedActions({"InstallODBC", "RemoveODBC"});
    }

    const TCompiledScript& script_;
    std::size_t line_ = 0;
    long paramCount_ = 0;
    fs::path sourceDir_;
    std::string header_;
    std::string where_;
    std::string body_;
    std::vector<std::string> components_;
    std::vector<TComponentSwitch> switches_;
    std::size_t fileCount_ = 0;
    std::size_t folderCount_ = 0;
    const std::vector<TWebMediaBlock>& blocks_;
    std::vector<TTableRows> tables_;
    std::set<std::string> actions_;
    std::vector<TSequencedAction> customActions_;
};

// Each line's rows in a feature of their own, "L" + its header, so that a maintenance run
// can take out the rows of the lines its script left off (docs/package-layout.md).
std::string LineFeatures(const std::vector<TComponentSwitch>& switches)
{
    if (switches.empty())
        return "    <Feature Id=\"Complete\" Level=\"1\"><ComponentGroupRef "
               "Id=\"OvdChanges\"/></Feature>\n";
    std::string features;
    for (const auto& sw : switches) {
        features += "    <Feature Id=\"L" + sw.Header + "\" Level=\"1\">";
        for (const auto& c : sw.Components)
            features += "<ComponentRef Id=\"" + c + "\"/>";
        features += "</Feature>\n";
    }
    return features;
}

std::string GeneratedProductWxs(const TCompiledScript& script,
                                const std::vector<TComponentSwitch>& switches)
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
           "    <Directory Id=\"TARGETDIR\" Name=\"SourceDir\"/>\n" +
           LineFeatures(switches) + "  </Product>\n</Wix>\n";
}

} // namespace

TChangeRows CompileChangeRows(const TCompiledScript& script, const TScriptSource& source,
                              const fs::path& sourceDir)
{
    std::set<std::string> authored;
    for (const auto& sw : source.Switches)
        authored.insert(sw.Header);
    TRowWriter writer(script, sourceDir, source.WebMediaBlocks);
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
    return {
        writer.Fragment(), writer.Switches(), GeneratedProductWxs(script, writer.Switches()),
        writer.Tables(),   writer.Actions(),  {title, author, "Intel;1033", script.RevisionCode}};
}

} // namespace ovd::pack
