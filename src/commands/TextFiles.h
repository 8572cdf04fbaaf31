// The text files of "Read from Text File" and "Write to Text File": the one file kept
// open for reading across script lines, and the line-wise write. OS-free; the file
// system is reached through TTextFileAccess.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ovd {

class TTextFileAccess {
public:
    virtual ~TTextFileAccess() = default;
    // The whole contents, or nothing when the file cannot be read.
    virtual std::optional<std::string> ReadWholeFile(const std::string& path) = 0;
    // After a failed read: why a file that is there cannot be read (locked, too large);
    // empty when there is no such file.
    virtual std::string UnreadableReason(const std::string& /*path*/) { return {}; }
    // Clears the file's attributes and replaces its contents (creating it when missing).
    // On failure returns false with a message in error.
    virtual bool ReplaceWholeFile(const std::string& path, const std::string& data,
                                  std::string& error) = 0;
};

// The prefix that makes "Read from Text File" take the rest of the file at once.
inline constexpr std::string_view kReadAllPrefix = "#READALL\\";

struct TTextReadResult {
    bool lineRead = false; // false when the file was already at its end
    std::string line;      // one line, or the remaining lines joined by "$NEWLINE$"
    bool endOfFile = false;
};

// The open-file state of a run (a slot of the run, closed by the exit step). Reading snapshots the
// file when it is opened; the position then walks through that snapshot one read at a time.
class TOpenTextFile {
public:
    // path: already normalised, without the read-all prefix.
    TTextReadResult Read(const std::string& path, bool readAll, TTextFileAccess& files);
    // Adds text as the last line (or the first, when atTop) of the file at path. A file
    // that cannot be read counts as empty. Throws ScriptError when it cannot be saved.
    void Write(const std::string& path, std::string_view text, bool atTop, TTextFileAccess& files);
    void Close();
    bool IsOpen() const { return open_; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
    bool open_ = false;
    std::string data_;
    std::size_t pos_ = 0;
};

} // namespace ovd
