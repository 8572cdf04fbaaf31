// The change lines' own features: ovdpack puts the rows of each recording line it compiles
// into a feature named "L" + the line's header (docs/package-layout.md). A maintenance run
// asks the installer to take out the features of the lines the script left off this time
// and to add those it ran anew; without such lines it reinstalls as before. OS-free: the
// caller supplies the installed product's features.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace ovd {

inline constexpr char kLineFeaturePrefix = 'L';

struct TInstalledFeature {
    std::string Name;
    bool Installed = false; // local, source or advertised
};

// What a maintenance run asks of each feature. Empty `AddLocal` and `Remove`: nothing
// changes but a reinstall of everything ("REINSTALL=ALL").
struct TFeatureRequests {
    std::vector<std::string> AddLocal;
    std::vector<std::string> Remove;
    std::vector<std::string> Reinstall;
    bool ChangesFeatures() const { return !AddLocal.empty() || !Remove.empty(); }
};

// The switch of each line in a hand-over property list (alternating names and values, a
// later entry winning): header -> on. Only "A" + eight hexadecimal digits names a switch.
std::vector<std::pair<std::string, bool>> LineSwitches(const std::vector<std::string>& properties);

// The requests of a maintenance run. A line's feature goes when the line is off and the
// run switched at least one line on (a run that reached no change line at all, such as a
// plain repair, takes nothing out); it comes back when the line is on and the feature is
// not installed. Every other installed feature is reinstalled.
TFeatureRequests MaintenanceFeatureRequests(const std::vector<TInstalledFeature>& features,
                                            const std::vector<std::string>& properties);

// The field values ("P" + header + "_n") the last installation recorded for the lines that
// are off now but were on then, from the saved parameter list `saved`: an installer that
// takes out a line's rows must find them where that line put them (its folders are named
// by those values).
std::vector<std::pair<std::string, std::string>>
SavedFieldsOfLinesOff(const std::vector<std::string>& properties,
                      const std::vector<std::string>& saved);

} // namespace ovd
