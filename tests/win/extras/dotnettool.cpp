// Stand-in for the framework tools (built as ngen.exe, installutil.exe and regasm.exe):
// appends "<its path>|<command line>|<working folder>" to the file named by
// OVD_DOTNET_LOG and ends with the code written in "<its path>.code" (0 without one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);
    char log[MAX_PATH] = {};
    if (GetEnvironmentVariableA("OVD_DOTNET_LOG", log, MAX_PATH) != 0) {
        if (FILE* out = std::fopen(log, "ab")) {
            std::fprintf(out, "%s|%s|%s\n", self, GetCommandLineA(), folder);
            std::fclose(out);
        }
    }
    char codeFile[MAX_PATH + 8] = {};
    std::snprintf(codeFile, sizeof codeFile, "%s.code", self);
    int code = 0;
    if (FILE* in = std::fopen(codeFile, "rb")) {
        if (std::fscanf(in, "%d", &code) != 1)
            code = 0;
        std::fclose(in);
    }
    return code;
}
