// Times Windows programs from process creation, inside one Wine session:
//   startup_timer RUNS TRACEFILE COMMANDLINE [LINE]   time to LINE in the trace (default
//                                                     "  <RunScript>") and to exit
//   startup_timer RUNS - COMMANDLINE                  time to exit only
// Prints one line per run, then the medians with their spread, in milliseconds: to the
// line, to exit, and for a trace of the engine's start-up the first line ("<Ordovan>") and
// the lengths of the phases "<ExtractArchive>" and "<Dialogs>" (from the first sight of
// the opening line to the first sight of the closing one). Lines are "median NAME: M ms
// (min A, max B)", for bench/boot/startup_bench.sh to read.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER freq)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(freq.QuadPart);
}

// The trace as the engine writes it (UTF-16LE), read as it grows through one handle: the
// timer's own reads must cost the engine as little as they can. The engine's first line
// truncates the file, so the handle is opened once the file has something in it.
class TraceReader {
public:
    explicit TraceReader(const char* path) : path_(path) {}
    ~TraceReader()
    {
        if (file_ != INVALID_HANDLE_VALUE)
            CloseHandle(file_);
    }
    TraceReader(const TraceReader&) = delete;
    TraceReader& operator=(const TraceReader&) = delete;

    // Complete lines that arrived since the last call.
    std::vector<std::string> NewLines()
    {
        std::vector<std::string> lines;
        if (file_ == INVALID_HANDLE_VALUE) {
            file_ = CreateFileA(path_, GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
            if (file_ == INVALID_HANDLE_VALUE)
                return lines;
        }
        char buffer[1 << 13];
        DWORD got = 0;
        while (ReadFile(file_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            pending_.append(buffer, got);
            if (got < sizeof buffer)
                break;
        }
        std::size_t used = 0;
        for (std::size_t i = 0; i + 1 < pending_.size(); i += 2) {
            if (pending_[i] == '\n' && pending_[i + 1] == '\0') {
                lines.push_back(partial_);
                partial_.clear();
                used = i + 2;
            } else if (pending_[i] != '\r') {
                partial_ += pending_[i];
                used = i + 2;
            }
        }
        pending_.erase(0, used);
        return lines;
    }

private:
    const char* path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string pending_; // bytes not yet taken apart
    std::string partial_; // the unfinished line
};

std::string Trimmed(const std::string& line)
{
    const std::size_t first = line.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : line.substr(first);
}

struct Spread {
    double Median = 0, Min = 0, Max = 0;
};

Spread SpreadOf(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v.front(), v.back()};
}

void PrintSpread(const char* name, const std::vector<double>& values)
{
    if (values.empty())
        return;
    const Spread s = SpreadOf(values);
    std::printf("median %s: %.1f ms (min %.1f, max %.1f)\n", name, s.Median, s.Min, s.Max);
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
    const std::string marker = Trimmed(argc > 4 ? argv[4] : "  <RunScript>");
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> toLine, toExit, toFirst, extract, dialogs;
    for (int r = 0; r < runs; ++r) {
        if (traced)
            DeleteFileA(argv[2]);
        std::string cmd = argv[3];
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            std::fprintf(stderr, "cannot start %s (%lu)\n", argv[3], GetLastError());
            return 1;
        }
        TraceReader trace(traced ? argv[2] : "");
        std::map<std::string, double> seen; // first sight of each (trimmed) line
        std::string phases;                 // the last run's lines by first sight
        auto look = [&] {
            const std::vector<std::string> lines = trace.NewLines();
            if (lines.empty())
                return;
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            const double at = Ms(start, now, freq);
            for (const std::string& line : lines) {
                seen.emplace(Trimmed(line), at);
                phases += "  " + std::to_string(static_cast<int>(at)) + " ms " + line + "\n";
            }
        };
        while (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
            if (traced && !seen.count(marker))
                look();
            Sleep(1);
        }
        QueryPerformanceCounter(&end);
        if (traced)
            look(); // what came between the last look and the exit
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        toExit.push_back(Ms(start, end, freq));
        const auto at = [&seen](const std::string& line) {
            const auto found = seen.find(line);
            return found == seen.end() ? -1.0 : found->second;
        };
        const double line = at(marker);
        if (line >= 0)
            toLine.push_back(line);
        if (at("<Ordovan>") >= 0)
            toFirst.push_back(at("<Ordovan>"));
        if (at("<ExtractArchive>") >= 0 && at("</ExtractArchive>") >= 0)
            extract.push_back(at("</ExtractArchive>") - at("<ExtractArchive>"));
        if (at("<Dialogs>") >= 0 && at("</Dialogs>") >= 0)
            dialogs.push_back(at("</Dialogs>") - at("<Dialogs>"));
        std::printf("run %d: exit %lu, to the line %.1f ms, to exit %.1f ms\n", r + 1, code, line,
                    Ms(start, end, freq));
        if (r + 1 == runs && !phases.empty())
            std::printf("trace lines of the last run, by first sight:\n%s", phases.c_str());
    }
    PrintSpread("to the line", toLine);
    PrintSpread("to exit", toExit);
    PrintSpread("to <Ordovan>", toFirst);
    PrintSpread("ExtractArchive", extract);
    PrintSpread("Dialogs", dialogs);
    return 0;
}
