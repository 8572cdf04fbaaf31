// The engine's folders: where it runs from, its temporary folder and its support directory.
#include "StartupPhases.h"

#include "FileUtil.h"
#include "PathParts.h"
#include "StartupTrace.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <stdexcept>

namespace ovd {
namespace {

// How long the support folder's removal waits for programs that still stand in it.
constexpr unsigned long kSupportDirPatienceMs = 5000;

} // namespace

void ComputeFolders()
{
    ProcessFacts& facts = Process();
    facts.SupportDir.clear();

    // In a double-byte code page the second byte of a character may be that of "\"
    // (Shift-JIS "\x83\x5C"): the program's own name must not be cut there.
    const std::string path = ModuleFileName();
    const std::size_t cut = LastPathSeparator(path, PathSeparators::Backslash, IsSystemLeadByte);
    facts.ExeDir = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    const std::string file = cut == std::string::npos ? path : path.substr(cut + 1);
    facts.ExeBaseName = ChangePathExtension(file, "");

    char temp[MAX_PATH] = {};
    DWORD t = GetTempPathA(MAX_PATH, temp);
    facts.TempDir = WithBackslash(std::string(temp, t < MAX_PATH ? t : 0));
    // A folder that cannot be made shows up as a clear error when the first file is written.
    ForceDirectories(facts.TempDir);
}

void ComputeSetupArchive()
{
    ProcessFacts& facts = Process();
    facts.SetupArchive = facts.ExeDir + facts.ExeBaseName + ".res";
}

std::string CreateFirstFreeSupportDir(const std::string& tempDir)
{
    if (!ForceDirectories(tempDir))
        throw std::runtime_error("Cannot create the folder " + tempDir + ": " +
                                 SystemErrorText(GetLastError()));
    constexpr int kMaxNumber = 100000;
    for (int n = 1; n <= kMaxNumber; ++n) {
        const std::string folder = tempDir + "ovd" + std::to_string(n);
        if (DirectoryExists(folder))
            continue;
        if (CreateDirectoryA(folder.c_str(), nullptr))
            return folder + "\\";
        DWORD error = GetLastError();
        // Taken meanwhile by another engine, or a file of that name: try the next number.
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            throw std::runtime_error("Cannot create the support directory " + folder + ": " +
                                     SystemErrorText(error));
    }
    throw std::runtime_error("No free support directory name in " + tempDir);
}

void CreateSupportDir()
{
    Process().SupportDir = CreateFirstFreeSupportDir(Process().TempDir);
}

void RemoveCachedSupportDir() noexcept
{
    try {
        const std::string& dir = Process().SupportDir;
        if (dir.empty() || !DirectoryExists(dir))
            return;
        // Programs the installer or a script started meanwhile may still stand in it.
        const unsigned long error = RemoveOwnFolder(dir, Process().TempDir, kSupportDirPatienceMs);
        if (error != 0)
            TraceLine("    Support folder not removed: " + dir + ": " + SystemErrorText(error));
    } catch (...) {
        // Leaving a folder in %TEMP% behind is the worst that can happen here.
    }
}

} // namespace ovd
