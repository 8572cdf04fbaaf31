#include "ScriptValidation.h"

#include "AnsiText.h"
#include "mEval.h"
#include "VariableManager.h"

#include <array>
#include <charconv>

namespace ovd {
namespace {

constexpr std::string_view kOriginCompilation = "Compilation";

// Which parameter of a command names a variable that the command writes.
struct OutputRule {
    std::string_view command;
    long param;
    bool required; // an empty name is "Variable required"
    bool inPlace;  // the command reads the variable first: it must be defined
};

// "Set Variable" is handled on its own (name and flag share parameter 1).
constexpr std::array kOutputRules = {
    OutputRule{"Localization Variable", 1, true, false},
    OutputRule{"Get Temporary File", 1, true, false},
    OutputRule{"Replace String", 1, true, true},
    OutputRule{"Convert Case", 1, true, true},
    OutputRule{"Convert Path", 1, true, true},
    OutputRule{"Extract Path", 1, true, true},
    OutputRule{"Parse String", 3, false, false},
    OutputRule{"Parse String", 4, false, false},
    OutputRule{"Read from Text File", 2, true, false},
    OutputRule{"Read from Text File", 3, false, false},
    OutputRule{"Get Environment", 2, true, false},
    OutputRule{"Get File Version", 2, true, false},
    OutputRule{"Check File Version", 1, true, false},
    OutputRule{"Does File/Folder Exist", 1, true, false},
    OutputRule{"Check Disk Space", 1, true, false},
    OutputRule{"Get INI File Settings", 1, true, false},
    OutputRule{"Read Registry", 1, true, false},
    OutputRule{"Check Registry", 1, true, false},
    OutputRule{"Get OS or SP Level", 1, true, false},
    OutputRule{"Get System Settings", 1, true, false},
    OutputRule{"Get Folder Location", 1, true, false},
    OutputRule{"Find All Files", 4, true, false},
    OutputRule{"Check Service", 3, true, false},
    OutputRule{"Run Program", 5, false, false},
    OutputRule{"Run Program As", 8, false, false},
    OutputRule{"Run Light Mode Setup", 2, false, false},
    OutputRule{"Extract 7Zip Archive", 3, false, false},
    OutputRule{"Check Process", 2, true, false},
    OutputRule{"Display Dialog", 2, false, false},
    OutputRule{"Is MSI Setup Installed", 2, true, false},
    OutputRule{"Register Library", 3, false, false},
    OutputRule{"Get Component State", 2, true, false},
    OutputRule{"Get Component Space", 2, true, false},
    OutputRule{"Apply Changes", 2, false, false},
    OutputRule{"Apply Patch", 1, false, false},
    OutputRule{"Evaluate Expression", 2, true, false},
    OutputRule{"Mathematics", 4, false, false},
};

// "Delete Files": parameter 1 is the path, the delete modes follow it.
constexpr long kDeleteModeFirst = 2;
constexpr long kDeleteModeLast = 4;

struct ScriptAccess {
    const THashedStringList& names;
    const THashedStringList& ids;
    const THashedStringList* flags;
    const std::vector<const THashedStringList*>& params;

    std::size_t Count() const { return names.Count(); }
    const std::string& Command(std::size_t i) const { return names[i]; }
    bool Enabled(std::size_t i) const { return flags == nullptr || flags->At(i) != "C"; }
    const std::string& Param(std::size_t i, long n) const
    {
        return GetScriptParameter(params, ids.At(i), n);
    }
};

// The variable name of an output parameter: one pair of "$" removed when present.
std::string OutputName(const std::string& param)
{
    std::string stripped = StripVariableMarkers(param);
    return stripped.empty() ? param : stripped;
}

void SplitSetVariableTarget(const std::string& param, std::string& name, std::string& flag)
{
    const std::size_t marker = param.find(kFieldMarker);
    if (marker == std::string::npos) {
        name = param;
        flag.clear();
    } else {
        name = param.substr(0, marker);
        flag = param.substr(marker + kFieldMarker.size());
    }
    name = OutputName(name);
}

bool IsLegalFileName(std::string_view name)
{
    if (name.empty() || name.find_first_not_of('.') == std::string_view::npos)
        return false;
    for (unsigned char c : name) {
        if (c < 32 ||
            std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos)
            return false;
    }
    return true;
}

bool HasDownloadUrl(std::string_view locations)
{
    const std::string text = TextToNewlines(locations);
    TLineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        if (line.find_first_not_of(" \t") != std::string_view::npos)
            return true;
    }
    return false;
}

struct Failure {
    long line;
    std::string message;
};

bool CheckBlocks(const ScriptAccess& s, Failure& fail)
{
    long depth = 0, openers = 0, closers = 0;
    for (std::size_t i = 0; i < s.Count(); ++i) {
        if (!s.Enabled(i))
            continue;
        const std::string& cmd = s.Command(i);
        if (cmd == "If" || cmd == "Wizard Loop") {
            ++depth;
            ++openers;
        } else if (cmd == "End") {
            --depth;
            ++closers;
        } else if (cmd == "Label" && depth != 0) {
            fail = {static_cast<long>(i),
                    "LABEL statements cannot be nested inside loops/conditionals"};
            return false;
        }
    }
    if (openers > closers) {
        fail = {kUnbalancedBlocksLine, "Insufficient END statements"};
        return false;
    }
    if (openers < closers) {
        fail = {kUnbalancedBlocksLine, "Too many END statements"};
        return false;
    }
    return true;
}

bool CheckLabels(const ScriptAccess& s, TLabelTable& labels, Failure& fail)
{
    for (std::size_t i = 0; i < s.Count(); ++i) {
        if (s.Command(i) != "Label")
            continue;
        std::string name = AnsiUpperCase(s.Param(i, 1));
        if (labels.Find(name) >= 0) {
            fail = {static_cast<long>(i), "LABEL re-defined: " + name};
            return false;
        }
        labels.Add(std::move(name), i);
    }
    return true;
}

void DeclareOutputs(const ScriptAccess& s)
{
    for (std::size_t i = 0; i < s.Count(); ++i) {
        const std::string& cmd = s.Command(i);
        if (cmd == "Set Variable") {
            // Every target is declared, flagged or not: a script that assigns a name
            // and reads it back later must not be refused.
            std::string name, flag;
            SplitSetVariableTarget(s.Param(i, 1), name, flag);
            DefineVariable(UpperCaseAscii(name), "", kOriginCompilation);
            continue;
        }
        for (const OutputRule& rule : kOutputRules) {
            if (rule.command == cmd && !rule.inPlace)
                DefineVariable(UpperCaseAscii(OutputName(s.Param(i, rule.param))), "",
                               kOriginCompilation);
        }
    }
}

bool CheckCommand(const ScriptAccess& s, std::size_t i, const TLabelTable& labels,
                  std::string& message)
{
    const std::string& cmd = s.Command(i);
    if (cmd == "Web Media Block") {
        if (!IsLegalFileName(s.Param(i, 1))) {
            message = "Web Media Block name must be a legal file name";
            return false;
        }
        if (!HasDownloadUrl(s.Param(i, 2))) {
            message = "Web Media Block must have at least one download URL";
            return false;
        }
        return true;
    }
    if (cmd == "Set Variable") {
        std::string name, flag;
        SplitSetVariableTarget(s.Param(i, 1), name, flag);
        if (name.empty()) {
            message = "Variable required";
            return false;
        }
        return true;
    }
    if (cmd == "Delete Files") {
        for (long n = kDeleteModeFirst; n <= kDeleteModeLast; ++n) {
            if (IsTrue(s.Param(i, n)))
                return true;
        }
        message = "At least one delete mode must be selected";
        return false;
    }
    if (cmd == "Install Files" && s.Param(i, 3).empty()) {
        message = "A target folder must be specified for files that are being installed.\r"
                  "The value $TARGETDIR$ represents the destination folder chosen by the user.";
        return false;
    }
    if (cmd == "Evaluate Expression") {
        std::string text = s.Param(i, 1);
        for (char& c : text) {
            if (c == '$')
                c = '"';
        }
        if (ExpressionEvaluator(text) == "ERROR") {
            message = "Syntax error in expression. Please review the help topic "
                      "\"Evaluate Expression\" for the correct syntax.";
            return false;
        }
    }
    if (cmd == "Display Dialog" && s.Param(i, 1).empty()) {
        message = "Dialog name not specified";
        return false;
    }
    if (cmd == "GoTo Label") {
        const std::string name = AnsiUpperCase(s.Param(i, 1));
        if (labels.Find(name) < 0) {
            message = "LABEL undefined: " + name;
            return false;
        }
    }
    for (const OutputRule& rule : kOutputRules) {
        if (rule.command != cmd)
            continue;
        const std::string name = OutputName(s.Param(i, rule.param));
        if (name.empty()) {
            if (rule.required) {
                message = "Variable required";
                return false;
            }
            continue;
        }
        if (rule.inPlace && !Variables().VariableExists(name)) {
            message = "Variable not defined: " + name;
            return false;
        }
    }
    return true;
}

bool CheckWizardLoops(const ScriptAccess& s, Failure& fail)
{
    bool inLoop = false;
    for (std::size_t i = 0; i < s.Count(); ++i) {
        if (!s.Enabled(i))
            continue;
        const std::string& cmd = s.Command(i);
        if (!inLoop) {
            inLoop = cmd == "Wizard Loop";
            continue;
        }
        if (cmd == "End") {
            inLoop = false;
        } else if (cmd != "Display Dialog" && cmd != "Comment" && cmd != "Ignore") {
            fail = {static_cast<long>(i),
                    "Statements other than DISPLAY DIALOG not allowed inside WIZARD LOOP"};
            return false;
        }
    }
    return true;
}

} // namespace

void TLabelTable::Add(std::string upperName, std::size_t line)
{
    entries_.push_back(std::move(upperName));
    entries_.push_back(std::to_string(line));
}

void TLabelTable::Build(const THashedStringList& commandNames, const THashedStringList& commandIds,
                        const std::vector<const THashedStringList*>& parameterLists)
{
    Clear();
    for (std::size_t i = 0; i < commandNames.Count(); ++i) {
        if (commandNames[i] == "Label")
            Add(AnsiUpperCase(GetScriptParameter(parameterLists, commandIds.At(i), 1)), i);
    }
}

long TLabelTable::Find(std::string_view name) const
{
    const std::string upper = AnsiUpperCase(name);
    for (std::size_t k = 0; k + 1 < entries_.size(); k += 2) {
        if (entries_[k] == upper) {
            long line = -1;
            const std::string& text = entries_[k + 1];
            std::from_chars(text.data(), text.data() + text.size(), line);
            return line;
        }
    }
    return -1;
}

const std::vector<std::string_view>& CompilerKnownNames()
{
    static const std::vector<std::string_view> names = {"ZOVR_COMPRESSCACHE",
                                                        "ZOVR_DISABLEROLLBACK",
                                                        "ZOVR_DISABLEVISTARESTARTMANAGER",
                                                        "IISHOST",
                                                        "OVERRIDECACHE",
                                                        "ZOVRLOGO",
                                                        "TIME",
                                                        "DATE",
                                                        "NEWINSTANCE",
                                                        "SELECTED",
                                                        "WINDOWHANDLE",
                                                        "EXEDIR",
                                                        "EXEFILE",
                                                        "UNINSTALLLINK",
                                                        "ENGINECACHE",
                                                        "COPYWEBLOCK",
                                                        "ABORT",
                                                        "SILENT",
                                                        "LOGGED",
                                                        "CMDLINE",
                                                        "REBOOTNOW",
                                                        "SFXPATH",
                                                        "SFXFILE",
                                                        "LASTERROR",
                                                        "PROGRESSMODE",
                                                        "PROGRESSTEXT",
                                                        "PROGRESS",
                                                        "LICENSE",
                                                        "USERNAME",
                                                        "USERCOMPANY",
                                                        "REBOOTCOMPUTER",
                                                        "RUNAPP",
                                                        "WIZARD",
                                                        "VERSION",
                                                        "TARGETDIR",
                                                        "STARTMENU",
                                                        "ADVERTISE",
                                                        "ALLUSERS",
                                                        "COMPLETE",
                                                        "MINIMUM",
                                                        "PERSONALIZED",
                                                        "MODIFY",
                                                        "REPAIR",
                                                        "REMOVE",
                                                        "DATADIR",
                                                        "PRODUCTCODE",
                                                        "REVISIONCODE",
                                                        "ROOTDIR",
                                                        "MAINTENANCE",
                                                        "NEWLINE",
                                                        "NEEDSUPGRADE",
                                                        "TITLE",
                                                        "COMPANY",
                                                        "TEMPDIR",
                                                        "SUPPORTDIR",
                                                        "MSIFILE",
                                                        "LANGUAGE",
                                                        "ABORTONERROR",
                                                        "ABORTEDONERROR",
                                                        "SAVEDATA"};
    return names;
}

long ValidateScript(const THashedStringList& commandNames, const THashedStringList& commandIds,
                    const THashedStringList* lineFlags, std::string& message,
                    const std::vector<const THashedStringList*>& parameterLists,
                    const std::vector<std::string>& dialogVariables)
{
    const ScriptAccess s{commandNames, commandIds, lineFlags, parameterLists};
    TLabelTable labels;
    Variables().ClearVariables();
    for (std::string_view name : CompilerKnownNames())
        DefineVariable(name, "", kOriginCompilation);
    // A dialog that binds a variable declares it: the user enters its value.
    for (const std::string& name : dialogVariables)
        DefineVariable(UpperCaseAscii(name), "", kOriginCompilation);

    Failure fail{kScriptValid, {}};
    if (!CheckBlocks(s, fail) || !CheckLabels(s, labels, fail)) {
        message = std::move(fail.message);
        return fail.line;
    }
    DeclareOutputs(s);
    for (std::size_t i = 0; i < s.Count(); ++i) {
        if (s.Enabled(i) && !CheckCommand(s, i, labels, message))
            return static_cast<long>(i);
    }
    if (!CheckWizardLoops(s, fail)) {
        message = std::move(fail.message);
        return fail.line;
    }
    message = kScriptCompiledMessage;
    return kScriptValid;
}

} // namespace ovd
