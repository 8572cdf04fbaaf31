// Process-wide facts of one engine run: folders, command-line results, exit code.
// Filled by the start-up phases on the main thread before the script runs; read by the
// rest of the engine. Kept free of Windows headers.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace ovd {

struct ProcessFacts {
    std::string ExeDir;        // folder of the running setup program, trailing backslash
    std::string ExeBaseName;   // its file name without extension
    std::string TempDir;       // user's temporary folder, trailing backslash
    std::string SupportDir;    // TempDir + "ovdN\", empty until created
    std::string SetupArchive;  // ExeDir + ExeBaseName + ".res"
    std::string DataFolder;    // ExeDir + "data\"

    bool SilentMode = false;         // switch "s" or "qn"
    bool UpdateSwitch = false;       // switch "update"
    bool UpdateSetupSwitch = false;  // switch "updatesetup"
    std::string CommandLineTail;     // raw command line without the program name
    std::string LogFile;             // "/l=" / "-l=", lower-cased; empty: no trace
    std::string GpoPath;             // "/g=", lower-cased
    std::string SfxPath;             // "/m=", lower-cased
    std::string PackageFolder;       // "/p=" / "-p=", lower-cased
    // Alternating NAME (upper case), value; one pair per NAME=value argument.
    std::vector<std::string> CommandLineProperties;

    int ExitCode = 0;
};

inline ProcessFacts& Process()
{
    static ProcessFacts facts;
    return facts;
}

// The log file changes while the script runs (LOGGED is read back before every line) and
// worker threads trace meanwhile: once the run has started, it is read and written only
// through these two, under one lock.
inline std::mutex& LogFileLock()
{
    static std::mutex lock;
    return lock;
}
inline std::string CurrentLogFile()
{
    std::lock_guard<std::mutex> guard(LogFileLock());
    return Process().LogFile;
}
inline void SetCurrentLogFile(std::string path)
{
    std::lock_guard<std::mutex> guard(LogFileLock());
    Process().LogFile = std::move(path);
}

// Tests start from a clean slate.
inline void ResetProcess() { Process() = ProcessFacts{}; }

}  // namespace ovd
