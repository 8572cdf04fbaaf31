// The engine's own localisable texts (messages 1 to 94), the language file that replaces
// them, and the caption of every engine message box.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace ovd {

inline constexpr int kEngineMessageCount = 94;
inline constexpr int kLanguageBlockLines = 114;

// Message index carried by each line of a language block; 0 for the 20 lines that are
// read and ignored.
const std::array<int, kLanguageBlockLines>& LanguageBlockOrder();

// English default of message `index` (1..94); empty outside that range.
const std::string& DefaultEngineMessage(int index);

// Current text of message `index` (1..94); empty outside that range.
const std::string& EngineMessage(int index);
// Back to the English defaults, the caption state cleared.
void ResetEngineMessages();

// Reads a language file: the first block, then (name line, block) entries until a name
// equals userLanguage without regard to case; the table keeps the texts of the last block
// read. A block cut short by the end of the file is not applied (its texts would be
// missing, not translated), and reading stops there. Returns the number of blocks applied.
int LoadEngineMessagesFromText(std::string_view fileText, std::string_view userLanguage);
// The same from a file; a file that cannot be read leaves the table as it is (returns 0).
int LoadEngineMessages(const std::string& path, std::string_view userLanguage);

// A language file's block of the given texts (index 1..94 of `texts`), CR LF after each
// line; the ignored lines are written empty.
std::string LanguageBlockText(const std::array<std::string, kEngineMessageCount + 1>& texts);
// A language file holding only the English defaults.
std::string DefaultLanguageFileText();

// English name of a locale identifier from the setup-language table ("German" for 1031);
// empty for an identifier the table does not hold, 0 included.
std::string LanguageNameOf(std::uint32_t langId);
// Locale identifier of an English language name (compared upper-cased); 1033 when the
// table does not hold it.
std::uint32_t LanguageIdOf(std::string_view name);
// The user's language name from the locale's LOCALE_ILANGUAGE text (hexadecimal, "0407");
// empty when the text is not a number or the table does not hold it.
std::string UserLanguageName(std::string_view localeLanguageHex);
std::string UserLanguageName(std::uint32_t langId);

// The caption of engine message boxes. The runner refreshes title and logo flag from the
// variables TITLE and ZOVRLOGO before every line; during start-up neither is set.
void SetEngineCaptionState(std::string title, bool logoHidden);
std::string EngineCaption();
std::string EngineCaption(std::string_view title, bool logoHidden);

} // namespace ovd
