#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "AnsiCodePage.h"
#include "FormBinaryWriter.h"
#include "FormError.h"
#include "FormFile.h"
#include "FormLimits.h"
#include "FormTextWriter.h"

// Set by the build: the test forms, their binary streams made by "ovdform bin", the tool.
#ifndef OVD_FORMS_DATA
#error OVD_FORMS_DATA must name tests/unit/forms/data
#endif

using namespace ovd;

namespace {

const char* const kPages[] = {"Welcome", "Licence", "Folder", "Features", "Progress", "Finish"};

std::string Read(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string WithResourceHeader(const std::string& stream, const std::string& className)
{
    std::string out = "\xFF\x0A";
    out += '\0';
    for (char c : className) {
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    out += '\0';
    out += "\x30\x10";
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(stream.size() >> (8 * i));
    }
    return out + stream;
}

struct ToolRun {
    int exitCode;
    std::string out, err;
};

ToolRun Tool(const std::string& args)
{
    const std::string dir = std::getenv("OVD_TEST_OUT") ? std::getenv("OVD_TEST_OUT") : "/tmp";
    const std::string out = dir + "/ovdform.out", err = dir + "/ovdform.err";
    const int status =
        std::system((std::string(OVD_FORMS_TOOL) + " " + args + " >" + out + " 2>" + err).c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(out), Read(err)};
}

} // namespace

// The wizard pages are written in the canonical rendering; their binary streams (made by
// ovdform bin at build time) and the same streams behind a resource header load to the
// tree of the text.
TEST(FormFile, WizardPagesInEveryForm)
{
    for (const char* page : kPages) {
        SCOPED_TRACE(page);
        const std::string textPath = std::string(OVD_FORMS_DATA) + "/" + page + ".dfm";
        const std::string text = Read(textPath);
        const TFormComponent tree = ReadFormFile(textPath);
        EXPECT_EQ(tree.Name, page);
        EXPECT_EQ(RenderForm(tree), text);

        const std::string binary = Read(std::string(OVD_FORMS_BIN) + "/" + page + ".dfm");
        EXPECT_EQ(binary, WriteBinaryForm(tree));
        EXPECT_EQ(LoadForm(binary), tree);
        EXPECT_EQ(LoadForm(WithResourceHeader(binary, tree.ClassName)), tree);
    }
}

// A form cut short anywhere gives an error at or before the cut, never a crash or a tree.
TEST(FormFile, TruncationAtEveryOffset)
{
    const std::string binary = Read(std::string(OVD_FORMS_BIN) + "/Finish.dfm");
    const std::string framed = WithResourceHeader(binary, "TPOOLTEMPLATE");
    for (const std::string* bytes : {&binary, &framed}) {
        for (std::size_t n = 0; n < bytes->size(); ++n) {
            try {
                LoadForm(std::string_view(*bytes).substr(0, n));
                ADD_FAILURE() << "loaded a form cut at " << n;
            } catch (const EFormError& e) {
                if (e.Place() == EFormError::TPlace::Offset) {
                    EXPECT_LE(e.Where(), n);
                }
            }
        }
    }
    const std::string text = Read(std::string(OVD_FORMS_DATA) + "/Finish.dfm");
    for (std::size_t n = 0; n + 1 < text.size(); n += 7) {
        EXPECT_THROW(LoadForm(std::string_view(text).substr(0, n)), EFormError) << n;
    }
}

TEST(FormFile, UnreadableAndOversizedFiles)
{
    try {
        ReadFormFile("/nonexistent/Welcome.dfm");
        ADD_FAILURE();
    } catch (const EFormError& e) {
        EXPECT_STREQ(e.what(), "/nonexistent/Welcome.dfm: cannot read the file");
    }
    const std::string big(kMaxFormFileSize + 1, ' ');
    TFormReadOptions options;
    options.FileName = "Big.dfm";
    EXPECT_THROW(LoadForm(big, options), EFormError);
}

TEST(FormFile, OvdformTool)
{
    const std::string dir = std::getenv("OVD_TEST_OUT") ? std::getenv("OVD_TEST_OUT") : "/tmp";
    const std::string welcome = std::string(OVD_FORMS_DATA) + "/Welcome.dfm";
    const std::string bin = dir + "/Welcome.bin.dfm";

    ToolRun dump = Tool("dump " + welcome);
    EXPECT_EQ(dump.exitCode, 0);
    EXPECT_EQ(dump.out, Read(welcome));

    EXPECT_EQ(Tool("bin " + welcome + " " + bin).exitCode, 0);
    ToolRun again = Tool("dump " + bin);
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.out, dump.out);

    const std::string broken = dir + "/Broken.dfm";
    std::ofstream(broken) << "object A: T\n  P = 'open\nend\n";
    ToolRun bad = Tool("dump " + broken);
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "ovdform: " + broken + ": line 2: unterminated string\n");
    EXPECT_EQ(Tool("bin " + broken + " " + dir + "/never.dfm").exitCode, 1);

    EXPECT_EQ(Tool("dump").exitCode, 2);
    EXPECT_EQ(Tool("convert " + welcome).exitCode, 2);
}

TEST(AnsiCodePage, Windows1252RoundTripsEveryByteAndMarksTheRest)
{
    const TAnsiCodePage& page = Windows1252();
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(page.FromUtf16(page.ToUtf16(all)), all);
    EXPECT_EQ(page.ToUtf16("\x80\x9F\xE9"), u"\u20AC\u0178\u00E9");
    EXPECT_EQ(page.FromUtf16(u"\u0416\U0001F600\xD800x"), "???x");

    struct Case {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", u"a\u00E9\u20AC\U0001F600"},
        {"\xC3", u"\xFFFD"},             // cut short
        {"\xC0\xAF", u"\xFFFD"},         // overlong
        {"\xED\xA0\x80", u"\xFFFD"},     // a surrogate
        {"\xF4\x90\x80\x80", u"\xFFFD"}, // beyond U+10FFFF
        {"\xE2\x82x", u"\xFFFDx"},       // broken in the middle
        {"\x80z", u"\xFFFDz"},           // a lone continuation byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16) << c.utf8;
    }
}
