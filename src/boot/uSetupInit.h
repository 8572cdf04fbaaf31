// TSetupInit: the preparation form shown while the setup unpacks and loads its dialogs.
#pragma once

#include "WinHandles.h"

#include <string>

namespace ovd {

class TSetupInit {
public:
    // Hidden. Image1 is shown on Windows XP and later, Image2 on older systems.
    TSetupInit();
    TSetupInit(const TSetupInit&) = delete;
    TSetupInit& operator=(const TSetupInit&) = delete;

    void MoveTo(int left, int top);
    void CenterOnScreen();
    // Shows the form with its caption and Label1's text.
    void Show(const std::string& caption, const std::string& label);
    void Hide();
    void Repaint();

    void SetProgressRange(int minimum, int maximum);
    void SetProgressPosition(int position);
    void StepProgress(int by);
    int ProgressMaximum() const;
    int ProgressPosition() const;

    RECT Bounds() const; // screen coordinates
    HWND Handle() const { return window_.get(); }

private:
    UniqueWindow window_;
    HWND label1_ = nullptr;
    HWND image1_ = nullptr;
    HWND image2_ = nullptr;
    HWND progressBar_ = nullptr;
};

} // namespace ovd
