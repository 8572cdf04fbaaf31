// Program entry of the setup engine.
#include "Startup.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return ovd::RunStartup();
}
