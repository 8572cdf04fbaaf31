#include "StartupForms.h"

#include "EngineMessages.h"
#include "FileUtil.h"
#include "StartupWindow.h"
#include "uGlobals.h"

namespace ovd {

void StartupForms::Repaint()
{
    if (Init)
        Init->Repaint();
    if (Splash && Splash->Visible())
        Splash->Repaint();
}

POINT PreparationFormPosition(const RECT& splash, SIZE form, SIZE screen)
{
    const int width = splash.right - splash.left, height = splash.bottom - splash.top;
    POINT p{splash.left + width / 2 + 50, splash.top + height + 25};
    if (p.y > screen.cy - form.cy - 45)
        p.y = screen.cy - form.cy - 45;
    if (p.x > screen.cx - form.cx - 25)
        p.x = screen.cx - form.cx - 25;
    return p;
}

void ShowStartupForms(StartupForms& forms) noexcept
{
    const ProcessFacts& facts = Process();
    if (facts.SilentMode || facts.UpdateSwitch || facts.UpdateSetupSwitch)
        return;
    try {
        forms.Splash = std::make_unique<TSetupSplash>();
        forms.Init = std::make_unique<TSetupInit>();
        const std::string picture = facts.ExeDir + "setup.bmp";
        if (FileExists(picture) && forms.Splash->LoadPicture(picture)) {
            forms.Splash->CenterOnScreen();
            forms.Splash->Show();
            forms.Splash->Repaint();
            const RECT form = forms.Init->Bounds();
            POINT p = PreparationFormPosition(forms.Splash->Bounds(),
                                              SIZE{form.right - form.left, form.bottom - form.top},
                                              ScreenSize());
            forms.Init->MoveTo(p.x, p.y);
        } else {
            forms.Init->CenterOnScreen();
        }
        forms.Init->Show(EngineMessage(66), EngineMessage(67));
        forms.Init->Repaint();
    } catch (...) {
        // The forms only decorate the start-up; without them it goes on.
        forms.Init.reset();
        forms.Splash.reset();
    }
}

void FreeStartupForms(StartupForms& forms) noexcept
{
    if (forms.Init) {
        forms.Init->Hide();
        forms.Init.reset();
    }
    if (forms.Splash) {
        forms.Splash->Hide();
        forms.Splash.reset();
    }
}

} // namespace ovd
