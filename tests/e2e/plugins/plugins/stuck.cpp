// Reports once, then neither reports nor returns: only its watchdog ends it.
#include "PluginText.h"

PLUGIN_ENTRY
{
    progress(10, "Stuck");
    for (;;)
        Sleep(1000);
}
