// Reads the binary form stream ("TPF0"), bare or behind the 16-bit resource header, into
// the component tree (docs/form-files.md). Every read is bounded; any malformed input
// gives one EFormError with the byte offset where reading failed.
#pragma once

#include <string_view>

#include "FormReadOptions.h"
#include "FormTree.h"

namespace ovd {

// The bytes start with the stream's signature.
bool IsBinaryForm(std::string_view bytes);
// The bytes start with the resource header (FF 0A 00).
bool HasResourceHeader(std::string_view bytes);

// A binary form with or without the resource header. Throws EFormError.
TFormComponent ReadBinaryForm(std::string_view bytes, const TFormReadOptions& options = {});

} // namespace ovd
