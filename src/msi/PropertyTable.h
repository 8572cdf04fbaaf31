// What "Apply Changes" writes into the product database before the run: the Property
// table statements of the pending properties and the platform in the summary template.
// OS-free: SQL texts only; MsiDatabase.cpp runs them.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ovd {

// The database value of a recorded property: "$NEWLINE$" back to CR LF, every "'" as
// "$QUOTE$" (the statements quote with "'").
std::string PropertyTableValue(std::string_view stored);

// INSERT, then UPDATE, per entry in order: a later entry of a name wins.
std::vector<std::string> PropertyTableStatements(const std::vector<std::string>& names,
                                                 const std::vector<std::string>& values);

// The summary template's platform name for a platform of "Set 64 Bit Mode": "Intel"
// (Win32), "Intel64" (ia64), "x64".
std::string TemplatePlatformName(std::string_view platform);

// The template ("platform;languages") naming `platform`, or nothing when it already does.
std::optional<std::string> TemplateForPlatform(std::string_view summaryTemplate,
                                               std::string_view platform);

} // namespace ovd
