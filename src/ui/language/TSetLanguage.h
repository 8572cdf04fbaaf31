// The language form: the package's languages in a drop-down list with one entry
// pre-selected; OK takes the chosen entry, Cancel (Esc, or closing the form) ends the setup
// before its script runs. Its four texts are the engine's current user-interface texts.
// Windows trees only; main thread only.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ovd {

class TSetLanguage {
public:
    TSetLanguage(std::vector<std::string> languages, std::string preselected)
        : languages_(std::move(languages)), preselected_(std::move(preselected))
    {
    }

    // Shows the form modally: the chosen language, or nothing when the user cancelled.
    // A form that cannot be created answers with the pre-selected entry.
    std::optional<std::string> ShowModal();

    const std::vector<std::string>& Languages() const { return languages_; }
    const std::string& Preselected() const { return preselected_; }
    void Choose(std::string language) { chosen_ = std::move(language); }

private:
    std::vector<std::string> languages_;
    std::string preselected_;
    std::string chosen_;
};

} // namespace ovd
