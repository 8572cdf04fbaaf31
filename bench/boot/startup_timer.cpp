// Times Windows programs from process creation, inside one Wine session:
//   startup_timer RUNS TRACEFILE COMMANDLINE [LINE]   time to LINE in the trace (default
//                                                     "  <RunScript>") and to exit
//   startup_timer RUNS - COMMANDLINE                  time to exit only
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

// The trace's lines so far (ASCII text of the UTF-16LE file).
std::vector<std::string> TraceLines(const char* path)
{
    HANDLE f =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return {};
    std::string bytes(1 << 13, '\0');
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i] == '\n')
            lines.emplace_back();
        else if (bytes[i] != '\r')
            lines.back() += bytes[i];
    }
    lines.pop_back(); // the unfinished rest
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
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
        std::fprintf(stderr, "usage: startup_timer RUNS TRACEFILE|- COMMANDLINE [LINE]\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    // The programs' temporary folder (a tmpfs one, given as a Windows path).
    if (const char* temp = std::getenv("OVD_BENCH_TEMP")) {
        SetEnvironmentVariableA("TMP", temp);
        SetEnvironmentVariableA("TEMP", temp);
    }
    const bool traced = std::string(argv[2]) != "-";
    const std::string marker = argc > 4 ? argv[4] : "  <RunScript>";
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
        size_t seenLines = 0;
        std::string phases; // when each trace line first showed up
        while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (traced && !found) {
                std::vector<std::string> lines = TraceLines(argv[2]);
                LARGE_INTEGER now;
                QueryPerformanceCounter(&now);
                for (; seenLines < lines.size(); ++seenLines)
                    phases += "  " + std::to_string(static_cast<int>(Ms(start, now, freq))) +
                              " ms " + lines[seenLines] + "\n";
                if (Has(lines, marker)) {
                    seen = now;
                    found = true;
                }
            }
            Sleep(1);
        }
        QueryPerformanceCounter(&end);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        if (traced && !found && Has(TraceLines(argv[2]), marker)) {
            seen = end; // finished between two looks
            found = true;
        }
        toExit.push_back(Ms(start, end, freq));
        if (found)
            toRunScript.push_back(Ms(start, seen, freq));
        std::printf("run %d: exit %lu, to the line %.1f ms, to exit %.1f ms\n", r + 1, code,
                    found ? Ms(start, seen, freq) : -1.0, Ms(start, end, freq));
        if (r + 1 == runs && !phases.empty())
            std::printf("trace lines of the last run, by first sight:\n%s", phases.c_str());
    }
    if (traced)
        std::printf("median to the line: %.1f ms\n", Median(toRunScript));
    std::printf("median to exit: %.1f ms\n", Median(toExit));
    return 0;
}
