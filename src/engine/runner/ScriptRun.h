// One run of the script: its inputs, the execution loop's state and the per-run state that
// subsystems keep in slots of their own (an open text file, the names persisted for
// maintenance runs, the installer session, ...). Everything a run changes besides the
// variable store lives here and ends with the run. OS-free.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CompiledScript.h"
#include "EngineServices.h"
#include "LineDispatch.h"
#include "LineParameters.h"
#include "Mathematics.h"
#include "ScriptValidation.h"

namespace ovd {

// Called before every executed line with its 1-based number; false ends the run.
using LineCallback = std::function<bool(long lineNumber)>;

// Installer properties recorded for "Apply Changes": parallel names and values, values
// stored with CR LF as "$NEWLINE$". Duplicates stay; the later entry wins when written.
struct TPendingProperties {
    std::vector<std::string> Names;
    std::vector<std::string> Values;
    void Clear()
    {
        Names.clear();
        Values.clear();
    }
};

// Block state of the execution loop; reset before the first line and by "GoTo Label".
struct TControlFlowState {
    long LineCounter = 0;
    // Loop rounds since the last round of message processing: a loop whose lines hold no
    // multiple of the interval must keep the user interface alive all the same.
    long RoundsSinceMessages = 0;
    bool SkipToBranch = false;
    bool SkipToEnd = false;
    bool EndRecheck = false;
    long OpenIfCount = 0;
    long ScanDepth = 0;
    bool ElseIfReached = false; // the next "Else If" was reached by a skip: evaluate it
    bool WizardNavigating = false;
    int WizardStep = 0;
    bool WizardJumped = false;
    std::vector<long> WizardDialogLines;
    long WizardPosition = 0;
};

// State a subsystem keeps for one run: one default-constructed object per type, made on
// first use and freed with the run (or when run preparation starts a new one). The runner
// knows none of the types; each subsystem names its own. Main thread.
class TRunSlots {
public:
    template <class T> T& Get()
    {
        for (const Slot& slot : slots_)
            if (slot.Key == &KeyOf<T>)
                return *static_cast<T*>(slot.Object.get());
        std::shared_ptr<T> object = std::make_shared<T>();
        T& result = *object;
        slots_.push_back({&KeyOf<T>, std::move(object)});
        return result;
    }
    void Clear() { slots_.clear(); }

private:
    // One address per type: the key of its slot.
    template <class T> static inline char KeyOf = 0;
    struct Slot {
        const void* Key;
        std::shared_ptr<void> Object;
    };
    std::vector<Slot> slots_;
};

// What the runner's last refresh of the run settings saw (the variables it reads and sets
// before every line). While none of those variables was written since, and the run's own
// inputs are the same, refreshing again would change nothing but the clock.
struct TRunSettingsMemo {
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};
    std::uint64_t AtRefresh = kNever; // the store's watched writes when the refresh read
    std::uint64_t AtAbort = kNever;   // ... when ABORT was set from the cancel state
    std::string EngineCache, UninstallLink, Language, CacheOverride;
    std::string Date, Time; // DATE and TIME as last written
};

// Everything one run keeps besides the variable store; handed to the execution loop.
struct TScriptRun {
    explicit TScriptRun(TEngineServices& services) : Services(services) {}
    TScriptRun(const TScriptRun&) = delete;
    TScriptRun& operator=(const TScriptRun&) = delete;

    // Inputs.
    TEngineServices& Services;
    TCompiledScript* Script = nullptr;
    std::string DatabasePath; // MSIFILE
    LineCallback OnLine;

    // Run state.
    std::vector<std::string> WebMediaBlockNames;
    std::string WebMediaArchive;
    std::string OfflineFolder;
    // The current source folder, once a plug-in library of a block had to be looked for
    // beyond the block's home (with a trailing backslash); empty until then.
    std::string SourceFolder;
    std::string LastProgressText;
    long long LastProgressValue = 0;
    bool ProgressChanged = true;
    std::string LastCacheOverride;
    std::string SingleInstanceMarker; // empty when no marker was created
    std::string RegistryView = "Win32";
    std::string ProgramFolder;
    std::string RememberedLanguage;
    bool NoCache = false;
    std::uint64_t InstalledSizeBaseline = 0;

    TLabelTable Labels;
    TLineParameters Parameters; // each line's parameters, found once per script
    TLineDispatch Dispatch;     // each line's command, looked up once per script
    TRunSettingsMemo SettingsMemo;
    TControlFlowState Flow;
    TRandomState Random;       // "Mathematics" generator, never reset within a run
    bool EndRequested = false; // a handler ended the run normally
    long CurrentLine = -1;     // 0-based index of the line being executed (error reports)
    std::string EngineCache;   // ENGINECACHE / UNINSTALLLINK as set again before every line
    std::string UninstallLink;
    TPendingProperties PendingProperties;
    // Alternating names and values handed to the installer thread by "Apply Changes".
    std::vector<std::string> HandOverProperties;
    // Commands without a handler that the trace has named already (once per name).
    std::set<std::string> UnknownCommandsTraced;
    // The subsystems' own per-run state.
    TRunSlots Slots;

    void TraceTag(std::string_view tag) const
    {
        if (Services.Trace)
            Services.Trace(tag);
    }
};

// Records name := value into the pending properties and the hand-over list.
void RecordPendingProperty(TScriptRun& run, const std::string& name, const std::string& value);

// The trace line "    <Error>text</Error>" (line breaks as blanks): every error a run
// shows, or would show were it not silent, is in the log.
void TraceError(const TScriptRun& run, const std::string& text);

// An error box owned by the current dialog, with progress attention around it (plug-in
// failures and commands that report their own errors); traced first, and not shown in
// silent mode.
void ShowOwnedError(TScriptRun& run, const std::string& text);
// After a wait the user cancelled: "Setup cancelled" (unless ABORTEDONERROR already holds);
// true when ABORTONERROR holds and the run must end.
bool CancelEndsRun(TScriptRun& run);
// Removes the single-instance marker when this run created one.
void RemoveSingleInstanceMarker(TScriptRun& run);
// The exit step shared by every way a run ends: removes the single-instance marker, then
// runs the exit-step actions the subsystems registered.
void RunExitStep(TScriptRun& run);

} // namespace ovd
