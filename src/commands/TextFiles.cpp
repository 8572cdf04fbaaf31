#include "TextFiles.h"

#include "AnsiText.h"
#include "ScriptError.h"

#include <vector>

namespace ovd {

namespace {

// One line from pos on (CR LF, LF or a lone CR ends it); pos moves past the break.
std::string NextLine(const std::string& data, std::size_t& pos)
{
    const std::size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
        std::string line = data.substr(pos);
        pos = data.size();
        return line;
    }
    std::string line = data.substr(pos, end - pos);
    pos = end + ((data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1);
    return line;
}

} // namespace

TTextReadResult TOpenTextFile::Read(const std::string& path, bool readAll, TTextFileAccess& files)
{
    if (!open_ || !AnsiSameText(path, path_)) {
        Close();
        data_ = files.ReadWholeFile(path).value_or(std::string());
        path_ = path;
        open_ = true;
    }
    TTextReadResult result;
    if (pos_ < data_.size()) {
        result.lineRead = true;
        result.line = NextLine(data_, pos_);
        while (readAll && pos_ < data_.size())
            result.line += "$NEWLINE$" + NextLine(data_, pos_);
    }
    result.endOfFile = pos_ >= data_.size();
    if (result.endOfFile)
        Close();
    return result;
}

void TOpenTextFile::Write(const std::string& path, std::string_view text, bool atTop,
                          TTextFileAccess& files)
{
    // The reader's snapshot would be stale; the next read starts again from the top.
    if (open_ && AnsiSameText(path, path_))
        Close();

    // A file that is not there starts with no lines; one that is there but cannot be
    // read is left alone, since saving would replace its lines with the one written.
    std::vector<std::string> lines;
    if (const std::optional<std::string> old = files.ReadWholeFile(path)) {
        TLineReader reader(*old);
        std::string_view line;
        while (reader.Next(line))
            lines.emplace_back(line);
    } else if (const std::string why = files.UnreadableReason(path); !why.empty()) {
        throw ScriptError("Unable to write to text file \"" + path + "\": " + why);
    }
    if (atTop)
        lines.insert(lines.begin(), std::string(text));
    else
        lines.emplace_back(text);

    std::string data;
    for (const std::string& line : lines)
        data.append(line).append("\r\n");
    std::string error;
    if (!files.ReplaceWholeFile(path, data, error))
        throw ScriptError("Unable to write to text file \"" + path + "\": " + error);
}

void TOpenTextFile::Close()
{
    open_ = false;
    path_.clear();
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

} // namespace ovd
