// The services a run carries: what the program ties together at its entry (the machine,
// the user interface, the trace, plug-ins, the engine cache, translations, the progress
// display) and the exit-step actions that subsystems register. One object, built in
// main.cpp and handed to the run; tests build their own. OS-free.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

class IRunPlatform;
class IDialogHost;
class IMessageBoxes;
class IProgressDisplay;
struct TScriptRun;

// Receives the runner's trace tags (the start-up trace in the program).
using TraceSink = std::function<void(std::string_view)>;

// A plug-in command handed to its library's RunTimeExecute (in a worker, the runner pumping
// messages meanwhile).
struct TPluginCall {
    std::string Library;    // full path of the library file
    std::string Parameters; // parameter 1 of the line
    std::string Variables;  // the whole store as SaveVariablesToText gives it
};
struct TPluginResult {
    bool Cancelled = false; // the user cancelled while it ran
    std::string Text;       // the store as the plug-in hands it back; empty: nothing
};
using PluginRunnerFn = std::function<TPluginResult(TScriptRun& run, const TPluginCall& call)>;

// Moves the engine cache to `folder` (OVERRIDECACHE with a trailing backslash); true on
// success.
using CacheOverrideFn = std::function<bool(TScriptRun& run, const std::string& folder)>;

// Ending of a run whose program medium was removed (Windows: the program folder is on a
// drive that is not a fixed disk and is gone).
struct TRemovedMediumHandling {
    std::function<bool()> MediumRemoved;
    std::function<void()> FinishEngineCache;
    std::function<void()> RemoveSupportFolder;
    std::function<void(int exitCode)> EndProcess;
};

// Shows PROGRESSTEXT and PROGRESS (range 0-100) in the current dialog at once.
using ProgressRefreshFn = std::function<void(const std::string& text, long long position)>;

// The text of a localisable parameter in the active setup language (line identifier,
// field, text as stored).
using TranslationFn =
    std::function<std::string(const std::string& key, int field, const std::string& text)>;

// Actions of the exit step, run once each in the order registered, whichever way a run
// ends; each gets the ending run (its slots hold the subsystem's state). An action that
// throws does not keep the others from running.
using ExitStepAction = std::function<void(TScriptRun& run)>;
class TExitSteps {
public:
    // Registers `action` under `name`; a second registration of a name replaces the first
    // in its place.
    void Add(std::string name, ExitStepAction action);
    void Run(TScriptRun& run) noexcept;
    std::vector<std::string> Names() const;

private:
    struct Step {
        std::string Name;
        ExitStepAction Action;
    };
    std::vector<Step> steps_;
};

struct TEngineServices {
    IRunPlatform* Platform = nullptr;
    // The user interface: message boxes and the message round, the dialog host (which owns
    // the owner window) and the display of the script's progress.
    IMessageBoxes* Boxes = nullptr;
    IDialogHost* Dialogs = nullptr;
    IProgressDisplay* Progress = nullptr;
    TraceSink Trace;
    // Runs a plug-in command; without one, an existing plug-in library is a run error.
    PluginRunnerFn RunPlugin;
    // Without one, a new OVERRIDECACHE folder is taken as it stands.
    CacheOverrideFn OverrideCache;
    // The post-run step of the engine cache, when the script has run (also before a run
    // whose program medium was removed ends the process).
    std::function<void(TScriptRun& run)> FinishRun;
    TRemovedMediumHandling RemovedMedium;
    // Without one, texts are used as stored.
    TranslationFn Translate;
    // Run preparation: the setup language of this run (empty: the package has none);
    // nothing when the user cancelled the language choice, which ends the setup before the
    // script runs. Without one, the run has no language.
    std::function<std::optional<std::string>()> ChooseLanguage;
    // Before the next line whenever LANGUAGE changed to a language not loaded yet.
    std::function<void(const std::string& language)> LoadLanguage;
    // Without one, progress changes wait for the next line.
    ProgressRefreshFn RefreshProgress;
    // Makes sure the files of the current web media block are in the web media cache
    // folder under `location` (a line's block folder, or "OFFLINE\\"): downloaded and
    // extracted, or copied from offline media (src/media). Throws ScriptError with the text
    // the user is shown. Without one, a web media build fetches nothing.
    std::function<void(TScriptRun& run, const std::string& location)> FetchWebMedia;
    // Where a missing plug-in library of the setup sources is looked for next: the
    // installed product's setup folder (the folder of its uninstall command; empty when
    // there is none), and the folder the user points to (the data folder found there;
    // nothing when cancelled, or in silent mode). Without them neither place is tried.
    std::function<std::string(TScriptRun& run)> InstalledSetupFolder;
    std::function<std::optional<std::string>(TScriptRun& run)> LocateSetupSources;
    TExitSteps ExitSteps;
    // The run in progress (ScriptRunner sets it for the run's length), for the parts of the
    // program that outlive runs and show a run's state: the dialogs' feature view.
    TScriptRun* ActiveRun = nullptr;

    // One object serving all three parts of the user interface (tests, tools).
    template <class UI> void UseUserInterface(UI& ui)
    {
        Boxes = &ui;
        Dialogs = &ui;
        Progress = &ui;
    }

    // The text in the active language (the text itself without a translator).
    std::string Translated(const std::string& key, int field, const std::string& text) const
    {
        return Translate ? Translate(key, field, text) : text;
    }
};

} // namespace ovd
