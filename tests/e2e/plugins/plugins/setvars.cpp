// The worked example of docs/plugins.md: the parameter text holds NAME=value pairs
// separated by ";"; each is set (or added). All other variables are handed back as given.
#include "PluginText.h"

PLUGIN_ENTRY
{
    plugin::Variables vars = plugin::Read(variables);
    const std::string params = parameters != nullptr ? parameters : "";
    std::size_t start = 0;
    while (start < params.size()) {
        std::size_t end = params.find(';', start);
        if (end == std::string::npos)
            end = params.size();
        const std::string pair = params.substr(start, end - start);
        const std::size_t eq = pair.find('=');
        if (eq != std::string::npos)
            plugin::Set(vars, pair.substr(0, eq), pair.substr(eq + 1));
        start = end + 1;
    }
    if (buffer == nullptr && progress != nullptr)
        progress(100, "Variables set");
    return plugin::HandBack(plugin::Write(vars), buffer);
}
