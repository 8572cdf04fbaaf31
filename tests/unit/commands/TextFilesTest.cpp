#include "TextFiles.h"

#include "ScriptError.h"

#include <gtest/gtest.h>

#include <map>

namespace ovd {
namespace {

// Files in memory; names compare exactly (the tests use one spelling unless they mean
// to test letter case).
class FakeFiles : public TTextFileAccess {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, std::string> unreadable; // path -> why
    bool failWrites = false;
    int reads = 0;

    std::optional<std::string> ReadWholeFile(const std::string& path) override
    {
        ++reads;
        const auto it = files.find(path);
        if (it == files.end() || unreadable.count(path))
            return std::nullopt;
        return it->second;
    }
    std::string UnreadableReason(const std::string& path) override
    {
        const auto it = unreadable.find(path);
        return it == unreadable.end() ? std::string() : it->second;
    }
    bool ReplaceWholeFile(const std::string& path, const std::string& data,
                          std::string& error) override
    {
        if (failWrites) {
            error = "Access is denied.";
            return false;
        }
        files[path] = data;
        return true;
    }
};

struct Step {
    const char* path;
    bool readAll;
    bool lineRead;
    const char* line;
    bool endOfFile;
};

void RunSteps(TOpenTextFile& open, FakeFiles& files, std::initializer_list<Step> steps)
{
    int n = 0;
    for (const Step& s : steps) {
        const TTextReadResult r = open.Read(s.path, s.readAll, files);
        EXPECT_EQ(r.lineRead, s.lineRead) << "step " << n;
        if (s.lineRead) {
            EXPECT_EQ(r.line, s.line) << "step " << n;
        }
        EXPECT_EQ(r.endOfFile, s.endOfFile) << "step " << n;
        ++n;
    }
}

TEST(TextFiles, ReadWalksOneLinePerReadAndStartsOverAfterTheEnd)
{
    FakeFiles files;
    files.files["C:\\t.txt"] = "one\r\ntwo\r\nthree\r\n";
    TOpenTextFile open;
    RunSteps(open, files,
             {{"C:\\t.txt", false, true, "one", false},
              {"c:\\T.TXT", false, true, "two", false}, // same file in other letter case
              {"C:\\t.txt", false, true, "three", true},
              {"C:\\t.txt", false, true, "one", false}});
    EXPECT_TRUE(open.IsOpen());
}

TEST(TextFiles, LineBreakKindsAndLastLineWithoutBreak)
{
    FakeFiles files;
    files.files["a"] = "x\ny\rz";
    TOpenTextFile open;
    RunSteps(open, files,
             {{"a", false, true, "x", false},
              {"a", false, true, "y", false},
              {"a", false, true, "z", true}});
    files.files["b"] = "\r\n\r\n";
    RunSteps(open, files, {{"b", false, true, "", false}, {"b", false, true, "", true}});
}

TEST(TextFiles, ReadAllJoinsTheRemainingLines)
{
    FakeFiles files;
    files.files["f"] = "a\r\nx\r\ny\r\n";
    TOpenTextFile open;
    RunSteps(open, files, {{"f", false, true, "a", false}, {"f", true, true, "x$NEWLINE$y", true}});
    files.files["g"] = "x\r\ny";
    RunSteps(open, files, {{"g", true, true, "x$NEWLINE$y", true}});
}

TEST(TextFiles, MissingAndEmptyFilesReadAsEnd)
{
    FakeFiles files;
    files.files["empty"] = "";
    TOpenTextFile open;
    RunSteps(open, files, {{"missing", false, false, "", true}, {"empty", true, false, "", true}});
    EXPECT_FALSE(open.IsOpen());
}

TEST(TextFiles, ReadingAnotherFileRestartsTheFirst)
{
    FakeFiles files;
    files.files["a"] = "a1\r\na2\r\n";
    files.files["b"] = "b1\r\nb2\r\n";
    TOpenTextFile open;
    RunSteps(open, files,
             {{"a", false, true, "a1", false},
              {"b", false, true, "b1", false},
              {"a", false, true, "a1", false}});
}

TEST(TextFiles, WriteAppendsOrInsertsAndCreates)
{
    FakeFiles files;
    TOpenTextFile open;
    open.Write("new.txt", "first", false, files);
    EXPECT_EQ(files.files["new.txt"], "first\r\n");
    open.Write("new.txt", "last", false, files);
    open.Write("new.txt", "top", true, files);
    EXPECT_EQ(files.files["new.txt"], "top\r\nfirst\r\nlast\r\n");
    open.Write("new.txt", "m1\r\nm2", false, files);
    EXPECT_EQ(files.files["new.txt"], "top\r\nfirst\r\nlast\r\nm1\r\nm2\r\n");

    files.files["lf.txt"] = "a\nb"; // loaded as lines, saved with CR LF
    open.Write("lf.txt", "", false, files);
    EXPECT_EQ(files.files["lf.txt"], "a\r\nb\r\n\r\n");
}

TEST(TextFiles, WriteToTheFileBeingReadRestartsTheReadFromTheTop)
{
    FakeFiles files;
    files.files["f"] = "1\r\n2\r\n";
    TOpenTextFile open;
    RunSteps(open, files, {{"f", false, true, "1", false}});
    open.Write("F", "3", false, files); // other letter case, same file
    EXPECT_FALSE(open.IsOpen());
    files.files["F"] = files.files["f"] + "3\r\n"; // the fake is case-sensitive
    RunSteps(open, files, {{"f", false, true, "1", false}});
}

// A failed save, and a file that is there but cannot be read (its lines would be lost):
// run errors naming the file and the reason; the file keeps its contents.
TEST(TextFiles, WriteFailureIsARunErrorNamingTheFile)
{
    struct Case {
        bool failWrites;
        const char* unreadable; // the reason, or null
        const char* reason;
    };
    for (const Case& c : {Case{true, nullptr, "Access is denied."},
                          Case{false, "the file is too large to be read", "too large"}}) {
        FakeFiles files;
        files.failWrites = c.failWrites;
        files.files["C:\\locked.txt"] = "kept\r\n";
        if (c.unreadable)
            files.unreadable["C:\\locked.txt"] = c.unreadable;
        TOpenTextFile open;
        try {
            open.Write("C:\\locked.txt", "x", false, files);
            ADD_FAILURE() << "no error: " << c.reason;
        } catch (const ScriptError& e) {
            EXPECT_NE(std::string(e.what()).find("C:\\locked.txt"), std::string::npos);
            EXPECT_NE(std::string(e.what()).find(c.reason), std::string::npos) << e.what();
        }
        EXPECT_EQ(files.files["C:\\locked.txt"], "kept\r\n") << c.reason;
    }
}

} // namespace
} // namespace ovd
