// The canonical text rendering of a component tree: what `ovdform dump` prints and what
// reads back to the same tree (docs/form-files.md). Lines end in LF, two blanks indent
// each level, texts are quoted ASCII with every other character written as #code point.
#pragma once

#include <string>

#include "AnsiCodePage.h"
#include "FormTree.h"

namespace ovd {

std::string RenderForm(const TFormComponent& root, const TAnsiCodePage& page = Windows1252());

// The number of an Extended, Double, Single, Date or Currency value as the rendering
// writes it, without its type suffix: the shortest text that reads back to the same value
// (a Single as a 4-byte float), Currency exactly; empty for any other type. The one text
// of a number, whichever form it came from.
std::string FormNumberText(const TFormValue& value);

// One value as the rendering writes it after "Name = "; `indent` is the indentation of
// its property line.
std::string RenderFormValue(const TFormValue& value, const TAnsiCodePage& page = Windows1252(),
                            std::size_t indent = 0);

} // namespace ovd
