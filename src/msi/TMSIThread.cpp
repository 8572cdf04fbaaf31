#include "TMSIThread.h"

#include <algorithm>
#include <optional>

#include "Account.h"
#include "CommaText.h"
#include "EngineMessages.h"
#include "FileUtil.h"
#include "InstallerLogHeader.h"
#include "InstallerResult.h"
#include "InstallerUi.h"
#include "MsiApi.h"
#include "MsiDatabase.h"
#include "PathParts.h"
#include "PropertyHandoverFile.h"
#include "Registry.h"
#include "RunPlatform.h"
#include "ScriptText.h"
#include "SourceList.h"
#include "VariableManager.h"
#include "WinHandles.h"
#include "uGlobals.h"

namespace ovd {
namespace {

constexpr DWORD kLogMode = 0x3FDF;
constexpr DWORD kLogAppendFlushEachLine = 3;
constexpr int kProductInstalled = 5;
constexpr const char* kInstallerText = "Windows Installer";

// The short (8.3) form of a folder, with its quote flag: set when the short form still
// holds a blank or cannot be had.
std::string ShortFolder(const std::string& folder, bool& quote)
{
    char buffer[MAX_PATH * 2] = {};
    const DWORD got = GetShortPathNameA(folder.c_str(), buffer, sizeof buffer);
    if (got == 0 || got >= sizeof buffer) {
        quote = true;
        return WithBackslash(folder);
    }
    const std::string shortForm = WithBackslash(buffer);
    quote = shortForm.find(' ') != std::string::npos;
    return shortForm;
}

// Packages of earlier runs of this product that the installer still keeps.
void ForgetTempPackages(const std::string& productCode)
{
    HKEY raw = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                      "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\TempPackages", 0,
                      KEY_ALL_ACCESS, &raw) != ERROR_SUCCESS)
        return;
    const UniqueResource<RegKeyTraits> key(raw);
    const std::string code = UpperCaseAscii(productCode);
    std::vector<std::string> doomed;
    for (DWORD i = 0;; ++i) {
        char name[1024];
        DWORD size = sizeof name;
        if (RegEnumValueA(raw, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (!code.empty() && UpperCaseAscii(name).find(code) != std::string::npos)
            doomed.emplace_back(name);
    }
    for (const std::string& name : doomed)
        RegDeleteValueA(raw, name.c_str());
}

// A value of the source list, written back as the installer keeps it: expandable on the
// NT family.
void WriteSourceValue(HKEY key, const std::string& name, const std::string& value)
{
    const DWORD type = (GetVersion() & 0x80000000u) ? REG_SZ : REG_EXPAND_SZ;
    RegSetString(key, name.c_str(), value, type);
}

UniqueRegKey OpenSourceKey(HKEY root, const std::string& path)
{
    return OpenRegKey(root, path, KEY_READ | KEY_WRITE);
}

// Before a removal the setup's folders join the product's source list, so that the
// installer finds its package where this setup lies now. Failures are ignored: the list
// only helps the installer look.
void RegisterSourceFolders(const std::string& productCode, const TInstallerPaths& paths)
{
    const std::optional<std::string> packed = PackedProductCode(productCode);
    if (!packed)
        return;
    const std::pair<HKEY, std::string> products[] = {
        {HKEY_CURRENT_USER, "SOFTWARE\\Microsoft\\Installer\\Products\\"},
        {HKEY_CLASSES_ROOT, "Installer\\Products\\"}};
    for (const auto& [root, base] : products) {
        const std::string list = base + *packed + "\\SourceList\\";
        if (const auto key = OpenSourceKey(root, list)) {
            if (const auto last = RegStringValue(key.get(), "LastUsedSource"))
                WriteSourceValue(key.get(), "LastUsedSource",
                                 LastUsedSourceValue(*last, paths.MsiDir));
        }
        if (const auto media = OpenSourceKey(root, list + "Media\\")) {
            if (RegStringValue(media.get(), "MediaPackage"))
                WriteSourceValue(media.get(), "MediaPackage", paths.MediaDir);
        }
        if (const auto net = OpenSourceKey(root, list + "Net\\")) {
            std::vector<std::string> names;
            for (DWORD i = 0;; ++i) {
                char name[256];
                DWORD size = sizeof name;
                if (RegEnumValueA(net.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
                    ERROR_SUCCESS)
                    break;
                names.emplace_back(name, size);
            }
            const auto [first, second] = NextNetSourceNames(names);
            WriteSourceValue(net.get(), first, paths.MsiDir);
            WriteSourceValue(net.get(), second, paths.DataDir);
        }
    }
}

bool ThreadCancelled()
{
    return GetVariable("ZOVR_thCancelled") == "TRUE";
}

} // namespace

TInstallerPaths TMSIThread::DerivePaths()
{
    TInstallerPaths p;
    p.MsiDir =
        ShortFolder(PathFolderText(job_.PackagePath, PathSeparators::BackslashOrSlash), p.QuoteMsi);
    std::string data = WithBackslash(job_.DataDir);
    if (job_.Operation != InstallerOperation::Patch)
        ForceDirectories(data);
    if (DirectoryExists(data))
        data = ShortFolder(data, p.QuoteData);
    else
        p.QuoteData = data.find(' ') != std::string::npos;
    p.DataDir = data;
    p.SourceDir = data;
    p.MediaDir = MediaDirectoryOf(data);
    return p;
}

std::string TMSIThread::WriteHandoverFile(const TInstallerPaths& paths,
                                          const std::vector<std::string>& variables)
{
    THandoverInput in;
    in.Patch = job_.Operation == InstallerOperation::Patch;
    in.Uninstall = job_.Operation == InstallerOperation::Uninstall;
    in.DataDir = paths.DataDir;
    in.MediaDir = paths.MediaDir;
    in.Properties = job_.Properties;
    in.Variables = variables;
    in.Expand = [](std::string_view text) { return ExpandVariables(text); };
    in.Exists = [](const std::string& path) { return FileExists(path) || DirectoryExists(path); };
    // Kept even when the write fails: what was written of it goes at the end all the same.
    handoverFile_ = Process().TempDir + job_.ProductCode;
    std::string error;
    return WriteFileBytes(handoverFile_, PropertyHandoverText(in), error) ? std::string() : error;
}

void TMSIThread::WriteLogHeader(const TInstallerPaths& paths)
{
    const std::string log = CurrentLogFile();
    if (log.empty() || ThreadCancelled())
        return;
    ForceDirectories(PathFolderText(log, PathSeparators::BackslashOrSlash));
    if (job_.Trace) {
        SYSTEMTIME now{};
        GetLocalTime(&now);
        char stamp[64];
        wsprintfA(stamp, "%02u.%02u.%04u %02u:%02u:%02u", now.wDay, now.wMonth, now.wYear,
                  now.wHour, now.wMinute, now.wSecond);
        TInstallerLogFacts facts;
        facts.Caption = ui_.Caption;
        facts.DateTime = stamp;
        facts.Variables = SaveVariablesToText();
        facts.Properties = ToCommaText(job_.Properties);
        facts.Package = job_.PackagePath;
        facts.ProductCode = job_.ProductCode;
        facts.DataDir = paths.DataDir;
        facts.MediaDir = paths.MediaDir;
        facts.MsiDir = paths.MsiDir;
        // The trace writes each line in the log's encoding, CR LF after it.
        std::string header = InstallerLogHeader(facts);
        for (std::size_t start = 0; start < header.size();) {
            const std::size_t end = header.find("\r\n", start);
            job_.Trace(std::string_view(header).substr(start, end - start));
            start = end + 2;
        }
    }
    // The installer writes its log beside ours and the lines join it after the run: one
    // encoding for the whole file, and no installer that writes from the file's start
    // (Wine's does) can overwrite the trace.
    installerLog_ = log + ".installer";
    DeleteFileA(installerLog_.c_str());
    if (MsiApi::MsiEnableLogA(kLogMode, installerLog_.c_str(), kLogAppendFlushEachLine) !=
        ERROR_SUCCESS)
        installerLog_.clear();
}

void TMSIThread::AppendInstallerLog()
{
    if (installerLog_.empty())
        return;
    MsiApi::MsiEnableLogA(0, nullptr, 0);
    std::string text;
    if (const auto bytes = Win32RunPlatform().ReadTextFile(installerLog_))
        text = *bytes;
    DeleteFileA(installerLog_.c_str());
    installerLog_.clear();
    if (text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
        static_cast<unsigned char>(text[1]) == 0xFE) {
        // A log in UTF-16: the trace takes ANSI text.
        const std::wstring wide(reinterpret_cast<const wchar_t*>(text.data() + 2),
                                (text.size() - 2) / 2);
        const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                             nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(std::max(size, 0)), '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                            size, nullptr, nullptr);
        text = std::move(ansi);
    }
    if (job_.Trace) {
        for (const std::string& line : InstallerLogLines(text))
            job_.Trace(line);
    }
}

UINT TMSIThread::RunOperation(const TInstallerPaths& paths, bool installed)
{
    TCommandLineFacts facts;
    facts.Operation = job_.Operation;
    facts.AllUsers = GetVariable("ALLUSERS");
    facts.DisableRollback = GetVariable("ZOVR_DISABLE_ROLLBACK") == "TRUE";
    facts.DisableRestartManager = GetVariable("ZOVR_DISABLE_VISTA_RESTART_MANAGER") == "TRUE";
    facts.ProductInstalled = installed;
    facts.CacheAdvertised = job_.CacheAdvertised;
    facts.NtFamily = !(GetVersion() & 0x80000000u);
    facts.InstallLocation = job_.InstallLocation;
    facts.Paths = paths;
    if (installed && job_.Operation == InstallerOperation::Install && !job_.CacheAdvertised) {
        std::vector<TInstalledFeature> features;
        for (std::string& name : DatabaseFeatures(job_.PackagePath)) {
            const INSTALLSTATE state =
                MsiApi::MsiQueryFeatureStateA(job_.ProductCode.c_str(), name.c_str());
            const bool present = state == INSTALLSTATE_LOCAL || state == INSTALLSTATE_SOURCE ||
                                 state == INSTALLSTATE_ADVERTISED || state == INSTALLSTATE_DEFAULT;
            features.push_back({std::move(name), present});
        }
        facts.Features = MaintenanceFeatureRequests(features, job_.Properties);
    }
    const std::string line = PropertyCommandLine(facts);

    // The shortcut identities and pins of the shell integration are applied here, before
    // the installer runs.
    const auto cancelled = [this] { return ThreadCancelled() || Terminated(); };
    if (job_.Operation == InstallerOperation::Patch) {
        // Applied once, not repeated while busy; a cancel before it applies nothing.
        if (cancelled())
            return kInstallerUserExit;
        // The product's sources as the patch may need them: its first install ran from a
        // support folder that is gone. For this user, then by the account's name; failures
        // are ignored, the list only helps the installer look.
        for (const std::string& user : {std::string(), QualifiedAccountName()})
            MsiApi::MsiSourceListAddSourceA(job_.ProductCode.c_str(), user.c_str(), 0,
                                            paths.SourceDir.c_str());
        return MsiApi::MsiApplyPatchA(job_.PackagePath.c_str(), nullptr, INSTALLTYPE_DEFAULT,
                                      line.c_str());
    }

    TBusyRetry retry;
    retry.Attempt = [&] {
        return MsiApi::MsiInstallProductA(job_.PackagePath.c_str(), line.c_str());
    };
    retry.Cancelled = cancelled;
    retry.Report = [](const std::string& text) { ReportWorkerProgress(text, 0, 100, 100); };
    retry.Pause = [&cancelled](unsigned ms) {
        for (unsigned slept = 0; slept < ms; slept += 100) {
            if (cancelled())
                return false;
            Sleep(std::min(100u, ms - slept));
        }
        return true;
    };
    return RunWhileInstallerBusy(retry);
}

void TMSIThread::Execute()
{
    const bool patch = job_.Operation == InstallerOperation::Patch;
    ForgetTempPackages(job_.ProductCode);
    const TInstallerPaths paths = DerivePaths();
    ReportWorkerProgress(kInstallerText, 0, 100, 0);

    std::vector<std::string> variables;
    Variables().ExportVariables(variables);
    for (std::size_t i = 0; i + 1 < variables.size(); i += 2) {
        if (SameTextAscii(variables[i], "SILENT"))
            ui_.Quiet = SameTextAscii(variables[i + 1], "TRUE");
        else if (SameTextAscii(variables[i], "TITLE"))
            ui_.Caption = variables[i + 1];
    }
    if (const std::string error = WriteHandoverFile(paths, variables); !error.empty()) {
        // The database's own actions read their properties from it: without it they would
        // run on a stale or cut-short file, and the script be told it succeeded.
        outcome_.Error = true;
        outcome_.ResultText =
            "The installer's property file " + handoverFile_ + " cannot be written: " + error;
        return;
    }

    ReportWorkerProgress(kInstallerText, 0, 100, 50);
    // A damaged database can send the platform's reader into an endless loop here; the
    // launcher watches how long this takes.
    if (!patch) {
        const TDatabaseBusy busy(databaseSince_);
        if (!job_.DatabaseStatements.empty() || !job_.ProgIdMoves.empty())
            ExecuteDatabaseStatements(job_.PackagePath, job_.DatabaseStatements, job_.ProgIdMoves);
        if (job_.Session != nullptr &&
            !WritePropertyTable(job_.PackagePath, job_.Pending, *job_.Session)) {
            // Without the Property table no change line's switch is on: the installer would
            // run with every recorded change off and the script be told it succeeded.
            outcome_.Error = true;
            outcome_.ResultText =
                "The installer database " + job_.PackagePath + " cannot be written";
            return;
        }
    }
    ReportWorkerProgress(kInstallerText, 0, 100, 100);
    // A patch package is no database to adapt: its template lists the products it
    // patches and its word count says how it patches them.
    if (!patch) {
        const TDatabaseBusy busy(databaseSince_);
        AdaptDatabasePlatform(job_.PackagePath, job_.Platform);
    }

    const bool installed =
        MsiApi::MsiQueryProductStateA(job_.ProductCode.c_str()) == kProductInstalled;
    WriteLogHeader(paths);

    TInstallerUiContext context;
    context.State = &ui_;
    context.Cancelled = [this] { return Terminated(); };
    ArmInstallerUi(context);
    if (job_.Operation == InstallerOperation::Uninstall)
        RegisterSourceFolders(job_.ProductCode, paths);

    const UINT result = RunOperation(paths, installed);
    MsiApi::MsiSetExternalUIA(nullptr, 0, nullptr);
    AppendInstallerLog();
    if (result == kRebootInitiated || result == kRebootRequired) {
        outcome_.Restart = true;
    } else if (result != ERROR_SUCCESS) {
        outcome_.Error = true;
        outcome_.ResultText = TrimSystemMessage(SystemErrorText(result));
    }
}

void TMSIThread::Finished()
{
    // An error that escaped the body (an entry point the installer lacks) fails the run.
    if (!Failure().empty()) {
        outcome_.Error = true;
        if (outcome_.ResultText.empty())
            outcome_.ResultText = Failure();
    }
    if (outcome_.Error && outcome_.ResultText.empty())
        outcome_.ResultText = !ui_.LastErrorText.empty() ? ui_.LastErrorText : EngineMessage(19);
    outcome_.ResultText = FinalResultText(outcome_.ResultText);
    if (!handoverFile_.empty())
        DeleteFileA(handoverFile_.c_str());
    Variables().SetVariableValue("ZOVR_thFinished", "TRUE");
}

} // namespace ovd
