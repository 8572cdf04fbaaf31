// What a form reader is told besides the bytes.
#pragma once

#include <string>

#include "AnsiCodePage.h"

namespace ovd {

struct TFormReadOptions {
    std::string FileName;                    // named in errors; may be empty
    const TAnsiCodePage* CodePage = nullptr; // the package's code page; null: Windows1252()

    const TAnsiCodePage& Page() const { return CodePage ? *CodePage : Windows1252(); }
};

} // namespace ovd
