// Reads the text form (object Name: TClass ... end) into the component tree
// (docs/form-files.md). Malformed input gives one EFormError with the line where it went
// wrong. Text in quotes is taken in the package's code page; a file that starts with the
// UTF-8 byte order mark is UTF-8 and its texts are converted. "#nnn" is a Unicode code
// point.
#pragma once

#include <string_view>

#include "FormReadOptions.h"
#include "FormTree.h"

namespace ovd {

// Throws EFormError.
TFormComponent ReadTextForm(std::string_view text, const TFormReadOptions& options = {});

} // namespace ovd
