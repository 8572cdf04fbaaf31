// Writes a component tree as the binary form stream ("TPF0", no resource header), the
// smallest encoding of each value: integers in the fewest bytes, texts as short strings
// up to 255 bytes and long strings beyond. What it writes reads back to the same tree.
#pragma once

#include <string>

#include "FormTree.h"

namespace ovd {

// Throws EFormError for a tree the stream cannot hold (a name that is not one, longer
// than 255 bytes, Null as an item of a list).
std::string WriteBinaryForm(const TFormComponent& root);

} // namespace ovd
