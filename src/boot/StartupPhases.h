// The start-up phases of the engine, one function each, in the order Startup.cpp runs
// them. Phases from CheckStubSize on throw StartupFailure to stop the engine and any
// std::exception for an unexpected error.
#pragma once

#include "StartupForms.h"

#include <cstdint>
#include <string>

namespace ovd {

class IDialogHost;
struct TEngineServices;

// Before the trace starts.
void SetCompatibilityMarks() noexcept;
void SetProcessorAffinity() noexcept;
void ComputeFolders();
void LoadMessageLanguage() noexcept;
void ComputeSetupArchive();
void ReadCommandLine();

// Inside the error guard.
std::uint64_t CheckStubSize();             // failure 13
void CopyStubData(std::uint64_t stubSize); // TempDir + "ovd.tmp"
void LoadGlobalLists();                    // reads and deletes "ovd.tmp"
void CreateSupportDir();
void ExtractSetupArchivePhase(); // failures 14 and 15
void CheckSetupDatabase();       // failure 16
void CopySetupDatabase();
void LoadDialogs(StartupForms& forms, IDialogHost& dialogs);
void RunScriptPhase(TEngineServices& services);
void FreeGlobalLists() noexcept;

// After the guard.
void RemoveCachedSupportDir() noexcept;

// The support directory for TempDir: TempDir + "ovd" + n + "\" for the first n whose
// folder does not exist and can be created by this process (so engines started together
// never share one).
std::string CreateFirstFreeSupportDir(const std::string& tempDir);

} // namespace ovd
