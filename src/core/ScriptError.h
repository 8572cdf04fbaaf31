// The one error type a failing script command raises. The runner catches it and reports
// "Runtime error in setup script:" with the source file and line of the failing line.
#pragma once

#include <stdexcept>
#include <string>

namespace ovd {

class ScriptError : public std::runtime_error {
public:
    explicit ScriptError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace ovd
