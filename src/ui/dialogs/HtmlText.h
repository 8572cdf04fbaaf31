// A page for the HTML viewer's read-only stand-in (the engine has no renderer): the text a
// reader would see, with tags dropped, block ends as line breaks, script and style left out
// and the common character references decoded. OS-free.
#pragma once

#include <string>
#include <string_view>

namespace ovd {

// The page's text, lines joined by CR LF.
std::string HtmlToText(std::string_view page);

} // namespace ovd
