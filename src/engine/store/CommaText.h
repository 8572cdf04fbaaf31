// Comma text: the string-list form used to hand whole variable sets to plug-ins, the
// installer thread and the engine cache. Items are separated by commas; an item holding
// a blank, a control character, a comma or a double quote is enclosed in double quotes
// with inner double quotes doubled. OS-free.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ovd {

std::string ToCommaText(const std::vector<std::string>& items);
// Reads what ToCommaText writes, and tolerates what other writers of the form produce:
// blanks between items are skipped, an unterminated quote runs to the end.
std::vector<std::string> FromCommaText(std::string_view text);

} // namespace ovd
