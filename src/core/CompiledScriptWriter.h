// Writes a compiled script in the layout the loader reads (CompiledScript.h). Shared by
// ovdpack and the tests, so that writer and loader stay one format.
#pragma once

#include <stdexcept>
#include <string>

#include "CompiledScript.h"

namespace ovd {

// A script that cannot be written so that it loads back the same.
class EScriptWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The compiled script text, lines ended by CR LF. A parameter that is exactly "$" is
// written as "$DOLLAR$". Throws EScriptWriteError for texts the format cannot carry:
// a line break inside any text, a list entry that is a lone "$" outside the parameters,
// or a parameter that itself reads "$DOLLAR$" / "$WILD_DOLLAR$" (it would load as "$").
std::string WriteCompiledScript(const TCompiledScript& script);

} // namespace ovd
