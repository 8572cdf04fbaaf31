// The canonical text rendering of a component tree: what `ovdform dump` prints and what
// reads back to the same tree (docs/form-files.md). Lines end in LF, two blanks indent
// each level, texts are quoted ASCII with every other character written as #code point.
#pragma once

#include <string>

#include "AnsiCodePage.h"
#include "FormTree.h"

namespace ovd {

std::string RenderForm(const TFormComponent& root, const TAnsiCodePage& page = Windows1252());

// One value as the rendering writes it after "Name = "; `indent` is the indentation of
// its property line.
std::string RenderFormValue(const TFormValue& value, const TAnsiCodePage& page = Windows1252(),
                            std::size_t indent = 0);

} // namespace ovd
