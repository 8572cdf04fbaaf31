// startup_shot NAME COMMANDLINE: runs a setup and takes a picture of the screen while its
// start-up windows are up (OVD_TEST_OUT\screenshots\NAME.png), then lets it finish and
// returns its exit code. The setup is held at its script copy meanwhile, as the tests do.
#include "ovdtest.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: startup_shot NAME COMMANDLINE\n");
        return 2;
    }
    HANDLE hold = CreateMutexA(nullptr, FALSE, "Local\\Ordovan.ovd.tmp");
    if (hold && WaitForSingleObject(hold, 30000) != WAIT_OBJECT_0) {
        CloseHandle(hold);
        hold = nullptr;
    }
    HANDLE engine = ovdtest::StartProgram(argv[2]);
    if (!engine) {
        std::fprintf(stderr, "startup_shot: cannot start %s\n", argv[2]);
        return 2;
    }
    // The preparation form is up before the engine copies its script.
    HWND form = nullptr;
    for (int i = 0; i < 200 && !form && WaitForSingleObject(engine, 50) == WAIT_TIMEOUT; ++i) {
        HWND h = FindWindowA("TSetupInit", nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (h && pid == GetProcessId(engine) && IsWindowVisible(h))
            form = h;
    }
    if (form) {
        Sleep(300); // let the picture and the form paint
        std::string path = ovdtest::SaveScreenshot(argv[1]);
        std::printf("%s\n", path.empty() ? "screenshot failed" : path.c_str());
    } else {
        std::printf("no start-up window appeared\n");
    }
    if (hold) {
        ReleaseMutex(hold);
        CloseHandle(hold);
    }
    DWORD code = 0;
    if (WaitForSingleObject(engine, 120000) == WAIT_TIMEOUT)
        TerminateProcess(engine, 0xDEAD);
    GetExitCodeProcess(engine, &code);
    CloseHandle(engine);
    return static_cast<int>(code);
}
