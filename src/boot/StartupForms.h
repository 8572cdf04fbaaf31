// The splash and the preparation form as the start-up phases use them.
#pragma once

#include "uSetupInit.h"
#include "uSetupSplash.h"

#include <memory>

namespace ovd {

struct StartupForms {
    std::unique_ptr<TSetupSplash> Splash;
    std::unique_ptr<TSetupInit> Init;

    bool Exist() const { return Init != nullptr; }
    HWND Owner() const { return Init ? Init->Handle() : nullptr; }
    // Repaints the preparation form and, when visible, the splash.
    void Repaint();
};

// Where the preparation form goes below a splash with bounds `splash`, on a screen of
// `screen`, for a form of `form` size.
POINT PreparationFormPosition(const RECT& splash, SIZE form, SIZE screen);

// Creates and shows the forms unless the run is silent or an update; a form that cannot
// be created is left out.
void ShowStartupForms(StartupForms& forms) noexcept;
// Hides and frees them.
void FreeStartupForms(StartupForms& forms) noexcept;

} // namespace ovd
