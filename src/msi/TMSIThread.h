// The installer thread: writes the recorded properties into the product database, adapts
// it to the platform, writes the property hand-over file, builds the property command
// line and runs one installer operation with the installer's own interface off.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

#include "EngineServices.h"
#include "InstallerMessageHandler.h"
#include "InstallerSession.h"
#include "PropertyCommandLine.h"
#include "PropertyTable.h"
#include "ScriptRun.h"
#include "TWorkerThread.h"

namespace ovd {

// InstallerJob: one run, filled by the script runner before the thread starts.
struct TInstallerJob {
    InstallerOperation Operation = InstallerOperation::Install;
    std::string PackagePath;
    std::string ProductCode;
    std::vector<std::string> Properties; // alternating names and values
    std::string ExecutedLines;           // comma text
    std::string InstallLocation;
    std::string DataDir;
    std::string Platform = "Win32";
    bool CacheAdvertised = false;
    TPendingProperties Pending; // written into the Property table (not for a patch)
    std::vector<std::string> DatabaseStatements; // run on the database before that
    std::vector<TProgIdMove> ProgIdMoves;        // then these rows moved, one commit
    // The run's installer session (new-instance codes); it outlives the thread.
    TInstallerSession* Session = nullptr;
    TraceSink Trace; // the log's run header
};

// What the thread leaves for the script runner.
struct TInstallerOutcome {
    bool Error = false;
    bool Restart = false;
    std::string ResultText;
};

// Marks the time spent in one database call for the launcher's stall watch.
class TDatabaseBusy {
public:
    explicit TDatabaseBusy(std::atomic<DWORD>& since) : since_(since)
    {
        since_ = GetTickCount() | 1;
    }
    ~TDatabaseBusy() { since_ = 0; }
    TDatabaseBusy(const TDatabaseBusy&) = delete;
    TDatabaseBusy& operator=(const TDatabaseBusy&) = delete;

private:
    std::atomic<DWORD>& since_;
};

class TMSIThread final : public TWorkerThread {
public:
    static inline bool WorkerFinishedFlag = false;

    TMSIThread(TInstallerJob job, TInstallerUiState& ui)
        : TWorkerThread(WorkerFinishedFlag), job_(std::move(job)), ui_(ui)
    {
    }

    const TInstallerOutcome& Outcome() const { return outcome_; }
    // The tick at which the thread began preparing the database (writing its properties,
    // adapting it to the platform); 0 when it is not doing so.
    DWORD DatabaseBusySince() const { return databaseSince_; }
    const std::string& PackagePath() const { return job_.PackagePath; }
    const std::string& HandoverFile() const { return handoverFile_; }

private:
    void Execute() override;
    void Finished() override;
    TInstallerPaths DerivePaths();
    // The property file the database's actions read; why it could not be written, or empty.
    std::string WriteHandoverFile(const TInstallerPaths& paths,
                                  const std::vector<std::string>& variables);
    void WriteLogHeader(const TInstallerPaths& paths);
    void AppendInstallerLog();
    UINT RunOperation(const TInstallerPaths& paths, bool installed);

    TInstallerJob job_;
    TInstallerUiState& ui_;
    TInstallerOutcome outcome_;
    std::string handoverFile_;
    std::string installerLog_; // the installer's own log until it joins the engine's
    std::atomic<DWORD> databaseSince_{0};
};

} // namespace ovd
