// Lets an exception escape RunTimeExecute.
#include "PluginText.h"

#include <stdexcept>

PLUGIN_ENTRY
{
    throw std::runtime_error("stand-in plug-in failure");
}
