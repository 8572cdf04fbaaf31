// Times a setup run from process creation to exit, inside one Wine session, and measures
// how quickly the engine's windows answer while it runs: every 2 ms a WM_NULL is sent to
// each of the process's top-level windows (hidden ones included) and the round trip timed.
//   loop_timer RUNS COMMANDLINE
// Prints one line per run, then the median time to exit and the answer times over all runs.
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

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * static_cast<double>(v.size())))];
}

struct WindowSearch {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == search->process)
        search->found.push_back(window);
    return TRUE;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: loop_timer RUNS COMMANDLINE\n");
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    std::vector<double> toExit, answers;
    int unanswered = 0;
    for (int r = 0; r < runs; ++r) {
        std::string cmd = argv[2];
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                            &pi)) {
            std::fprintf(stderr, "cannot start %s (%lu)\n", argv[2], GetLastError());
            return 1;
        }
        std::vector<double> runAnswers;
        while (WaitForSingleObject(pi.hProcess, 2) == WAIT_TIMEOUT) {
            WindowSearch search{pi.dwProcessId, {}};
            EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
            // The engine's main form is a message-only window in a silent run.
            for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
                 w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr))
                CollectWindow(w, reinterpret_cast<LPARAM>(&search));
            for (HWND window : search.found) {
                LARGE_INTEGER sent, back;
                QueryPerformanceCounter(&sent);
                DWORD_PTR result = 0;
                const bool answered =
                    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
                QueryPerformanceCounter(&back);
                if (answered)
                    runAnswers.push_back(Ms(sent, back, freq));
                else if (IsWindow(window))
                    ++unanswered;
            }
        }
        QueryPerformanceCounter(&end);
        DWORD code = 0;
        GetExitCodeProcess(pi.hProcess, &code);

        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        toExit.push_back(Ms(start, end, freq));
        std::printf("run %d: exit %lu, to exit %.1f ms, %zu answers, slowest %.2f ms\n", r + 1,
                    code, Ms(start, end, freq), runAnswers.size(), Percentile(runAnswers, 1.0));
        answers.insert(answers.end(), runAnswers.begin(), runAnswers.end());
    }
    std::printf("median to exit: %.1f ms\n", Percentile(toExit, 0.5));
    std::printf("window answers: %zu, median %.2f ms, 99th percentile %.2f ms, slowest %.2f ms,"
                " unanswered in 1 s: %d\n",
                answers.size(), Percentile(answers, 0.5), Percentile(answers, 0.99),
                Percentile(answers, 1.0), unanswered);
    return 0;
}
