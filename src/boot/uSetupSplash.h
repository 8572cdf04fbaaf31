// TSetupSplash: the borderless start-up picture ("setup.bmp" beside the setup program).
#pragma once

#include "WinHandles.h"

#include <string>

namespace ovd {

class TSetupSplash {
public:
    TSetupSplash(); // hidden, empty
    TSetupSplash(const TSetupSplash&) = delete;
    TSetupSplash& operator=(const TSetupSplash&) = delete;

    // Loads a bitmap file into Image and sizes picture and form to it; false when the
    // file is not a loadable bitmap.
    bool LoadPicture(const std::string& path);
    void CenterOnScreen();
    void Show();
    void Hide();
    void Repaint();

    bool Visible() const;
    RECT Bounds() const; // screen coordinates
    HWND Handle() const { return window_.get(); }

private:
    UniqueGdiObject picture_; // outlives the window that shows it
    UniqueWindow window_;
    HWND image_ = nullptr;
};

} // namespace ovd
