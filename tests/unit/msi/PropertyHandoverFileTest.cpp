// The hand-over file the database's custom actions read.
#include "PropertyHandoverFile.h"

#include "InstallerLogHeader.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

THandoverInput Input()
{
    THandoverInput in;
    in.DataDir = "C:\\S\\DATA\\";
    in.MediaDir = "\\S\\";
    in.Properties = {"AHEAD0001", "TRUE", "PHEAD0001_1", "C:\\\\App\\\\$SUB$"};
    in.Variables = {"SUB", "bin", "TARGETDIR", "C:\\Gone\\", "PRODUCTNAME", "x", "REMOVE", "ALL"};
    in.Expand = [](std::string_view t) {
        std::string s(t);
        const auto at = s.find("$SUB$");
        return at == std::string::npos ? s : s.replace(at, 5, "bin");
    };
    in.Exists = [](const std::string& path) { return path == "C:\\App\\bin"; };
    return in;
}

TEST(PropertyHandoverFile, InstallUninstallAndPatch)
{
    const std::string common = "AHEAD0001\r\nTRUE\r\n$ex\r\nPHEAD0001_1\r\nC:\\App\\bin\r\n$ex\r\n"
                               "SUB\r\nbin\r\n$ex\r\n";
    THandoverInput install = Input();
    EXPECT_EQ(PropertyHandoverText(install),
              "SourceDir\r\nC:\\S\\DATA\\\r\n$ex\r\nMEDIAPACKAGEPATH\r\n\\S\\\r\n$ex\r\n" + common +
                  "TARGETDIR\r\nC:\\Gone\\\r\n$ex\r\n");

    // On removal a drive path that names nothing becomes the data directory.
    THandoverInput uninstall = Input();
    uninstall.Uninstall = true;
    EXPECT_NE(PropertyHandoverText(uninstall).find("TARGETDIR\r\nC:\\S\\DATA\\\r\n$ex\r\n"),
              std::string::npos);

    THandoverInput patch = Input();
    patch.Patch = patch.Uninstall = true;
    const std::string text = PropertyHandoverText(patch);
    EXPECT_EQ(
        text.rfind("SourceDir\r\nC:\\S\\DATA\\\r\n$ex\r\nSRCDIREX\r\nC:\\S\\DATA\\\r\n$ex\r\n", 0),
        0u);
    EXPECT_NE(text.find("TARGETDIR\r\nC:\\Gone\\\r\n"), std::string::npos);
}

// Every run has NEWLINE, and scripts keep multi-line texts: each entry stays three lines.
TEST(PropertyHandoverFile, MultiLineValuesStayOneLine)
{
    THandoverInput in = Input();
    in.Properties = {"NOTE", "a$NEWLINE$b"};
    in.Variables = {"NEWLINE", "\r\n", "TEXT", "one\r\ntwo\r\n"};
    in.Expand = [](std::string_view t) {
        return std::string(t) == "a$NEWLINE$b" ? std::string("a\r\nb") : std::string(t);
    };
    EXPECT_EQ(PropertyHandoverText(in),
              "SourceDir\r\nC:\\S\\DATA\\\r\n$ex\r\nMEDIAPACKAGEPATH\r\n\\S\\\r\n$ex\r\n"
              "NOTE\r\na$NEWLINE$b\r\n$ex\r\nNEWLINE\r\n$NEWLINE$\r\n$ex\r\n"
              "TEXT\r\none$NEWLINE$two$NEWLINE$\r\n$ex\r\n");
}

TEST(InstallerLogHeader, Sections)
{
    TInstallerLogFacts f;
    f.Caption = "Demo Setup";
    f.DateTime = "09.12.2026 07:00:00";
    f.Package = "C:\\S\\setup.msi";
    const std::string text = InstallerLogHeader(f);
    EXPECT_EQ(text.rfind("=== Demo Setup: Applying Changes @09.12.2026 07:00:00 ===\r\n\r\n"
                         "*** Variables ***\r\n\r\n\r\n*** Properties ***\r\n\r\n\r\n"
                         "*** MSI Database ***\r\nC:\\S\\setup.msi\r\n\r\n",
                         0),
              0u);
    EXPECT_TRUE(text.ends_with("*** MSI Directory ***\r\n\r\n\r\n\r\n"));

    using Lines = std::vector<std::string>;
    EXPECT_EQ(InstallerLogLines(""), Lines{});
    EXPECT_EQ(InstallerLogLines("a\nb\r\n\nlast"), (Lines{"a", "b", "", "last"}));
    EXPECT_EQ(InstallerLogLines("one\n"), Lines{"one"});
}

} // namespace
} // namespace ovd
