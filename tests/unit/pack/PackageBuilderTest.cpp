#include <gtest/gtest.h>

#include <cstdlib>

#include "CompiledScript.h"
#include "EngineMessages.h"
#include "FormBinaryWriter.h"
#include "FormFile.h"
#include "PackTestFiles.h"
#include "PackageBuilder.h"
#include "PeImage.h"
#include "WebMediaPassword.h"

using namespace ovd;
using namespace ovd::pack;
using namespace packtest;
namespace fs = std::filesystem;

namespace {

struct Package {
    fs::path root, source, out;
    TPackOptions options;
};

// A package source with a script, support files, a picture, data and a database source.
Package MakePackage(const std::string& name, bool withWxs)
{
    Package p;
    p.root = Scratch(name);
    p.source = p.root / "src";
    p.out = p.root / "out";
    std::string script =
        "name demo\ntitle Demo\nline Display Dialog | Welcome\nline Comment | \"$\"\n";
    if (withWxs) {
        script += "line Install Files | *.*\n  .header 0000AB01\n  .components Main\n";
    }
    Write(p.source / "setup.ovds", script);
    Write(p.source / "support/Welcome.dfm", "object Welcome: TForm\nend\n");
    Write(p.source / "support/plugins/.hidden", "dot files are carried too");
    Write(p.source / "setup.bmp", "BM");
    Write(p.source / "data/block.7z", "x");
    if (withWxs) {
        Write(p.source / "payload.txt", "payload\n");
        Write(p.source / "demo.wxs", R"(<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{6E4C2A10-0D55-4A58-9C7B-1F2A3B4C5D71}" Name="Pack Test" Language="1033"
           Version="1.0.0" Manufacturer="Veldmark" UpgradeCode="{6E4C2A10-0D55-4A58-9C7B-1F2A3B4C5D72}">
    <Package InstallerVersion="200" Compressed="yes"/>
    <Media Id="1" Cabinet="p.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="PackTest">
          <Component Id="Main" Guid="{6E4C2A10-0D55-4A58-9C7B-1F2A3B4C5D73}">
            <File Id="Payload" Name="payload.txt" Source="payload.txt" KeyPath="yes"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Complete" Level="1"><ComponentRef Id="Main"/></Feature>
  </Product>
</Wix>
)");
    } else {
        Write(p.source / "product.msi", "not really a database");
    }
    // Engine and library each carry an old overlay that must not survive.
    Write(p.root / "ordovan.exe", TinyImage() + "OLD SCRIPT");
    Write(p.root / "ovd.lib", TinyImage() + "OLD LANGUAGE");
    p.options.engine = p.root / "ordovan.exe";
    p.options.lib = p.root / "ovd.lib";
    p.options.sourceDir = p.source;
    p.options.outDir = p.out;
    return p;
}

std::string Overlay(const fs::path& image)
{
    std::string bytes = Read(image);
    auto stub = PeStubSize(bytes);
    return stub ? bytes.substr(*stub) : "not an image";
}

int Shell(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

} // namespace

TEST(PackageBuilder, WritesEveryPartOfASetup)
{
    Package p = MakePackage("full", true);
    BuildPackage(p.options);

    TCompiledScript s;
    auto loaded = LoadCompiledScript(Overlay(p.out / "demo.exe"), s);
    ASSERT_TRUE(loaded.ok) << loaded.error;
    EXPECT_EQ(s.ProductTitle, "Demo");
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[0], 1), "Welcome");
    EXPECT_EQ(GetScriptParameter(s.ParameterLists, s.CommandIds[1], 1), "$");
    EXPECT_EQ(Read(p.out / "demo.exe").substr(0, 0x400), TinyImage());

    // The archive is a real 7z holding the support folder with its relative paths.
    EXPECT_EQ(Shell("7zz t " + (p.out / "demo.res").string()), 0);
    EXPECT_EQ(Shell("7zz l -slt " + (p.out / "demo.res").string() +
                    " | grep -x 'Path = plugins/.hidden'"),
              0);
    EXPECT_EQ(
        Shell("msiinfo export " + (p.out / "demo.msi").string() + " File | grep -q payload.txt"),
        0);
    // The line's component installs only once the line has run.
    EXPECT_EQ(Shell("msiinfo export " + (p.out / "demo.msi").string() +
                    " Component | grep -q 'A0000AB01=\"TRUE\"'"),
              0);

    EXPECT_EQ(Overlay(p.out / "ovd.lib"), DefaultLanguageFileText());
    ResetEngineMessages();
    EXPECT_EQ(LoadEngineMessagesFromText(Overlay(p.out / "ovd.lib"), "German"), 1);
    EXPECT_EQ(Read(p.out / "setup.bmp"), "BM");
    EXPECT_EQ(Read(p.out / "data/block.7z"), "x");

    // A component the database does not hold is an error.
    Write(p.source / "setup.ovds", "line Install Files | a\n.components Nowhere\n");
    EXPECT_THROW(BuildPackage(p.options), EPackError);
}

TEST(PackageBuilder, BrokenPackagesForFailureTests)
{
    Package p = MakePackage("broken", false);
    Write(p.source / "lang.loc", "custom language file\r\n");
    Write(p.source / "support/x.txt", "");
    BuildPackage(p.options); // a complete build first: its leftovers must go
    EXPECT_EQ(Read(p.out / "demo.msi"), "not really a database");
    EXPECT_EQ(Overlay(p.out / "ovd.lib"), "custom language file\r\n");

    p.options.noRes = true;
    p.options.noMsi = true;
    p.options.noLang = true;
    p.options.truncateScript = 30;
    BuildPackage(p.options);
    EXPECT_FALSE(fs::exists(p.out / "demo.res"));
    EXPECT_FALSE(fs::exists(p.out / "demo.msi"));
    EXPECT_EQ(Overlay(p.out / "ovd.lib"), "");
    const std::string script = Overlay(p.out / "demo.exe");
    EXPECT_EQ(script.size(), 30u);
    TCompiledScript s;
    EXPECT_FALSE(LoadCompiledScript(script, s).ok);

    p.options = MakePackage("broken2", false).options;
    p.options.noScript = true;
    p.options.badRes = true;
    p.options.lib.clear();
    BuildPackage(p.options);
    EXPECT_EQ(Read(p.options.outDir / "demo.exe"), TinyImage());
    EXPECT_NE(Shell("7zz t " + (p.options.outDir / "demo.res").string()), 0);
    EXPECT_FALSE(fs::exists(p.options.outDir / "ovd.lib"));

    p.options.badRes = false;
    p.options.truncateScript = 1u << 20;
    EXPECT_THROW(BuildPackage(p.options), EPackError);
}

TEST(PackageBuilder, EmptySupportFolderGivesAnEmptyArchive)
{
    Package p = MakePackage("empty", false);
    fs::remove_all(p.source / "support");
    BuildPackage(p.options);
    EXPECT_EQ(Shell("7zz t " + (p.out / "demo.res").string()), 0);
    EXPECT_EQ(Read(p.out / "demo.res").size(), 32u);
}

TEST(PackageBuilder, RefusesWhatWouldBuildAWrongPackage)
{
    Package p = MakePackage("refuse", false);
    TPackOptions o = p.options;
    o.outDir = o.sourceDir;
    EXPECT_THROW(BuildPackage(o), EPackError);

    o = p.options;
    Write(p.root / "notpe.exe", "MZ but nothing else");
    o.engine = p.root / "notpe.exe";
    EXPECT_THROW(BuildPackage(o), EPackError);

    o = p.options;
    o.name = "../escape";
    EXPECT_THROW(BuildPackage(o), EPackError);

    // A data folder that no earlier build made is left alone; one beside a build goes.
    o = p.options;
    o.outDir = p.root / "elsewhere";
    Write(o.outDir / "data" / "keep.txt", "mine");
    EXPECT_THROW(BuildPackage(o), EPackError);
    EXPECT_TRUE(fs::exists(o.outDir / "data" / "keep.txt"));
    fs::remove_all(o.outDir / "data");
    EXPECT_NO_THROW(BuildPackage(o));
    Write(o.outDir / "web" / "stale.7zip", "old");
    EXPECT_NO_THROW(BuildPackage(o));
    EXPECT_FALSE(fs::exists(o.outDir / "web" / "stale.7zip"));

    o = p.options;
    Write(p.source / "second.msi", "");
    EXPECT_THROW(BuildPackage(o), EPackError);
    fs::remove(p.source / "second.msi");
    fs::remove(p.source / "product.msi");
    EXPECT_THROW(BuildPackage(o), EPackError); // no database source at all
    o.noMsi = true;
    EXPECT_NO_THROW(BuildPackage(o));
}

// A dialog travels as text unless the source names it binary (or --binary-forms): then a
// text form is converted and a binary one is carried as it is.
TEST(PackageBuilder, CarriesDialogsAsTextOrBinary)
{
    Package p = MakePackage("forms", false);
    const std::string welcome = Read(p.source / "support/Welcome.dfm");
    const std::string finishBinary = WriteBinaryForm(LoadForm("object Finish: TForm\nend\n"));
    Write(p.source / "support/Finish.dfm", finishBinary);
    Write(p.source / "support/sub/Other.dfm", "object Other: TForm\nend\n");
    const fs::path unpacked = p.root / "unpacked";
    auto extract = [&] {
        fs::remove_all(unpacked);
        EXPECT_EQ(Shell("7zz x -y -o" + unpacked.string() + " " + (p.out / "demo.res").string()),
                  0);
    };

    BuildPackage(p.options);
    extract();
    EXPECT_EQ(Read(unpacked / "Welcome.dfm"), welcome);
    EXPECT_EQ(Read(unpacked / "Finish.dfm"), finishBinary);

    Write(p.source / "setup.ovds", Read(p.source / "setup.ovds") + "binary-form Welcome\n");
    BuildPackage(p.options);
    extract();
    EXPECT_EQ(Read(unpacked / "Welcome.dfm"), WriteBinaryForm(LoadForm(welcome)));
    EXPECT_EQ(Read(unpacked / "sub/Other.dfm"), "object Other: TForm\nend\n");
    EXPECT_EQ(Read(p.source / "support/Welcome.dfm"), welcome); // the source stays text

    p.options.binaryForms = true;
    BuildPackage(p.options);
    extract();
    EXPECT_EQ(Read(unpacked / "Finish.dfm"), finishBinary);
    EXPECT_EQ(Read(unpacked / "sub/Other.dfm"),
              WriteBinaryForm(LoadForm(Read(p.source / "support/sub/Other.dfm"))));

    // A form that cannot be converted, or is not there, stops the build.
    Write(p.source / "support/sub/Other.dfm", "object Other: TForm\n");
    try {
        BuildPackage(p.options);
        ADD_FAILURE();
    } catch (const EPackError& e) {
        EXPECT_STREQ(e.what(), "support/sub/Other.dfm: line 2: unexpected end of the form: "
                               "expected a property, \"object\" or \"end\"");
    }
    p.options.binaryForms = false;
    for (const char* name : {"Missing", "../support/Welcome", "/etc/Welcome"}) {
        Write(p.source / "setup.ovds", std::string("binary-form ") + name + "\n");
        EXPECT_THROW(BuildPackage(p.options), EPackError) << name;
    }
}

// Recording lines without ".components" get rows of their own, each switched by its line.
TEST(PackageBuilder, CompilesTheRecordingCommandsIntoTheDatabase)
{
    const fs::path root = Scratch("rows");
    const fs::path source = root / "src";
    Write(source / "files/a.txt", "a");
    Write(source / "files/deep/b.txt", "b");
    Write(source / "setup.ovds",
          "title Rows\nproduct-code {5A1B2C3D-0000-4000-8000-0000000000B1}\n"
          "line Install Files | files | \"\" | $APPDIR$\n  .header 0000B001\n"
          "line Create Folder | $APPDIR$\\empty\n  .header 0000B002\n"
          "line Write Registry | 2 | Software\\Rows | Where | $APPDIR$ | \"\"\n"
          "  .header 0000B003\n"
          "line Create Shortcut | $APPDIR$\\a.txt | Reader | $MENU$ | Reads\n"
          "  .header 0000B004\n");
    Write(root / "ordovan.exe", TinyImage());
    TPackOptions o;
    o.engine = root / "ordovan.exe";
    o.sourceDir = source;
    o.outDir = root / "out";
    BuildPackage(o);
    const std::string msi = (o.outDir / "setup.msi").string();
    auto has = [&](const std::string& table, const std::string& row) {
        return Shell("msiinfo export " + msi + " " + table + " | grep -qF '" + row + "'") == 0;
    };
    // The folder comes from the line's field property; the files keep their tree.
    EXPECT_TRUE(has("Directory", "P0000B001_1\tTARGETDIR"));
    EXPECT_TRUE(has("Directory", "\tP0000B001_1\tdeep"));
    EXPECT_TRUE(has("File", "b.txt"));
    // Each line's rows are its own feature, which a maintenance run can name for removal.
    EXPECT_TRUE(has("Component", "A0000B001=\"TRUE\" OR REMOVE~=\"ALL\" OR REMOVE><\"L0000B001\""));
    EXPECT_TRUE(has("FeatureComponents", "L0000B001\tC0000B001_1"));
    EXPECT_TRUE(has("FeatureComponents", "L0000B004\tC0000B004_1"));
    EXPECT_FALSE(has("FeatureComponents", "L0000B001\tC0000B002_1"));
    EXPECT_TRUE(has("CreateFolder", "P0000B002_1"));
    EXPECT_TRUE(has("Registry", "Software\\Rows\tWhere\t[P0000B003_2]"));
    EXPECT_TRUE(has("Shortcut", "Reader\tC0000B004_1\t[P0000B004_2]"));

    // Files outside the source folder are refused.
    Write(source / "setup.ovds", "line Install Files | ../x | \"\" | C:\\x\n");
    EXPECT_THROW(BuildPackage(o), EPackError);
}

// The tables wixl does not write: services, ODBC and assemblies are read back from the
// built database (Wine's installer cannot apply them), with their actions sequenced.
TEST(PackageBuilder, CompilesServiceOdbcAndAssemblyRows)
{
    const fs::path root = Scratch("tables");
    const fs::path source = root / "src";
    Write(source / "bin/svc.exe", "service");
    Write(source / "bin/drv.dll", "driver");
    Write(source / "bin/drvsetup.dll", "driver setup");
    Write(source / "bin/Lib.dll", "assembly");
    Write(
        source / "setup.ovds",
        "title Tables\nproduct-code {5A1B2C3D-0000-4000-8000-0000000000C1}\n"
        "line Install Service | bin\\svc.exe | OvdSvc | \"shared interactive\" | Ovd Service"
        " | Serves | $APPDIR$\\svc | auto | critical | Group | \"RpcSs~Tcpip\" | | | .\\svc |"
        " $PW$ | -run\n  .header 0000D001\n"
        "line Control Service | $SVC$ | -x | \"start, stop\" | remove | TRUE\n"
        "  .header 0000D002\n"
        "line Create ODBC DSN | OvdData | Ovd Driver | user | \"DBQ=x.db;Mode=ro\"\n"
        "  .header 0000D003\n"
        "line Install ODBC Driver | Ovd Driver | bin\\drv.dll | bin\\drvsetup.dll | $APPDIR$\\odbc"
        " | APILevel=1\n  .header 0000D004\n"
        "line Install Assembly | bin\\Lib.dll | Ovd.Lib | $APPDIR$\\gac | 1.2.0.0 | \"\" |"
        " 0123456789abcdef\n  .header 0000D005\n");
    Write(root / "ordovan.exe", TinyImage());
    TPackOptions o;
    o.engine = root / "ordovan.exe";
    o.sourceDir = source;
    o.outDir = root / "out";
    BuildPackage(o);
    const std::string msi = (o.outDir / "setup.msi").string();
    struct Row {
        const char* table;
        const char* row;
    };
    const Row rows[] = {
        {"ServiceInstall", "W0000D001\t[P0000D001_1]\t[P0000D001_2]\t288\t2\t3\t[P0000D001_4]\t"
                           "RpcSs[~]Tcpip\t[P0000D001_6]\t[P0000D001_7]\t[P0000D001_8]\t"
                           "C0000D001_1\t[P0000D001_3]"},
        {"Directory", "P0000D001_9\tTARGETDIR"},
        {"ServiceControl", "V0000D002\t[P0000D002_1]\t131\t[P0000D002_2]\t1\tC0000D002_1"},
        {"ODBCDataSource", "O0000D003\tC0000D003_1\tOvdData\tOvd Driver\t1"},
        {"ODBCSourceAttribute", "O0000D003\tMode\tro"},
        {"ODBCSourceAttribute", "O0000D003\tDBQ\tx.db"},
        {"ODBCDriver", "O0000D004\tC0000D004_1\tOvd Driver\tF0000D004_2\tF0000D004_3"},
        {"ODBCAttribute", "O0000D004\tAPILevel\t1"},
        {"MsiAssembly", "C0000D005_1\tL0000D005\tF0000D005_4\t\t0"},
        {"MsiAssemblyName", "C0000D005_1\tPublicKeyToken\t0123456789abcdef"},
        {"MsiAssemblyName", "C0000D005_1\tCulture\tneutral"},
        {"Component", "A0000D004=\"TRUE\" OR REMOVE~=\"ALL\""},
        {"InstallExecuteSequence", "InstallServices\tVersionNT\t5800"},
        {"InstallExecuteSequence", "InstallODBC\t\t5400"},
        {"InstallExecuteSequence", "MsiPublishAssemblies\t\t6250"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Shell("msiinfo export " + msi + " " + r.table + " | grep -qF '" + r.row + "'"), 0)
            << r.table << ": " << r.row;
    }
}

TEST(PackageBuilder, RefusesChangeLinesTheRowsCannotHold)
{
    const fs::path root = Scratch("badrows");
    const fs::path source = root / "src";
    Write(source / "app.exe", "x");
    Write(root / "ordovan.exe", TinyImage());
    TPackOptions o;
    o.engine = root / "ordovan.exe";
    o.sourceDir = source;
    o.outDir = root / "out";
    const char* const lines[] = {
        "line Delete Files | $APPDIR$\\$NAME$ | TRUE",
        "line Edit INI File | $APPDIR$\\a.ini | replace | | S | K | V",
        "line Set Environment | \"\" | x",
        "line Set Environment | PATH | x | insert",
        "line Control Service | svc | | pause",
        "line Install Service | app.exe | svc | | | | C:\\x | sometimes",
        "line Advertised File Type | Ovd.Doc | \"\" | Doc | app.exe",
        "line Advertised Shortcut | ..\\app.exe | App | C:\\Menu",
        "line Create ODBC DSN | Name | Driver | everyone",
        "line Install ODBC Driver | Driver | missing.dll | | C:\\x",
        "line Install ODBC Driver | Driver | app.exe | | C:\\x | NoEquals",
    };
    for (const char* line : lines) {
        Write(source / "setup.ovds", std::string(line) + "\n");
        EXPECT_THROW(BuildPackage(o), EPackError) << line;
    }
}

// A web media build: each block's folder becomes OUTDIR/web/NAME.7zip holding NAME\..., a
// block's password opens it (and is stored scrambled, never as plain text), and an
// "Install Files" line of a block copies its files from the block's folder below SRCDIR.
TEST(PackageBuilder, BuildsWebMediaBlocksAndTheRowsThatCopyFromThem)
{
    const fs::path root = Scratch("webmedia");
    const fs::path source = root / "src";
    Write(source / "blocks/one/a.txt", "a");
    Write(source / "blocks/one/deep/b.txt", "b");
    Write(source / "blocks/two/c.txt", "c");
    Write(source / "setup.ovds",
          "title Web\nproduct-code {5A1B2C3D-0000-4000-8000-0000000000C1}\nbuild-mode 2\n"
          "web-media-block ONE | blocks/one\n"
          "web-media-block TWO | blocks/two | s3cret\n"
          "line Web Media Block | ONE | http://localhost/ONE.7zip\n"
          "line Install Files | blocks/one | \"\" | $APPDIR$\n  .header 0000C001\n"
          "  .web-media ONE\\\n"
          "line Install Files | blocks/two/*.txt | \"\" | $APPDIR$\\two\n  .header 0000C002\n"
          "  .web-media TWO\\\n");
    Write(root / "ordovan.exe", TinyImage());
    TPackOptions o;
    o.engine = root / "ordovan.exe";
    o.sourceDir = source;
    o.outDir = root / "out";
    o.dumpScript = root / "script.txt";
    BuildPackage(o);
    const std::string web = (o.outDir / "web").string();
    struct Case {
        std::string command;
        bool succeeds;
    } cases[] = {
        {"7zz l -slt " + web + "/ONE.7zip | grep -qx 'Path = ONE/deep/b.txt'", true},
        {"7zz t -pwrong " + web + "/TWO.7zip", false},
        {"7zz l -slt -ps3cret " + web + "/TWO.7zip | grep -qx 'Path = TWO/c.txt'", true},
        {"grep -q s3cret " + (root / "script.txt").string(), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Shell(c.command) == 0, c.succeeds) << c.command;

    TCompiledScript script;
    ASSERT_TRUE(LoadCompiledScript(Read(root / "script.txt"), script).ok);
    ASSERT_EQ(script.WebMediaPasswords.Count(), 2u);
    EXPECT_EQ(UnscrambleWebMediaPassword(GetWebMediaPassword(script, "two"), "TWO"), "s3cret");

    const std::string msi = (o.outDir / "setup.msi").string();
    auto has = [&](const std::string& table, const std::string& row) {
        return Shell("msiinfo export " + msi + " " + table + " | grep -qF '" + row + "'") == 0;
    };
    EXPECT_FALSE(has("File", "a.txt")); // not in the cabinet: the block carries it
    EXPECT_TRUE(has("CustomAction", "SW0000C001_1\t51\tW0000C001_1\t[SRCDIR]ONE\\"));
    EXPECT_TRUE(has("CustomAction", "SW0000C001_2\t51\tW0000C001_2\t[SRCDIR]ONE\\deep\\"));
    EXPECT_TRUE(has("MoveFile", "b.txt\t\tW0000C001_2\tD0000C001_1\t0"));
    EXPECT_TRUE(has("MoveFile", "c.txt\t\tW0000C002_1\tP0000C002_1\t0"));
    EXPECT_TRUE(has("Directory", "D0000C001_1\tP0000C001_1\tdeep"));
    EXPECT_TRUE(has("RemoveFile", "b.txt\tD0000C001_1\t2")); // removed with the product

    // A line naming a block that is not defined, or files outside its block, is refused.
    for (const char* line : {"line Install Files | blocks/one | \"\" | C:\\x\n  .header 0000C003\n"
                             "  .web-media NONE\\\n",
                             "line Install Files | blocks/two | \"\" | C:\\x\n  .header 0000C003\n"
                             "  .web-media ONE\\\n"}) {
        Write(source / "setup.ovds", std::string("build-mode 2\nweb-media-block ONE | blocks/one\n"
                                                 "web-media-block TWO | blocks/two\n") +
                                         line);
        EXPECT_THROW(BuildPackage(o), EPackError) << line;
    }
}
