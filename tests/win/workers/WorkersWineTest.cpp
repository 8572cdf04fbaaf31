// Workers under Wine: the finish protocol of the worker base, plug-in commands run by the
// real runner with a plain window standing in for the progress dialog (its timer polls
// the progress and plays the user who cancels), the watchdog, silent waits, and the
// taskbar attention around a message box.
#include "CommandTable.h"
#include "ExecutionLoop.h"
#include "MessageBoxes.h"
#include "ProgressDisplay.h"
#include "RecordingRunnerUI.h"
#include "RunPlatform.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "TRunApp.h"
#include "TScriptThread.h"
#include "TaskbarProgress.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WorkerProgress.h"
#include "Wow64Redirection.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using ovdtest_engine::FillScript;
using ovdtest_engine::Line;

std::string PluginDir()
{
    return ovdtest::BuildDir() + "\\tests\\e2e\\plugins\\plugins\\";
}

void ResetVariables()
{
    ovd::Variables().ClearVariables();
    for (const char* name : {"ABORTEDONERROR", "ZOVR_IsCancelled", "SILENT"})
        ovd::DefineVariable(name, "FALSE", "Initialization");
    ovd::DefineVariable("ABORTONERROR", "TRUE", "Initialization");
    ovd::DefineVariable("PROGRESS", "0", "Initialization");
    ovd::Process().ExitCode = 0;
}

// A plain window in place of the progress dialog. Its timer does what the dialog's timer
// does while a worker runs, and presses "Cancel" once the worker has reported `cancelAt`.
class TStandInDialog {
public:
    TStandInDialog(ovd::TRecordingRunnerUI& ui, long long cancelAt) : ui_(ui), cancelAt_(cancelAt)
    {
        window_ = CreateWindowExA(0, "STATIC", "Progress", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                  100, 300, 120, nullptr, nullptr, nullptr, nullptr);
        current_ = this;
        ui_.Owner = window_;
        SetTimer(window_, 1, 100, Tick);
    }
    ~TStandInDialog()
    {
        KillTimer(window_, 1);
        ui_.Owner = nullptr;
        DestroyWindow(window_);
        current_ = nullptr;
    }
    DWORD cancelTick = 0;
    bool published = false; // "ZOVR_thCancelled" became "TRUE" after the cancel

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) noexcept
    {
        TStandInDialog* self = current_;
        if (self == nullptr || !ovd::ProgressPollingActive())
            return;
        ovd::RefreshProgressDisplay(self->ui_, ovd::kStoredProgressText, true, 0, 0, 0);
        if (self->cancelTick != 0 && ovd::GetVariable("ZOVR_thCancelled") == "TRUE")
            self->published = true;
        const ovd::TProgressState progress = ovd::StoredProgress();
        if (self->cancelTick == 0 && self->cancelAt_ >= 0 && !progress.Text.empty() &&
            progress.Position >= self->cancelAt_) {
            ovd::Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
            self->cancelTick = GetTickCount();
        }
    }

    static inline TStandInDialog* current_ = nullptr;
    ovd::TRecordingRunnerUI& ui_;
    long long cancelAt_;
    HWND window_;
};

struct CancelCase {
    const char* name;
    const char* library;
    const char* parameters;
    const char* abortOnError;
    bool silent;
    long long cancelAt;  // -1: cancelled before the line (silent), never by the window
    long exitCode;       // 5: the script saw ABORT "TRUE" after the line
    bool box;            // "Setup cancelled" shown
    const char* stopped; // PLUGIN_STOPPED afterwards ("": the store never got its text)
    bool killed;         // ended by its watchdog
};

TEST(PluginWorker, CancelReachesThePlugInAndTheScript)
{
    const CancelCase cases[] = {
        {"stops when asked", "progress.dll", "100", "FALSE", false, 20, 5, true, "TRUE", false},
        {"stuck: ended by its watchdog", "stuck.dll", "", "FALSE", false, 10, 5, true, "", true},
        {"ABORTONERROR ends the run", "progress.dll", "100", "TRUE", false, 20, 0, true, "", false},
        {"silent: the wait blocks, cancel still counts", "progress.dll", "0", "FALSE", true, -1, 5,
         false, "FALSE", false},
    };
    for (const CancelCase& c : cases) {
        SCOPED_TRACE(c.name);
        ResetVariables();
        ovd::SetVariable("ABORTONERROR", c.abortOnError, "test");
        ovd::SetVariable("SILENT", c.silent ? "TRUE" : "FALSE", "test");
        if (c.cancelAt < 0)
            ovd::SetVariable("ZOVR_IsCancelled", "TRUE", "test");
        ovd::TCompiledScript script;
        FillScript(script, {Line{"Plug", {c.parameters, c.library}},
                            Line{"If", {"ABORT", "0", "TRUE", "FALSE"}},
                            Line{"Terminate with Exit Code", {"5"}}, Line{"End", {}},
                            Line{"Terminate with Exit Code", {"1"}}});
        script.PluginCommandNames.Add("Plug");
        ovd::Process().SupportDir = PluginDir();

        ovd::TRecordingRunnerUI dialogs;
        dialogs.DialogVisible = !c.silent;
        ovd::TScriptProgressDisplay progress;
        ovd::TEngineServices services;
        services.Platform = &ovd::Win32RunPlatform();
        services.UseUserInterface(dialogs);
        services.Progress = &progress;
        services.RunPlugin = ovd::RunPluginInWorker;
        ovd::TScriptRun run(services);
        run.Script = &script;
        run.Labels.Build(script.CommandNames, script.CommandIds, script.ParameterLists);
        ovd::ClearCommands();
        ovd::RegisterRunnerCommands();

        TStandInDialog window(dialogs, c.silent ? -1 : c.cancelAt);
        ovd::RunExecutionLoop(run);
        const DWORD ended = GetTickCount();

        EXPECT_EQ(ovd::Process().ExitCode, c.exitCode);
        EXPECT_EQ(ovd::GetVariable("PLUGIN_STOPPED"), c.stopped);
        EXPECT_EQ(dialogs.Messages.size(), c.box ? 1u : 0u);
        if (c.box && !dialogs.Messages.empty()) {
            EXPECT_EQ(dialogs.Messages[0].Text, "Setup cancelled");
        }
        if (std::string(c.abortOnError) == "FALSE") {
            EXPECT_EQ(ovd::GetVariable("ABORTEDONERROR"), "TRUE");
        }
        if (!c.silent) {
            ASSERT_NE(window.cancelTick, 0u);
            // The window saw the plug-in's reports and published the cancel.
            bool sawStep = false;
            for (const std::string& e : dialogs.Events)
                sawStep = sawStep || e.rfind("dialog progress St", 0) == 0;
            EXPECT_TRUE(sawStep);
            EXPECT_TRUE(window.published);
        }
        if (c.killed) {
            // No report for a whole interval: killed 5 to 10 seconds after the cancel.
            const DWORD afterCancel = ended - window.cancelTick;
            EXPECT_GE(afterCancel, 4900u);
            EXPECT_LE(afterCancel, 11000u);
        }
        EXPECT_FALSE(ovd::ProgressPollingActive());
    }
    ovd::Process().SilentMode = false;
}

// A worker whose body does what the test asks.
class TTestWorker final : public ovd::TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;
    // StopsWhenAsked: returns when asked to stop, or after a second.
    enum class Body { Returns, Throws, ExitsThread, Hangs, StopsWhenAsked };
    explicit TTestWorker(Body body) : TWorkerThread(WorkerFinishedFlag), body_(body) {}
    DWORD finishedOn = 0;

private:
    void Execute() override
    {
        if (body_ == Body::Throws)
            throw std::runtime_error("body failed");
        if (body_ == Body::ExitsThread)
            ExitThread(3);
        while (body_ == Body::Hangs) // deaf to the terminate request
            Sleep(50);
        for (int i = 0; body_ == Body::StopsWhenAsked && !Terminated() && i < 100; ++i)
            Sleep(10);
    }
    void Finished() override { finishedOn = GetCurrentThreadId(); }
    Body body_;
};

TEST(WorkerBase, EveryBodyEndsTheWait)
{
    struct Case {
        const char* name;
        TTestWorker::Body body;
        const char* failure;
        bool finishedRuns;
        bool silent;
    };
    const Case cases[] = {
        {"returns", TTestWorker::Body::Returns, "", true, false},
        {"throws", TTestWorker::Body::Throws, "body failed", true, false},
        {"throws, silent", TTestWorker::Body::Throws, "body failed", true, true},
        {"ends its thread itself", TTestWorker::Body::ExitsThread, "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetVariables();
        ovd::Process().SilentMode = c.silent;
        ovd::TEngineServices services;
        ovd::TScriptRun run(services);
        run.RegistryView = "Win64"; // redirection off around the body (where there is any)
        TTestWorker worker(c.body);
        EXPECT_FALSE(ovd::AwaitWorker(run, worker, {}));
        EXPECT_TRUE(TTestWorker::WorkerFinishedFlag);
        EXPECT_EQ(worker.Failure(), c.failure);
        EXPECT_EQ(worker.finishedOn, c.finishedRuns ? GetCurrentThreadId() : 0u);
    }
    ovd::Process().SilentMode = false;
}

ovd::TTickStart* g_tickStart = nullptr;

void CALLBACK StartOnTick(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_tickStart != nullptr)
        g_tickStart->Start();
}

// Wakes the wait now and then, as the dialog's messages do while a worker runs.
void CALLBACK WakeOnly(HWND, UINT, UINT_PTR, DWORD) noexcept {}

// The wait's options: a wait the user's cancel does not cut short, and a worker started
// by a tick (the armed installer dialog's Timer1) or, when no tick comes, by the wait
// itself after its limit; either way it starts once.
TEST(WorkerBase, WaitOptions)
{
    struct Case {
        const char* name;
        bool cancelledBefore;
        bool cancellable;
        bool byTick;
        UINT tickMs;           // 0: no tick comes
        bool expectCancelled;  // what the wait reports
        bool expectTerminated; // the worker was asked to stop (it runs a second otherwise)
        DWORD minElapsedMs;    // the fallback waited for its limit
    };
    const Case cases[] = {
        {"cancellable, cancelled", true, true, false, 0, true, true, 0},
        {"not cancellable, cancelled", true, false, false, 0, false, false, 0},
        {"started by a tick", false, true, true, 100, false, false, 0},
        {"no tick: the wait starts it", false, true, true, 0, false, false, 500},
        {"by a tick, not cancellable", true, false, true, 100, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ResetVariables();
        if (c.cancelledBefore)
            ovd::SetVariable("ZOVR_IsCancelled", "TRUE", "test");
        ovd::TEngineServices services;
        ovd::TScriptRun run(services);
        TTestWorker worker(TTestWorker::Body::StopsWhenAsked);
        int starts = 0;
        ovd::TTickStart start(worker, false, [&starts] { ++starts; });
        start.LimitMs = c.tickMs == 0 ? 500 : 60000;
        ovd::TWorkerWait wait;
        wait.Cancellable = c.cancellable;
        if (c.byTick)
            wait.StartedByTick = &start;
        g_tickStart = &start;
        const UINT_PTR timer = c.tickMs == 0 ? 0 : SetTimer(nullptr, 0, c.tickMs, StartOnTick);
        const UINT_PTR wake = SetTimer(nullptr, 0, 50, WakeOnly);
        const DWORD began = GetTickCount();
        const bool cancelled = ovd::AwaitWorker(run, worker, wait);
        const DWORD elapsed = GetTickCount() - began;
        if (timer != 0)
            KillTimer(nullptr, timer);
        KillTimer(nullptr, wake);
        g_tickStart = nullptr;
        EXPECT_EQ(cancelled, c.expectCancelled);
        EXPECT_TRUE(TTestWorker::WorkerFinishedFlag);
        EXPECT_EQ(worker.finishedOn, GetCurrentThreadId());
        EXPECT_EQ(worker.Terminated(), c.expectTerminated);
        EXPECT_GE(elapsed, c.minElapsedMs);
        if (c.byTick) {
            EXPECT_TRUE(start.Started());
            start.Start(); // a tick after the start starts nothing
            EXPECT_EQ(starts, 1);
        }
    }
}

DWORD g_cancelledAt = 0;

// The user's cancel, once the wait has reported the script's progress.
void CALLBACK CancelOnceTheProgramRuns(HWND, UINT, UINT_PTR, DWORD) noexcept
{
    if (g_cancelledAt == 0 && ovd::GetVariable("ZOVR_thProgress") == "30") {
        ovd::Variables().SetVariableValue("ZOVR_IsCancelled", "TRUE");
        g_cancelledAt = GetTickCount();
    }
}

// A program-running worker's wait: the script's progress reported on every step; after
// a cancel the command's cancel action runs and the kill-at-first-tick watchdog ends the
// worker 5 seconds later; the cancelled ending follows.
TEST(WorkerBase, KillAtFirstTickEndsADeafWorker)
{
    ResetVariables();
    ovd::DefineVariable("ABORTONERROR", "FALSE", "Initialization");
    ovd::DefineVariable("PROGRESSTEXT", "Running the program", "Initialization");
    ovd::DefineVariable("PROGRESS", "30", "Initialization");
    ovd::TRecordingRunnerUI dialogs;
    ovd::TEngineServices services;
    services.UseUserInterface(dialogs);
    ovd::TScriptRun run(services);
    TTestWorker worker(TTestWorker::Body::Hangs);
    int cancelActions = 0;
    ovd::TWorkerWait wait;
    wait.Watchdog = ovd::WatchdogTimer::traTimer;
    wait.CancelNote = "Cancel at Run-Program Time";
    wait.ReportScriptProgress = true;
    wait.OnCancel = [&] { ++cancelActions; };
    g_cancelledAt = 0;
    const UINT_PTR timer = SetTimer(nullptr, 0, 200, CancelOnceTheProgramRuns);
    EXPECT_TRUE(ovd::WaitForWorker(run, worker, wait));
    const DWORD afterCancel = GetTickCount() - g_cancelledAt;
    KillTimer(nullptr, timer);
    EXPECT_EQ(ovd::GetVariable("ZOVR_thProgressText"), "Running the program");
    EXPECT_GE(cancelActions, 1);
    EXPECT_GE(afterCancel, 4900u);
    EXPECT_LE(afterCancel, 7000u);
    EXPECT_EQ(WaitForSingleObject(worker.Handle(), 0), WAIT_OBJECT_0);
    ASSERT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(dialogs.Messages[0].Text, "Setup cancelled");
    EXPECT_EQ(ovd::GetVariable("ABORTEDONERROR"), "TRUE");
    EXPECT_FALSE(run.EndRequested);
}

// In 64-bit mode redirection is off only around file-system calls: a plug-in (its library
// loaded, its call reporting progress) and a program started through the shell and waited
// for, each in a worker the main thread waits for, run no message pump and no library load
// inside a redirection guard. Under Wine's 64-bit engine the guards switch nothing, but
// they are counted all the same.
TEST(WorkerBase, RedirectionGuardsHoldNoPumpAndNoLibraryLoad)
{
    ResetVariables();
    ovd::TEngineServices services;
    ovd::TScriptRun run(services);
    run.RegistryView = "Win64";
    const long before = ovd::RedirectionGuardViolations();

    ovd::TPluginCall call;
    call.Library = PluginDir() + "progress.dll";
    call.Parameters = "0";
    call.Variables = ovd::SaveVariablesToText();
    const ovd::TPluginResult plugin = ovd::RunPluginInWorker(run, call);
    EXPECT_FALSE(plugin.Cancelled);
    EXPECT_NE(plugin.Text.find("PLUGIN_STEPS"), std::string::npos);

    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    ovd::TRunApp::TRequest request;
    request.Program = std::string(system) + "\\cmd.exe";
    request.Arguments = "/c exit 7";
    request.Hidden = true;
    request.Wait = true;
    ovd::TRunApp program(std::move(request));
    EXPECT_FALSE(ovd::AwaitWorker(run, program, {}));
    EXPECT_EQ(program.ExitCode(), 7);

    EXPECT_EQ(ovd::RedirectionGuardViolations(), before);
    EXPECT_EQ(ovd::RedirectionGuardDepth(), 0);
}

TEST(ProgressAttention, BracketsTheEngineBoxes)
{
    if (!ovd::TaskbarProgress().Available())
        GTEST_SKIP() << "no taskbar-list interface";
    ResetVariables();
    ovd::DefineVariable("PROGRESSMODE", "MARQUEE", "Initialization");
    ovd::SetProgressAttention(nullptr, true, false);
    EXPECT_EQ(ovd::GetVariable("PROGRESSMODE"), "PAUSE");
    ovd::SetProgressAttention(nullptr, true, true); // nested: the first mode stays remembered
    EXPECT_EQ(ovd::GetVariable("PROGRESSMODE"), "ERROR");
    ovd::SetProgressAttention(nullptr, false, false);
    EXPECT_EQ(ovd::GetVariable("PROGRESSMODE"), "MARQUEE");

    // A real box of the runner: the error state while it is open.
    ovd::TRecordingRunnerUI dialogs;
    ovd::TMessageBoxes boxes(dialogs);
    ovd::TEngineServices services;
    services.UseUserInterface(dialogs);
    services.Boxes = &boxes;
    ovd::TScriptRun run(services);
    std::string modeWhileOpen;
    std::thread closer([&] {
        HWND box = ovdtest::WaitForProcessWindow(GetCurrentProcessId(), "#32770", 20000, true);
        modeWhileOpen = ovd::GetVariable("PROGRESSMODE");
        if (box != nullptr)
            PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    ovd::ShowOwnedError(run, "Attention");
    closer.join();
    EXPECT_EQ(modeWhileOpen, "ERROR");
    EXPECT_EQ(ovd::GetVariable("PROGRESSMODE"), "MARQUEE");
}

} // namespace
