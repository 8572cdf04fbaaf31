#include "PackageBuilder.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <vector>

#include "ChangeRows.h"
#include "CompiledScript.h"
#include "CompiledScriptWriter.h"
#include "EngineMessages.h"
#include "FormBinaryReader.h"
#include "FormBinaryWriter.h"
#include "FormError.h"
#include "FormFile.h"
#include "PackTranslations.h"
#include "PeImage.h"
#include "ScriptSource.h"

namespace fs = std::filesystem;

namespace ovd::pack {

namespace {

std::string ReadAll(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        throw EPackError("cannot read " + path.string());
    }
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        throw EPackError("cannot write " + path.string());
    }
}

// The program image without whatever lies behind it (an earlier script or language file).
std::string ImageStub(const fs::path& path)
{
    std::string bytes = ReadAll(path);
    std::string why;
    auto stub = PeStubSize(bytes, &why);
    if (!stub) {
        throw EPackError(path.string() + ": " + why);
    }
    if (*stub > bytes.size()) {
        throw EPackError(path.string() + ": the file is shorter than its sections");
    }
    bytes.resize(static_cast<std::size_t>(*stub));
    return bytes;
}

// Runs a tool in `dir`; its standard output goes to `output` when given, else away unless
// verbose.
void Run(const std::vector<std::string>& argv, const fs::path& dir, bool verbose,
         const fs::path& output = {})
{
    pid_t pid = fork();
    if (pid < 0) {
        throw EPackError("cannot start " + argv[0]);
    }
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) {
            _exit(126);
        }
        if (!output.empty()) {
            int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out < 0) {
                _exit(126);
            }
            dup2(out, 1);
        } else if (!verbose) {
            int null = open("/dev/null", O_WRONLY);
            if (null >= 0) {
                dup2(null, 1);
            }
        }
        std::vector<char*> args;
        for (const auto& arg : argv) {
            args.push_back(const_cast<char*>(arg.c_str()));
        }
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            throw EPackError("lost " + argv[0]);
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        throw EPackError(argv[0] + " failed (exit " + std::to_string(code) + ")" +
                         (code == 127 ? ": not installed? (scripts/setup-deps.sh)" : ""));
    }
}

std::uint32_t Crc32(std::string_view bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

// A 7z archive without entries: the signature header with an empty next header (7zz
// refuses to create one).
std::string EmptyArchive()
{
    std::string start(20, '\0'); // next header offset, size, CRC: all zero
    std::uint32_t crc = Crc32(start);
    std::string out("7z\xBC\xAF\x27\x1C\x00\x04", 8);
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>((crc >> (8 * i)) & 0xFF);
    }
    return out + start;
}

bool HasFiles(const fs::path& dir)
{
    if (!fs::is_directory(dir)) {
        return false;
    }
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            return true;
        }
    }
    return false;
}

// The one file in `dir` with this extension; empty when none; two are an error.
fs::path OnlyFile(const fs::path& dir, const std::string& ext)
{
    fs::path found;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file() && entry.path().extension() == ext) {
            if (!found.empty()) {
                throw EPackError(dir.string() + " holds more than one " + ext + " file");
            }
            found = entry.path();
        }
    }
    return found;
}

// A scratch folder removed with its content.
class TTempDir {
public:
    TTempDir()
    {
        std::string pattern = (fs::temp_directory_path() / "ovdpack.XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw EPackError("cannot create a temporary folder");
        }
        path_ = pattern;
    }
    ~TTempDir()
    {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

// Reads a form (its errors name `label`).
TFormComponent LoadFormFile(const fs::path& path, const std::string& label)
{
    TFormReadOptions options;
    options.FileName = label;
    return LoadForm(ReadAll(path), options);
}

// The forms the package carries as binary streams, relative to support/: those named by
// "binary-form", and with --binary-forms every .dfm.
std::vector<fs::path> BinaryForms(const TPackOptions& o, const TScriptSource& source)
{
    const fs::path support = o.sourceDir / "support";
    std::vector<fs::path> forms;
    for (const auto& name : source.BinaryForms) {
        const fs::path form = fs::path(name + ".dfm");
        const bool inside = std::none_of(form.begin(), form.end(),
                                         [](const fs::path& part) { return part == ".."; });
        if (form.is_absolute() || !inside) {
            throw EPackError("binary-form " + name + ": not a path inside support/");
        }
        if (!fs::is_regular_file(support / form)) {
            throw EPackError("binary-form " + name + ": support/" + form.generic_string() +
                             " is missing");
        }
        forms.push_back(form);
    }
    if (o.binaryForms && fs::is_directory(support)) {
        for (const auto& entry : fs::recursive_directory_iterator(support)) {
            if (entry.is_regular_file() && entry.path().extension() == ".dfm") {
                forms.push_back(fs::relative(entry.path(), support));
            }
        }
    }
    return forms;
}

// Text forms among `forms` (in the staged support folder `dir`) become binary streams;
// binary ones, with or without the resource header, stay as they are.
void ConvertForms(const fs::path& dir, const std::vector<fs::path>& forms)
{
    for (const auto& form : forms) {
        const std::string bytes = ReadAll(dir / form);
        if (IsBinaryForm(bytes) || HasResourceHeader(bytes)) {
            continue;
        }
        try {
            TFormReadOptions options;
            options.FileName = "support/" + form.generic_string();
            WriteAll(dir / form, WriteBinaryForm(LoadForm(bytes, options)));
        } catch (const EFormError& e) {
            throw EPackError(e.what());
        }
    }
}

// `generated`: files written into the archive beside support/ (the translation tables).
void BuildArchive(const TPackOptions& o, const fs::path& res, const std::vector<fs::path>& forms,
                  const std::vector<std::pair<std::string, std::string>>& generated)
{
    fs::path support = o.sourceDir / "support";
    if (o.badRes) {
        WriteAll(res, "This is not an archive.\r\n");
        return;
    }
    if (!HasFiles(support) && generated.empty()) {
        WriteAll(res, EmptyArchive());
        return;
    }
    std::optional<TTempDir> stage;
    if (!forms.empty() || !generated.empty()) {
        stage.emplace();
        fs::create_directories(stage->Path() / "support");
        if (fs::is_directory(support)) {
            fs::copy(support, stage->Path() / "support", fs::copy_options::recursive);
        }
        support = stage->Path() / "support";
        ConvertForms(support, forms);
        for (const auto& [file, content] : generated) {
            if (fs::exists(support / file)) {
                throw EPackError("support/" + file +
                                 " would be replaced by the translations of the script source");
            }
            WriteAll(support / file, content);
        }
    }
    // 7zz adds to an existing archive: start from nothing. "*" would skip dot files.
    Run({"7zz", "a", "-t7z", "-bd", "-y", "-r", fs::absolute(res).string(), "."},
        fs::absolute(support), o.verbose);
}

// The archives of the web media blocks, OUTDIR/web/NAME.7zip: the block's folder under
// the block's name (the engine extracts it and moves NAME\ into its cache folder), with
// the password when the block has one (names encrypted too).
void BuildWebMediaBlocks(const TPackOptions& o, const TScriptSource& source)
{
    if (source.WebMediaBlocks.empty())
        return;
    const fs::path web = fs::absolute(o.outDir / "web");
    fs::create_directories(web);
    for (const TWebMediaBlock& block : source.WebMediaBlocks) {
        const fs::path folder = o.sourceDir / block.Folder;
        if (block.Folder.empty() || fs::path(block.Folder).is_absolute() ||
            block.Folder.find("..") != std::string::npos || !fs::is_directory(folder))
            throw EPackError("web-media-block " + block.Name + ": \"" + block.Folder +
                             "\" is not a folder inside the package source");
        TTempDir stage;
        fs::copy(folder, stage.Path() / block.Name, fs::copy_options::recursive);
        std::vector<std::string> args = {"7zz", "a", "-t7z", "-bd", "-y", "-r"};
        if (!block.Password.empty()) {
            args.push_back("-p" + block.Password);
            args.push_back("-mhe=on");
        }
        args.push_back((web / (block.Name + ".7zip")).string());
        args.push_back(block.Name);
        Run(args, stage.Path(), o.verbose);
    }
}

// wixl over the author's .wxs (or a generated product) and the fragment of the
// recording commands' rows.
void BuildDatabaseWithRows(const TPackOptions& o, const std::string& name, const fs::path& wxs,
                           const TChangeRows& rows)
{
    TTempDir temp;
    std::vector<std::string> args = {"wixl", "-o",
                                     fs::absolute(o.outDir / (name + ".msi")).string()};
    if (wxs.empty()) {
        WriteAll(temp.Path() / "ovd-product.wxs", rows.Product);
        args.push_back((temp.Path() / "ovd-product.wxs").string());
    } else {
        if (ReadAll(wxs).find("\"OvdChanges\"") == std::string::npos) {
            throw EPackError(wxs.string() +
                             " must put <ComponentGroupRef Id=\"OvdChanges\"/> into a feature: "
                             "script lines without \".components\" get their rows there");
        }
        args.push_back(wxs.filename().string());
    }
    WriteAll(temp.Path() / "ovd-changes.wxs", rows.Fragment);
    args.push_back((temp.Path() / "ovd-changes.wxs").string());
    Run(args, fs::absolute(o.sourceDir), o.verbose);
    if (wxs.empty() && rows.ProductSummary.size() == 4) {
        std::vector<std::string> summary = {"msibuild", args[2], "-s"};
        summary.insert(summary.end(), rows.ProductSummary.begin(), rows.ProductSummary.end());
        Run(summary, temp.Path(), o.verbose);
    }
}

void AddChangeTables(const TChangeRows& rows, const fs::path& msi, bool verbose);

void BuildDatabase(const TPackOptions& o, const std::string& name, const TChangeRows& rows)
{
    const fs::path msi = OnlyFile(o.sourceDir, ".msi");
    const fs::path msp = OnlyFile(o.sourceDir, ".msp");
    const fs::path wxs = OnlyFile(o.sourceDir, ".wxs");
    if (!msi.empty() && !wxs.empty()) {
        throw EPackError(o.sourceDir.string() + " holds both a .msi and a .wxs");
    }
    // A given .msi already holds the rows of every line; otherwise ovdpack writes them (an
    // empty group for a .wxs that expects it when no line needs rows).
    const bool wantsRows = !wxs.empty() && ReadAll(wxs).find("\"OvdChanges\"") != std::string::npos;
    if (msi.empty() && (!rows.Switches.empty() || wantsRows)) {
        BuildDatabaseWithRows(o, name, wxs, rows);
        AddChangeTables(rows, o.outDir / (name + ".msi"), o.verbose);
        if (!msp.empty()) {
            fs::copy_file(msp, o.outDir / (name + ".msp"), fs::copy_options::overwrite_existing);
        }
        return;
    }
    if (msi.empty() && msp.empty() && wxs.empty()) {
        throw EPackError(o.sourceDir.string() +
                         " holds no .msi, .msp or .wxs (use --no-msi to build without one)");
    }
    if (!msi.empty()) {
        fs::copy_file(msi, o.outDir / (name + ".msi"), fs::copy_options::overwrite_existing);
    }
    if (!msp.empty()) {
        fs::copy_file(msp, o.outDir / (name + ".msp"), fs::copy_options::overwrite_existing);
    }
    if (!wxs.empty()) {
        const fs::path out = fs::absolute(o.outDir / (name + ".msi"));
        Run({"wixl", "-o", out.string(), wxs.filename().string()}, fs::absolute(o.sourceDir),
            o.verbose);
    }
}

std::vector<std::string> SplitTabs(const std::string& row)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t tab = row.find('\t', start);
        fields.push_back(
            row.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

// The rows of one exported table: its header lines (names, types, keys) and its rows, each
// split at its tabs.
struct TExportedTable {
    std::vector<std::vector<std::string>> Header;
    std::vector<std::vector<std::string>> Rows;
};

TExportedTable ExportTable(const fs::path& db, const std::string& table, const fs::path& dir,
                           bool verbose)
{
    const fs::path idt = dir / (table + ".idt");
    Run({"msiinfo", "export", db.string(), table}, dir, verbose, idt);
    TExportedTable out;
    std::istringstream rows(ReadAll(idt));
    std::string row;
    for (int n = 0; std::getline(rows, row); ++n) {
        if (!row.empty() && row.back() == '\r') {
            row.pop_back();
        }
        (n < 3 ? out.Header : out.Rows).push_back(SplitTabs(row));
    }
    return out;
}

void WriteTable(const fs::path& idt, const TExportedTable& table)
{
    std::string out;
    for (const auto* part : {&table.Header, &table.Rows}) {
        for (const auto& row : *part) {
            for (std::size_t i = 0; i < row.size(); ++i) {
                out += (i ? "\t" : "") + row[i];
            }
            out += "\r\n";
        }
    }
    WriteAll(idt, out);
}

// The tables wixl does not write (INI entries, environment, file types, moved and removed
// files, services, ODBC, assemblies) and the actions that apply them, added to the
// database wixl built: rows joined to what a table holds already, actions sequenced where
// the installer's standard sequence has them, unless the sequence has them already.
void AddChangeTables(const TChangeRows& rows, const fs::path& msi, bool verbose)
{
    if (rows.Tables.empty() && rows.Actions.empty()) {
        return;
    }
    TTempDir temp;
    const fs::path db = fs::absolute(msi);
    const fs::path list = temp.Path() / "tables.txt";
    Run({"msiinfo", "tables", db.string()}, temp.Path(), verbose, list);
    std::set<std::string> existing;
    {
        std::istringstream names(ReadAll(list));
        for (std::string name; std::getline(names, name);) {
            existing.insert(name);
        }
    }
    std::map<std::string, std::string> featureOf;
    for (const auto& row : ExportTable(db, "FeatureComponents", temp.Path(), verbose).Rows) {
        if (row.size() >= 2) {
            featureOf[row[1]] = row[0];
        }
    }
    for (const TTableRows& table : rows.Tables) {
        TExportedTable idt;
        if (existing.count(table.Name) != 0) {
            idt = ExportTable(db, table.Name, temp.Path(), verbose);
        } else {
            std::vector<std::string> keys = {table.Name};
            keys.insert(keys.end(), table.Keys.begin(), table.Keys.end());
            idt.Header = {table.Columns, table.Types, keys};
        }
        const std::vector<std::string>& columns = idt.Header.at(0);
        for (const auto& source : table.Rows) {
            std::vector<std::string> row(columns.size());
            for (std::size_t c = 0; c < table.Columns.size(); ++c) {
                const auto at = std::find(columns.begin(), columns.end(), table.Columns[c]);
                if (at == columns.end()) {
                    continue;
                }
                std::string value = source.at(c);
                if (value.rfind(kFeatureOf, 0) == 0) {
                    const auto feature = featureOf.find(value.substr(std::strlen(kFeatureOf)));
                    if (feature == featureOf.end()) {
                        throw EPackError("component " + value.substr(std::strlen(kFeatureOf)) +
                                         " is in no feature");
                    }
                    value = feature->second;
                }
                row[static_cast<std::size_t>(at - columns.begin())] = value;
            }
            idt.Rows.push_back(row);
        }
        WriteTable(temp.Path() / (table.Name + ".idt"), idt);
        Run({"msibuild", db.string(), "-i", table.Name + ".idt"}, temp.Path(), verbose);
    }
    TExportedTable sequence = ExportTable(db, "InstallExecuteSequence", temp.Path(), verbose);
    for (const TSequencedAction& action : rows.Actions) {
        const bool present =
            std::any_of(sequence.Rows.begin(), sequence.Rows.end(),
                        [&](const auto& row) { return !row.empty() && row[0] == action.Action; });
        if (!present) {
            sequence.Rows.push_back(
                {action.Action, action.Condition, std::to_string(action.Sequence)});
        }
    }
    WriteTable(temp.Path() / "InstallExecuteSequence.idt", sequence);
    Run({"msibuild", db.string(), "-i", "InstallExecuteSequence.idt"}, temp.Path(), verbose);
}

// Conditions the named components on the switch properties of their script lines, so
// that a change command's rows install only when the script ran it.
void ApplySwitches(const std::vector<TComponentSwitch>& switches, const fs::path& msi, bool verbose)
{
    std::map<std::string, std::string> conditions;
    for (const auto& sw : switches) {
        for (const auto& component : sw.Components) {
            std::string& condition = conditions[component];
            condition += (condition.empty() ? "" : " OR ") + ("A" + sw.Header + "=\"TRUE\"");
            if (sw.RemovedWithProduct && condition.find("REMOVE~=") == std::string::npos) {
                condition += " OR REMOVE~=\"ALL\"";
            }
            // The line's own feature named for removal (a maintenance run that left the
            // line off): the installer leaves a component alone whose condition is false.
            if (sw.RemovedWithProduct) {
                condition += " OR REMOVE><\"L" + sw.Header + "\"";
            }
        }
    }
    TTempDir temp;
    const fs::path db = fs::absolute(msi);
    const fs::path idt = temp.Path() / "Component.idt";
    Run({"msiinfo", "export", db.string(), "Component"}, temp.Path(), verbose, idt);
    std::istringstream rows(ReadAll(idt));
    std::string out, row;
    for (int n = 0; std::getline(rows, row); ++n) {
        if (!row.empty() && row.back() == '\r') {
            row.pop_back();
        }
        std::vector<std::string> f = SplitTabs(row);
        // Three header lines: names, types, table and keys.
        if (n >= 3 && f.size() >= 5) {
            auto it = conditions.find(f[0]);
            if (it != conditions.end()) {
                f[4] = f[4].empty() ? it->second : "(" + f[4] + ") AND (" + it->second + ")";
                conditions.erase(it);
            }
        }
        for (std::size_t i = 0; i < f.size(); ++i) {
            out += (i ? "\t" : "") + f[i];
        }
        out += "\r\n";
    }
    if (!conditions.empty()) {
        throw EPackError("the installer database has no component \"" + conditions.begin()->first +
                         "\" (named by \".components\")");
    }
    WriteAll(idt, out);
    Run({"msibuild", db.string(), "-i", "Component.idt"}, temp.Path(), verbose);
}

} // namespace

TPackResult BuildPackage(const TPackOptions& o)
{
    if (!fs::is_directory(o.sourceDir)) {
        throw EPackError(o.sourceDir.string() + " is not a folder");
    }
    if (fs::exists(o.outDir) && fs::equivalent(o.outDir, o.sourceDir)) {
        throw EPackError("the output folder must not be the source folder");
    }
    const fs::path scriptFile = o.script.empty() ? o.sourceDir / "setup.ovds" : o.script;
    TCompiledScript script;
    TScriptSource source = ParseScriptSource(scriptFile, o.sourceDir, script);
    std::string name = !o.name.empty() ? o.name : !source.Name.empty() ? source.Name : "setup";
    if (name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") {
        throw EPackError("the setup name \"" + name + "\" is not a plain file name");
    }

    // The engine loads one form per enabled "Display Dialog" line at start-up.
    for (std::size_t i = 0; i < script.LineCount(); ++i) {
        if (script.CommandNames[i] == "Display Dialog" && !script.LineDisabled(i)) {
            const std::string& dialog =
                GetScriptParameter(script.ParameterLists, script.CommandIds[i], 1);
            const fs::path form = o.sourceDir / "support" / (dialog + ".dfm");
            if (!fs::exists(form)) {
                std::cerr << "ovdpack: warning: script line " << i << " shows dialog \"" << dialog
                          << "\" but support/" << dialog << ".dfm is missing\n";
                continue;
            }
            // A broken form is carried all the same: the engine's failure is worth testing.
            try {
                LoadFormFile(form, "support/" + dialog + ".dfm");
            } catch (const EFormError& e) {
                std::cerr << "ovdpack: warning: script line " << i << " shows dialog \"" << dialog
                          << "\": " << e.what() << "\n";
            }
        }
    }
    std::string compiled;
    try {
        compiled = WriteCompiledScript(script);
    } catch (const EScriptWriteError& e) {
        const std::string why = e.what();
        throw EPackError(why + (why.find("line break") != std::string::npos
                                    ? " (the engine expands $NEWLINE$ to one)"
                                    : ""));
    }
    {
        // What we write must load back the same.
        TCompiledScript check;
        auto loaded = LoadCompiledScript(compiled, check);
        if (!loaded.ok || !check.SameContent(script)) {
            throw EPackError("the compiled script does not load back: " + loaded.error);
        }
    }
    if (o.truncateScript) {
        if (*o.truncateScript >= compiled.size()) {
            throw EPackError("--truncate-script " + std::to_string(*o.truncateScript) +
                             " is not shorter than the script (" + std::to_string(compiled.size()) +
                             " bytes)");
        }
        compiled.resize(static_cast<std::size_t>(*o.truncateScript));
    }
    if (!o.dumpScript.empty()) {
        WriteAll(o.dumpScript, compiled);
    }

    fs::create_directories(o.outDir);
    TPackResult result;
    result.exe = o.outDir / (name + ".exe");
    result.scriptBytes = o.noScript ? 0 : compiled.size();
    result.scriptLines = script.LineCount();

    // Outputs left from an earlier build must not stand in for skipped ones. The data and
    // web folders go only when such a build is there: in any other folder they are
    // somebody else's.
    const bool earlierBuild =
        fs::exists(o.outDir / (name + ".exe")) || fs::exists(o.outDir / (name + ".res"));
    for (const char* folder : {"data", "web"}) {
        if (!earlierBuild && fs::exists(o.outDir / folder))
            throw EPackError((o.outDir / folder).string() +
                             " is not from an earlier build of " + name +
                             ": choose another output folder or remove it");
    }
    for (const char* ext : {".exe", ".res", ".msi", ".msp"}) {
        fs::remove(o.outDir / (name + ext));
    }
    fs::remove(o.outDir / "ovd.lib");
    fs::remove(o.outDir / "setup.bmp");
    fs::remove_all(o.outDir / "data");
    fs::remove_all(o.outDir / "web");

    std::string exe = ImageStub(o.engine);
    if (!o.noScript) {
        exe += compiled;
    }
    WriteAll(result.exe, exe);
    fs::permissions(result.exe,
                    fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);

    if (!o.noRes) {
        BuildArchive(o, o.outDir / (name + ".res"), BinaryForms(o, source),
                     TranslationFiles(source, o.sourceDir, name));
    }
    if (!o.noMsi) {
        const TChangeRows rows = CompileChangeRows(script, source, o.sourceDir);
        BuildDatabase(o, name, rows);
        std::vector<TComponentSwitch> switches = source.Switches;
        if (OnlyFile(o.sourceDir, ".msi").empty()) {
            switches.insert(switches.end(), rows.Switches.begin(), rows.Switches.end());
        }
        if (!switches.empty()) {
            const fs::path msi = o.outDir / (name + ".msi");
            if (!fs::exists(msi)) {
                throw EPackError("\".components\" needs a .msi or .wxs in the source");
            }
            ApplySwitches(switches, msi, o.verbose);
        }
    }
    BuildWebMediaBlocks(o, source);
    if (!o.lib.empty()) {
        std::string lib = ImageStub(o.lib);
        if (!o.noLang) {
            const fs::path lang = o.sourceDir / "lang.loc";
            lib += fs::exists(lang) ? ReadAll(lang) : DefaultLanguageFileText();
        }
        WriteAll(o.outDir / "ovd.lib", lib);
    }
    if (fs::exists(o.sourceDir / "setup.bmp")) {
        fs::copy_file(o.sourceDir / "setup.bmp", o.outDir / "setup.bmp");
    }
    if (fs::is_directory(o.sourceDir / "data")) {
        fs::copy(o.sourceDir / "data", o.outDir / "data", fs::copy_options::recursive);
    }
    return result;
}

} // namespace ovd::pack
