// Reports 0..100 % in steps of 5, sleeping the parameter's milliseconds between steps;
// stops early when the engine asks it to. PLUGIN_STEPS receives the last percentage
// reported and PLUGIN_STOPPED "TRUE" when it stopped early.
#include "PluginText.h"

#include <cstdlib>

PLUGIN_ENTRY
{
    static int lastStep = 0;
    static bool stopped = false;
    if (buffer == nullptr) { // the work happens in the first call
        const int pause = parameters != nullptr ? std::atoi(parameters) : 0;
        stopped = false;
        for (int step = 0; step <= 100 && !stopped; step += 5) {
            const std::string text = "Step " + std::to_string(step);
            lastStep = step;
            stopped = progress(step, text.c_str()) == 0;
            Sleep(static_cast<DWORD>(pause));
        }
    }
    plugin::Variables vars = plugin::Read(variables);
    plugin::Set(vars, "PLUGIN_STEPS", std::to_string(lastStep));
    plugin::Set(vars, "PLUGIN_STOPPED", stopped ? "TRUE" : "FALSE");
    return plugin::HandBack(plugin::Write(vars), buffer);
}
