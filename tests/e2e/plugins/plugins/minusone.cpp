// Declines: -1 from the first call.
#include "PluginText.h"

PLUGIN_ENTRY
{
    return -1;
}
