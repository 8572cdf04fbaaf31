// Test helper: recorder.exe OUT-FILE [ARGS...] writes its command line, its working
// folder, the value of OVD_TEST_VALUE and whether PATH is set, one per line, to OUT-FILE.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    char value[256] = "(unset)";
    GetEnvironmentVariableA("OVD_TEST_VALUE", value, sizeof value);
    const bool hasPath = GetEnvironmentVariableA("PATH", nullptr, 0) != 0;
    FILE* out = std::fopen(__argv[1], "wb");
    if (out == nullptr)
        return 3;
    std::fprintf(out, "%s\n%s\n%s\n%s\n", GetCommandLineA(), folder, value,
                 hasPath ? "PATH" : "no PATH");
    std::fclose(out);
    return 0;
}
