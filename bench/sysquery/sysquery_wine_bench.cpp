// "Find All Files" (its worker, the wait and the joined answer) over 20,000 files in nested
// folders against a bare FindFirstFile walk of the same tree that collects the same paths,
// and the cost of one "Read Registry" of a string value.
//   cmake/wine-run.sh <tree>/wine/prefix <tree>/bin/sysquery_wine_bench.exe [folder]
// The default folder is Z:\dev\shm\ovd-sysquery-bench (tmpfs: this machine's disk slows
// down after mass deletes).
#include "ScriptRun.h"
#include "SystemQueries.h"
#include "TFindAllFilesThread.h"
#include "VariableManager.h"
#include "WaitForWorker.h"
#include "WinHandles.h"
#include "uGlobals.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kTop = 20, kSub = 10, kFiles = 100; // 20,000 files in 220 folders
constexpr int kRounds = 5;

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) * 1e3 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

void MakeTree(const std::string& root)
{
    CreateDirectoryA(root.c_str(), nullptr);
    for (int t = 0; t < kTop; ++t) {
        const std::string top = root + "\\top " + std::to_string(t);
        CreateDirectoryA(top.c_str(), nullptr);
        for (int s = 0; s < kSub; ++s) {
            const std::string sub = top + "\\sub" + std::to_string(s);
            CreateDirectoryA(sub.c_str(), nullptr);
            for (int f = 0; f < kFiles; ++f) {
                const std::string file = sub + "\\file" + std::to_string(f) + ".txt";
                ovd::UniqueFile h(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
            }
        }
    }
}

// What a trivial program does: walk the tree, keep every path.
void BareWalk(const std::string& folder, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA data{};
    ovd::UniqueFind find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find)
        return;
    do {
        const std::string name = data.cFileName;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            BareWalk(path, out);
        else
            out.push_back(path);
    } while (FindNextFileA(find.get(), &data));
}

} // namespace

int main(int argc, char** argv)
{
    const std::string root = argc > 1 ? argv[1] : "Z:\\dev\\shm\\ovd-sysquery-bench";
    ovd::Process().SilentMode = true; // the wait blocks; no window is involved
    ovd::DefineVariable("ZOVR_IsCancelled", "FALSE", "bench");
    MakeTree(root);

    ovd::TEngineServices services;
    ovd::TScriptRun run(services);
    ovd::TWorkerWait wait;
    wait.Watchdog = ovd::WatchdogTimer::tfafTimer;
    wait.CancelNote = "Cancel at Find-Files Time";
    std::vector<double> bare;
    std::size_t bareCount = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double start = Now();
        std::vector<std::string> paths;
        BareWalk(root, paths);
        bare.push_back(Now() - start);
        bareCount = paths.size();
    }
    std::printf("bare FindFirstFile walk: %zu files, median %.1f ms\n", bareCount, Median(bare));
    // "*.*" lists each folder once; another mask lists it twice (subfolders, then files).
    for (const char* mask : {"*.*", "*.txt"}) {
        std::vector<double> command;
        std::size_t count = 0, answerBytes = 0;
        for (int round = 0; round < kRounds; ++round) {
            const double start = Now();
            ovd::TFindAllFilesThread worker(ovd::SplitFilePattern(root + "\\" + mask), true, false);
            ovd::WaitForWorker(run, worker, wait);
            const std::string answer = ovd::JoinFoundPaths(worker.Found());
            command.push_back(Now() - start);
            count = worker.Found().size();
            answerBytes = answer.size();
        }
        std::printf("Find All Files %-6s %zu files, median %.1f ms (%zu bytes), %.2fx the bare "
                    "walk\n",
                    mask, count, Median(command), answerBytes, Median(command) / Median(bare));
    }

    const char* key = "Software\\Veldmark\\OvdSysQueryBench";
    HKEY raw = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr);
    const char value[] = "C:\\Program Files\\Product\\";
    RegSetValueExA(raw, "InstallDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   sizeof value);
    RegCloseKey(raw);
    constexpr int kReads = 20000;
    const double start = Now();
    for (int i = 0; i < kReads; ++i)
        ovd::ReadRegistryText(HKEY_CURRENT_USER, key, "InstallDir", KEY_WOW64_32KEY);
    std::printf("Read Registry:           %.1f us a value\n", (Now() - start) * 1e3 / kReads);
    RegDeleteKeyA(HKEY_CURRENT_USER, key);
    return 0;
}
