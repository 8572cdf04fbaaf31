// What run preparation, the bootstrap and the predefined variables need from the machine.
// The Win32 implementation is the real one (RunPlatformWin32.cpp); native tests use a
// recording one, so that the order of the preparation steps is tested without Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ovd {

// What claiming the single-instance marker found.
enum class MarkerClaim {
    Claimed,          // the marker is this run's, held open until released
    HeldByAnotherRun, // a living run holds it (or it cannot be removed): run nothing
    Unavailable,      // it cannot be created (the temporary folder refuses): run without it
};

class IRunPlatform {
public:
    virtual ~IRunPlatform() = default;

    // Files.
    virtual bool FileExists(const std::string& path) = 0;
    virtual bool DirectoryExists(const std::string& path) = 0;
    // Creates the single-instance marker, an empty file, and keeps it open without delete
    // sharing until ReleaseInstanceMarker, so that a run that dies cannot leave a marker
    // that looks alive. A marker found there is taken over when it can be deleted: its
    // owner is gone.
    virtual MarkerClaim ClaimInstanceMarker(const std::string& path) = 0;
    virtual void ReleaseInstanceMarker(const std::string& path) = 0;
    virtual std::optional<std::string> ReadTextFile(const std::string& path) = 0;
    // The names of the files (not folders) in `folder` that match `pattern` ("*.dat"), in
    // the order the file system lists them.
    virtual std::vector<std::string> ListFiles(const std::string& folder,
                                               const std::string& pattern) = 0;

    // System tick count in milliseconds.
    virtual std::uint64_t TickCount() = 0;

    // Machine facts.
    virtual bool IsNtFamily() = 0;
    // Administrators member and, on Vista and later, an elevated token.
    virtual bool IsAdministrator() = 0;
    // Program Files for administrators (or non-NT systems), else the parent of the user's
    // documents folder; trailing backslash.
    virtual std::string DefaultInstallFolder() = 0;
    virtual std::string RegisteredOwner() = 0;
    virtual std::string RegisteredOrganization() = 0;
    // Today in the user's short date format, now in the user's long time format.
    virtual std::string CurrentDate() = 0;
    virtual std::string CurrentTime() = 0;
    // Full path of the running program.
    virtual std::string ExeFile() = 0;

    // Engine cache and installer.
    // Default value of the engine identification key of the product, HKLM first, then HKCU.
    virtual std::optional<std::string> IdentCacheFolder(const std::string& productCode) = 0;
    // Common application data (all users) or the user's local / roaming application data,
    // falling back as the cache rules say; trailing backslash.
    virtual std::string ApplicationDataFolder(bool allUsers) = 0;
    // The installer's product state (5: installed); -1 when it cannot be asked.
    virtual int QueryProductState(const std::string& productCode) = 0;
    virtual bool ProductPackageCodeMatches(const std::string& productCode,
                                           const std::string& revisionCode) = 0;
    // Removes the "Reboot and Resume" entry of this product under RunOnce (HKCU and HKLM).
    virtual void DeleteResumeEntry(const std::string& valueName) = 0;

    // Ends the process at once with this exit code (validation failure). Returns only in
    // tests.
    virtual void EndProcess(int exitCode) = 0;
};

// The Win32 implementation (Windows trees only).
IRunPlatform& Win32RunPlatform();

} // namespace ovd
