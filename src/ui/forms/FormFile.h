// Loading a form file whichever way it was saved: text, the binary stream, or the binary
// stream behind the resource header (told apart by their first bytes).
#pragma once

#include <string>
#include <string_view>

#include "FormReadOptions.h"
#include "FormTree.h"

namespace ovd {

// Throws EFormError naming options.FileName.
TFormComponent LoadForm(std::string_view bytes, const TFormReadOptions& options = {});

// Reads and loads the file at `path` (at most kMaxFormFileSize bytes). Throws EFormError
// naming the file, also when it cannot be read.
TFormComponent ReadFormFile(const std::string& path, const TAnsiCodePage* page = nullptr);

} // namespace ovd
