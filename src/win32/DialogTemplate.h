// In-memory dialog templates for the engine's own small forms (the language choice, the
// web media retry forms): items of the predefined window classes, their texts set as ANSI
// once the form exists, so the template itself carries none.
#pragma once

#include <windows.h>

#include <vector>

namespace ovd {

// Predefined window classes of a dialog template.
inline constexpr WORD kButtonClass = 0x0080;
inline constexpr WORD kEditClass = 0x0081;
inline constexpr WORD kStaticClass = 0x0082;
inline constexpr WORD kComboClass = 0x0085;

// A template: the form's style and size in dialog units, then its items.
class TDialogTemplate {
public:
    TDialogTemplate(DWORD style, short cx, short cy, WORD items)
    {
        Dword(style);
        Dword(0); // extended style
        words_.push_back(items);
        Coordinates(0, 0, cx, cy);
        words_.push_back(0); // no menu
        words_.push_back(0); // the standard dialog class
        words_.push_back(0); // no title
        words_.push_back(8); // point size of the font
        for (const char* c = "MS Shell Dlg";; ++c) {
            words_.push_back(static_cast<WORD>(*c));
            if (*c == '\0')
                break;
        }
    }

    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD windowClass)
    {
        if (words_.size() % 2 != 0) // items start on a DWORD boundary
            words_.push_back(0);
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        Coordinates(x, y, cx, cy);
        words_.push_back(id);
        words_.push_back(0xFFFF);
        words_.push_back(windowClass);
        words_.push_back(0); // no text
        words_.push_back(0); // no creation data
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Dword(DWORD value)
    {
        words_.push_back(LOWORD(value));
        words_.push_back(HIWORD(value));
    }
    void Coordinates(short x, short y, short cx, short cy)
    {
        for (short value : {x, y, cx, cy})
            words_.push_back(static_cast<WORD>(value));
    }

    std::vector<WORD> words_;
};

} // namespace ovd
