// Times Windows programs from process creation, inside one Wine session:
//   startup_timer RUNS TRACEFILE COMMANDLINE   time to "  <RunScript>" in the trace and to exit
//   startup_timer RUNS - COMMANDLINE           time to exit only
// Prints one line per run and the medians, in milliseconds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER freq)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

bool TraceHasRunScript(const char* path)
{
    HANDLE f =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    std::string bytes(1 << 12, '\0');
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    std::string ascii;
    for (size_t i = 0; i < bytes.size(); i += 2)
        ascii += bytes[i];
    return ascii.find("  <RunScript>") != std::string::npos;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_timer RUNS TRACEFILE|- COMMANDLINE\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    // The programs' temporary folder (a tmpfs one, given as a Windows path).
    if (const char* temp = std::getenv("OVD_BENCH_TEMP")) {
        SetEnvironmentVariableA("TMP", temp);
        SetEnvironmentVariableA("TEMP", temp);
    }
    const bool traced = std::string(argv[2]) != "-";
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> toRunScript, toExit;
    for (int r = 0; r < runs; ++r) {
        if (traced)
            DeleteFileA(argv[2]);
        std::string cmd = argv[3];
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        LARGE_INTEGER start, seen{}, end;
        QueryPerformanceCounter(&start);
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            std::fprintf(stderr, "cannot start %s (%lu)\n", argv[3], GetLastError());
            return 1;
        }
        bool found = false;
        while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (traced && !found && TraceHasRunScript(argv[2])) {
                QueryPerformanceCounter(&seen);
                found = true;
            }
            Sleep(1);
        }
        QueryPerformanceCounter(&end);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        if (traced && !found && TraceHasRunScript(argv[2])) {
            seen = end; // finished between two looks
            found = true;
        }
        toExit.push_back(Ms(start, end, freq));
        if (found)
            toRunScript.push_back(Ms(start, seen, freq));
        std::printf("run %d: exit %lu, to RunScript %.1f ms, to exit %.1f ms\n", r + 1, code,
                    found ? Ms(start, seen, freq) : -1.0, Ms(start, end, freq));
    }
    if (traced)
        std::printf("median to RunScript: %.1f ms\n", Median(toRunScript));
    std::printf("median to exit: %.1f ms\n", Median(toExit));
    return 0;
}
