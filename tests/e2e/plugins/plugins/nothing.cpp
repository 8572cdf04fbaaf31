// Returns an empty text.
#include "PluginText.h"

PLUGIN_ENTRY
{
    return plugin::HandBack("", buffer);
}
