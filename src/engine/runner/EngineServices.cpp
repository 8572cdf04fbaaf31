#include "EngineServices.h"

#include <algorithm>

namespace ovd {

void TExitSteps::Add(std::string name, ExitStepAction action)
{
    const auto same = std::find_if(steps_.begin(), steps_.end(),
                                   [&](const Step& step) { return step.Name == name; });
    if (same != steps_.end())
        same->Action = std::move(action);
    else
        steps_.push_back({std::move(name), std::move(action)});
}

void TExitSteps::Run(TScriptRun& run) noexcept
{
    for (const Step& step : steps_) {
        try {
            if (step.Action)
                step.Action(run);
        } catch (...) {
            // The exit step must reach its end: the next action still runs.
        }
    }
}

std::vector<std::string> TExitSteps::Names() const
{
    std::vector<std::string> names;
    for (const Step& step : steps_)
        names.push_back(step.Name);
    return names;
}

} // namespace ovd
