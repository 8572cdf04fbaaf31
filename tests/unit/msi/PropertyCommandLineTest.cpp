// The installer property line of each operation, exactly as handed to the installer.
#include "PropertyCommandLine.h"

#include "PropertyTable.h"
#include "SourceList.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TCommandLineFacts Facts(InstallerOperation operation)
{
    TCommandLineFacts f;
    f.Operation = operation;
    f.AllUsers = "TRUE";
    f.InstallLocation = "C:\\Program Files\\App\\";
    f.Paths.MsiDir = "C:\\SETUP\\";
    f.Paths.DataDir = "C:\\SETUP\\DATA\\";
    f.Paths.MediaDir = MediaDirectoryOf(f.Paths.DataDir);
    f.Paths.SourceDir = f.Paths.DataDir;
    return f;
}

const std::string kTail = "SRCDIR=C:\\SETUP\\DATA\\ SOURCELIST=C:\\SETUP\\DATA\\;C:\\SETUP\\ "
                          "MEDIAPACKAGEPATH=\\SETUP\\ REBOOT=R ";
const std::string kArp = "ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 ARPNOREPAIR=1 "
                         "ARPINSTALLLOCATION=\"C:\\Program Files\\App\\\" ";

TEST(PropertyCommandLine, EachOperation)
{
    struct Case {
        const char* name;
        TCommandLineFacts facts;
        std::string line;
    };
    auto with = [](TCommandLineFacts f, auto change) {
        change(f);
        return f;
    };
    const Case cases[] = {
        {"fresh install", Facts(InstallerOperation::Install),
         "ADDLOCAL=ALL ALLUSERS=1 " + kArp + kTail},
        {"lower-case true is not TRUE",
         with(Facts(InstallerOperation::Install), [](auto& f) { f.AllUsers = "true"; }),
         "ADDLOCAL=ALL ALLUSERS=\"\" " + kArp + kTail},
        {"rollback and restart manager off",
         with(Facts(InstallerOperation::Install),
              [](auto& f) { f.DisableRollback = f.DisableRestartManager = true; }),
         "ADDLOCAL=ALL ALLUSERS=1 DISABLEROLLBACK=1 MSIRESTARTMANAGERCONTROL=Disable " + kArp +
             kTail},
        {"reinstall",
         with(Facts(InstallerOperation::Install), [](auto& f) { f.ProductInstalled = true; }),
         "REINSTALL=ALL REINSTALLMODE=vomus ALLUSERS=1 " + kArp + kTail},
        {"install over an advertised product",
         with(Facts(InstallerOperation::Install),
              [](auto& f) { f.ProductInstalled = f.CacheAdvertised = true; }),
         "ADDLOCAL=ALL ADVERTISE=\"\" ALLUSERS=1 " + kArp + kTail},
        {"advertise", Facts(InstallerOperation::Advertise),
         "ADVERTISE=ALL ALLUSERS=1 " + kArp + kTail},
        {"uninstall", Facts(InstallerOperation::Uninstall),
         "REMOVE=ALL ALLUSERS=1 ALLUSERS=1 REMOVE=ALL " + kTail},
        {"quoted data folder",
         with(Facts(InstallerOperation::Uninstall), [](auto& f) { f.Paths.QuoteData = true; }),
         "REMOVE=ALL ALLUSERS=1 ALLUSERS=1 REMOVE=ALL SRCDIR=\"C:\\SETUP\\DATA\\\" "
         "SOURCELIST=\"C:\\SETUP\\DATA\\;C:\\SETUP\\\" MEDIAPACKAGEPATH=\"\\SETUP\\\" REBOOT=R "},
        {"patch", Facts(InstallerOperation::Patch),
         "ADDLOCAL=ALL ALLUSERS=1 SRCDIR=C:\\SETUP\\DATA\\ SRCDIREX=C:\\SETUP\\DATA\\ "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PropertyCommandLine(c.facts), c.line) << c.name;
}

TEST(PropertyCommandLine, MediaDirectory)
{
    EXPECT_EQ(MediaDirectoryOf("C:\\App\\Data\\"), "\\App\\");
    EXPECT_EQ(MediaDirectoryOf("C:\\Data\\"), "\\");
    EXPECT_EQ(MediaDirectoryOf("Data\\"), "");
    TInstallerPaths p;
    p.DataDir = "C:\\D\\";
    p.MsiDir = "C:\\M\\";
    p.QuoteMsi = true;
    EXPECT_EQ(SourceListText(p), "\"C:\\D\\;C:\\M\\\"");
}

TEST(PropertyTable, StatementsAndTemplate)
{
    const auto statements = PropertyTableStatements({"P1_1", "AB"}, {"it's$NEWLINE$x", "TRUE"});
    ASSERT_EQ(statements.size(), 4u);
    EXPECT_EQ(statements[0], "INSERT INTO `Property` ( `Property` , `Value` ) VALUES ( 'P1_1' , "
                             "'it$QUOTE$s\r\nx' )");
    EXPECT_EQ(statements[1], "UPDATE `Property` SET `Value`='it$QUOTE$s\r\nx' WHERE "
                             "`Property`='P1_1'");
    EXPECT_EQ(TemplateForPlatform("Intel;1033", "Win32"), std::nullopt);
    EXPECT_EQ(TemplateForPlatform("Intel;1033", "x64"), "x64;1033");
    EXPECT_EQ(TemplateForPlatform("x64;1033,1031", "Win32"), "Intel;1033,1031");
    EXPECT_EQ(TemplateForPlatform("", "ia64"), "Intel64;");

    // Localized shortcuts: Name and Description by folder; a "'" leaves the triple out.
    EXPECT_EQ(ShortcutRenameStatements({"P0000A005_1", "Produc~1|Product Reader", "Reads",
                                        "P0000A006_1", "It's~1|It's", "x"}),
              (std::vector<std::string>{
                  "UPDATE `Shortcut` SET `Name`='Produc~1|Product Reader' WHERE "
                  "`Directory_`='P0000A005_1'",
                  "UPDATE `Shortcut` SET `Description`='Reads' WHERE `Directory_`='P0000A005_1'"}));
}

// File types: the description by the old ProgId; the key itself is not updated (the
// installer refuses that) but the row moved, and the rows naming it follow the move.
TEST(PropertyTable, ProgIdRenames)
{
    const struct {
        const char* what;
        std::vector<std::string> triples;
        std::vector<std::string> statements;
        std::vector<TProgIdMove> moves;
    } rows[] = {
        {"renamed",
         {"App.Doc", "Anw.Dok", "Dokument"},
         {"UPDATE `ProgId` SET `Description`='Dokument' WHERE `ProgId`='App.Doc'"},
         {{"App.Doc", "Anw.Dok"}}},
        {"the same name: the description only",
         {"App.Doc", "App.Doc", "Document"},
         {"UPDATE `ProgId` SET `Description`='Document' WHERE `ProgId`='App.Doc'"},
         {}},
        {"another case is another key",
         {"App.Doc", "app.doc", "d"},
         {"UPDATE `ProgId` SET `Description`='d' WHERE `ProgId`='App.Doc'"},
         {{"App.Doc", "app.doc"}}},
        {"no localized name: the file type keeps its own",
         {"App.Doc", "", "d"},
         {"UPDATE `ProgId` SET `Description`='d' WHERE `ProgId`='App.Doc'"},
         {}},
        {"a quote leaves the triple out", {"O'Doc", "x", "y", "A", "B", "it's"}, {}, {}},
        {"an incomplete triple is ignored", {"App.Doc", "Anw.Dok"}, {}, {}},
    };
    for (const auto& row : rows) {
        const TProgIdRenames renames = ProgIdRenameStatements(row.triples);
        EXPECT_EQ(renames.Statements, row.statements) << row.what;
        EXPECT_EQ(renames.Moves, row.moves) << row.what;
    }
    EXPECT_EQ(
        ProgIdReferenceStatements({"App.Doc", "Anw.Dok"}),
        (std::vector<std::string>{
            "UPDATE `Extension` SET `ProgId_`='Anw.Dok' WHERE `ProgId_`='App.Doc'",
            "UPDATE `ProgId` SET `ProgId_Parent`='Anw.Dok' WHERE `ProgId_Parent`='App.Doc'",
            "UPDATE `Class` SET `ProgId_Default`='Anw.Dok' WHERE `ProgId_Default`='App.Doc'"}));
}

TEST(SourceList, PackedCodeLastUsedSourceAndNetNames)
{
    EXPECT_EQ(PackedProductCode("{5A1B2C3D-0000-4000-8000-00000000A001}"),
              "D3C2B1A5000000040800000000000A10");
    EXPECT_EQ(PackedProductCode("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"),
              "87654321CBA90FED21436587A9CBED0F");
    for (const char* bad :
         {"", "12345678-9ABC-DEF0-1234-56789ABCDEF0", "{12345678-9ABC-DEF0-1234-56789ABCDEFG}",
          "{12345678+9ABC-DEF0-1234-56789ABCDEF0}"})
        EXPECT_EQ(PackedProductCode(bad), std::nullopt) << bad;

    EXPECT_EQ(LastUsedSourceValue("n;1;C:\\Old\\", "C:\\SETUP\\"), "n;1;C:\\SETUP\\");
    EXPECT_EQ(LastUsedSourceValue("C:\\Old\\", "C:\\SETUP\\"), "C:\\SETUP\\");

    using Names = std::pair<std::string, std::string>;
    EXPECT_EQ(NextNetSourceNames({}), (Names{"1", "2"}));
    EXPECT_EQ(NextNetSourceNames({"1", "7", "3", "x9", ""}), (Names{"8", "9"}));
}

} // namespace
} // namespace ovd
