// "Apply Changes", "Apply Patch", "Set 64 Bit Mode" and "Transform Instance": the launch
// of TMSIThread on the main thread, the wait that keeps the user interface alive, and the
// outcome in the script's variables.
#include "InstallerCommands.h"

#include "CommaText.h"
#include "CommandTable.h"
#include "FileUtil.h"
#include "InstallerResult.h"
#include "InstallerSession.h"
#include "MsiDatabase.h"
#include "ProgressDisplay.h"
#include "RecordingCommands.h"
#include "RunnerUIWin32.h"
#include "ScriptText.h"
#include "SystemVersion.h"
#include "TMSIThread.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "uGlobals.h"

namespace ovd {
namespace {

// The database's folder + its name + ".msp".
std::string PatchPackage(const std::string& database)
{
    const std::size_t slash = database.find_last_of("\\/");
    const std::size_t dot = database.rfind('.');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? database.substr(0, dot) : database) + ".msp";
}

// The current directory, restored on every way out.
class TCurrentDirectory {
public:
    explicit TCurrentDirectory(const std::string& folder)
    {
        char buffer[MAX_PATH * 2] = {};
        if (GetCurrentDirectoryA(sizeof buffer, buffer) != 0)
            previous_ = buffer;
        if (!folder.empty())
            SetCurrentDirectoryA(folder.c_str());
    }
    ~TCurrentDirectory()
    {
        if (!previous_.empty())
            SetCurrentDirectoryA(previous_.c_str());
    }
    TCurrentDirectory(const TCurrentDirectory&) = delete;
    TCurrentDirectory& operator=(const TCurrentDirectory&) = delete;

private:
    std::string previous_;
};

struct TLaunchResult {
    int Code = -1; // 1 complete, 2 restart, 0 cancelled, -1 failed
    std::string Text;
};

// Runs the job in TMSIThread while the main thread keeps the user interface alive.
TLaunchResult LaunchInstaller(TScriptRun& run, TInstallerJob job)
{
    const TCurrentDirectory directory(Process().SupportDir);
    TInstallerUiState& ui = InstallerSession().Ui;
    ui.Parent = CurrentDialogWindow();
    TVariableManager& store = Variables();
    store.SetVariableValue("ZOVR_thFinished", "FALSE");
    store.SetVariableValue("ZOVR_thCancelled", "FALSE");
    ReportWorkerProgress("", 0, 0, -1);
    InstallerSession().Running = true;

    TMSIThread worker(std::move(job), ui);
    TWorkerWait wait;
    wait.UseWatchdog = false;
    bool cancelled = false;
    try {
        cancelled = AwaitWorker(run, worker, wait);
    } catch (...) {
        InstallerSession().Running = false;
        throw;
    }
    InstallerSession().Running = false;
    cancelled = cancelled || GetVariable("ZOVR_thCancelled") == "TRUE";
    const TInstallerOutcome& outcome = worker.Outcome();
    return {LaunchResult(cancelled, outcome.Error, outcome.Restart), outcome.ResultText};
}

void StoreOutcome(TCommandContext& c, const std::string& resultVariable, const TLaunchResult& r)
{
    if (!resultVariable.empty()) {
        c.CreateFirst(resultVariable);
        c.Assign(resultVariable, ResultWord(r.Code));
    }
    if (r.Code == 2)
        c.Assign("REBOOTCOMPUTER", "TRUE");
    if (!r.Text.empty())
        c.Assign("LASTERROR", r.Text);
}

TInstallerJob CommonJob(TScriptRun& run)
{
    // The folder of the setup's media; the media prompt and the web media step of a
    // maintenance run choose another one here.
    TInstallerJob job;
    const TInstallerSession& session = InstallerSession();
    job.ProductCode = session.NewInstance ? session.NewProductCode : run.Script->ProductCode;
    job.DataDir = Process().SupportDir + "data\\";
    job.Platform = session.Platform;
    job.Trace = run.Services.Trace;
    RecordPendingProperty(run, "MSINTEMP", GetVariable("TEMPDIR"));
    job.Properties = run.HandOverProperties;
    job.ExecutedLines = ToCommaText(session.ExecutedLines);
    return job;
}

void ApplyChangesCommand(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(2);
    TInstallerJob job = CommonJob(run);
    if (IsTrue(c.Expanded(3)))
        job.Operation = InstallerOperation::Install;
    else if (IsTrue(c.Expanded(4)))
        job.Operation = InstallerOperation::Uninstall;
    else
        job.Operation = InstallerOperation::Advertise;
    job.PackagePath = run.DatabasePath;
    job.InstallLocation = CollapseBackslashPairs(ExpandVariables(GetVariable("TARGETDIR")));
    job.Pending = std::move(run.PendingProperties);
    run.PendingProperties.Clear();
    const TLaunchResult result = LaunchInstaller(run, std::move(job));
    StoreOutcome(c, resultVariable, result);
    // After a completed run the engine cache follows the product: created or refreshed on
    // install and advertise, removed with its uninstall entry on removal.
}

void ApplyPatchCommand(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    const std::string resultVariable = c.OutputName(1);
    TInstallerJob job = CommonJob(run);
    job.Operation = InstallerOperation::Patch;
    job.PackagePath = PatchPackage(run.DatabasePath);
    StoreOutcome(c, resultVariable, LaunchInstaller(run, std::move(job)));
}

void SetSixtyFourBitMode(TCommandContext& c)
{
    TInstallerSession& session = InstallerSession();
    const char* const platforms[] = {"Win32", "ia64", "x64"};
    for (long n = 1; n <= 3; ++n) {
        if (c.Expanded(n) == "TRUE")
            session.Platform = platforms[n - 1];
    }
    c.Run().RegistryView = session.Platform == "Win32" ? "Win32" : "Win64";
}

void TransformInstance(TCommandContext& c)
{
    TScriptRun& run = c.Run();
    if (!IsTrue(GetVariable("NEWINSTANCE")) || FileExists(PatchPackage(run.DatabasePath)))
        return;
    TInstallerSession& session = InstallerSession();
    session.NewProductCode = FreshGuid();
    session.NewRevisionCode = FreshGuid();
    session.NewInstance = true;
    session.ComponentCodesRenewed = false;
    // The instance data of the engine cache takes the new codes here.
}

} // namespace

void RegisterInstallerCommands(TEngineServices&)
{
    RegisterRecordingCommands([] { return GetSystemVersion().IsSevenOrLater(); });
    RegisterCommand("Apply Changes", ApplyChangesCommand);
    RegisterCommand("Apply Patch", ApplyPatchCommand);
    RegisterCommand("Set 64 Bit Mode", SetSixtyFourBitMode);
    RegisterCommand("Transform Instance", TransformInstance);
}

} // namespace ovd
