// A product's life cycle through real setups built by ovdpack, under Wine with the real
// installer: the first installation fills and registers the engine cache; the uninstall
// entry's commands start the cached engine in maintenance (the saved choices and
// persisted variables back), modify, repair; the media run again while installed is a new
// instance; the next revision is an upgrade that takes the old choices; removal through
// the uninstall entry takes the product, the cache, the entry and the key. Per machine and
// per user.
#include "ovdtest.h"

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr const char* kProductCode = "{5A1B2C3D-0000-4000-8000-00000000B001}";
constexpr const char* kRevision = "{5A1B2C3D-0000-4000-8000-00000000B002}";
constexpr const char* kNextRevision = "{5A1B2C3D-0000-4000-8000-00000000B003}";
constexpr const char* kTitle = "Ordovan Lifecycle Test";
const std::string kEntry =
    std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\") + kTitle;
const std::string kIdent = std::string("SOFTWARE\\Veldmark\\Ordovan\\Ident.Cache\\") + kProductCode;
constexpr auto kView = ovdtest::RegView::View32;

std::string Package(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\setup.exe";
}

bool Installed()
{
    return MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT;
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::string FirstLine(const std::string& text, std::size_t skip = 0)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < skip && start != std::string::npos; ++i) {
        start = text.find('\n', start);
        if (start != std::string::npos)
            ++start;
    }
    if (start == std::string::npos)
        return {};
    std::string line = text.substr(start, text.find('\n', start) - start);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

struct Scope {
    const char* name;
    bool perMachine;
};

class Lifecycle : public ::testing::TestWithParam<Scope> {
protected:
    void SetUp() override
    {
        work_ = ovdtest::PrepareRunFolder(std::string("lifecycle_") + GetParam().name);
        app_ = work_ + "\\app";
        out_ = work_ + "\\result.txt";
        log_ = work_ + "\\trace.log";
        root_ = GetParam().perMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        other_ = GetParam().perMachine ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        const std::string base =
            ShellFolder(GetParam().perMachine ? CSIDL_COMMON_APPDATA : CSIDL_LOCAL_APPDATA);
        cache_ = base + "\\" + kRevision + "\\";
        nextCache_ = base + "\\" + kNextRevision + "\\";
        MsiSetInternalUI(INSTALLUILEVEL_NONE, nullptr);
        RemoveLeftovers();
    }
    void TearDown() override { RemoveLeftovers(); }

    void RemoveLeftovers()
    {
        if (Installed())
            MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                                   "REMOVE=ALL");
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            RegDeleteKeyExA(root, kEntry.c_str(), KEY_WOW64_32KEY, 0);
            RegDeleteKeyExA(root, kIdent.c_str(), KEY_WOW64_32KEY, 0);
        }
        for (const std::string& cache : {cache_, nextCache_}) {
            const std::string command = "cmd.exe /c rd /s /q \"" + cache + "\"";
            ovdtest::RunProgram(command, 30000);
        }
    }

    // Runs a command line silently with the test's output file; the lines it wrote.
    std::string Run(const std::string& commandLine)
    {
        DeleteFileA(out_.c_str());
        DeleteFileA(log_.c_str());
        const auto result = ovdtest::RunProgram(
            commandLine + " /s \"/l=" + log_ + "\" \"OUTFILE=" + out_ + "\"", 180000);
        EXPECT_FALSE(result.timedOut) << commandLine;
        return ovdtest::ReadFileBytes(out_).value_or("(no output)");
    }

    // The last run's trace (UTF-16 on the NT family), as narrow text.
    std::string Trace() const
    {
        const std::string bytes = ovdtest::ReadFileBytes(log_).value_or("");
        std::string text;
        for (std::size_t i = 0; i < bytes.size(); i += 2)
            text += bytes[i];
        return text;
    }
    bool Traced(const std::string& line) const { return Trace().find(line) != std::string::npos; }

    std::string Entry(const char* name) const
    {
        return ovdtest::ReadRegistryString(root_, kEntry, name, kView).value_or("(missing)");
    }
    bool App(const std::string& relative) const
    {
        return ovdtest::FileExists(app_ + "\\" + relative);
    }

    std::string work_, app_, out_, log_, cache_, nextCache_;
    HKEY root_ = nullptr, other_ = nullptr;
};

TEST_P(Lifecycle, InstallMaintainUpgradeRemove)
{
    const std::string allUsers = GetParam().perMachine ? "ALLUSERS=TRUE" : "ALLUSERS=FALSE";
    const std::string media = "\"" + Package("product") + "\" " + allUsers;
    struct Step {
        const char* name;
        std::function<std::string()> command;
        std::string bootstrap; // the first output line up to " C="
        std::function<void()> before;
        std::function<void()> check;
    };
    const std::string saved = " D=" + app_;
    const Step steps[] = {
        {"first installation from the media", [&] { return media + " \"APPDIR=" + app_ + "\""; },
         "M=FALSE N=FALSE U=FALSE" + saved + " E=TRUE", nullptr,
         [&] {
             EXPECT_TRUE(Installed());
             EXPECT_TRUE(App("main\\a.txt"));
             EXPECT_TRUE(App("extra\\c.txt"));
             // The entry and the key under the installation's root only.
             EXPECT_EQ(Entry("UninstallString"),
                       "\"" + cache_ + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");
             EXPECT_EQ(Entry("ModifyPath"), cache_ + "setup.exe");
             EXPECT_EQ(Entry("DisplayName"), kTitle);
             EXPECT_EQ(Entry("DisplayVersion"), "1.4.2");
             EXPECT_EQ(Entry("Publisher"), "Veldmark");
             EXPECT_EQ(Entry("HelpLink"), "http://localhost/lifecycle/help");
             EXPECT_EQ(ovdtest::ReadRegistryDword(root_, kEntry, "VersionMinor", kView), 4u);
             EXPECT_EQ(ovdtest::ReadRegistryString(root_, kIdent, "", kView), cache_);
             EXPECT_FALSE(ovdtest::RegistryKeyExists(other_, kEntry, kView));
             EXPECT_FALSE(ovdtest::RegistryKeyExists(other_, kIdent, kView));
             // The cache: the engine, its package, the saved choices, instance.dat.
             for (const char* file :
                  {"setup.exe", "setup.res", "setup.msi", "ovd.lib", "setup.dat", "instance.dat"})
                 EXPECT_TRUE(ovdtest::FileExists(cache_ + file)) << file;
             EXPECT_EQ(ovdtest::ReadFileBytes(cache_ + "instance.dat").value_or(""),
                       std::string(kProductCode) + "\r\n" + kRevision + "\r\n" + kTitle + "\r\n");
             EXPECT_FALSE(ovdtest::FileExists(cache_ + "setup.exe.part"));
             // The shortcut's pins: asked of the shell, and saved with the cache.
             const std::string link = app_ + "\\menu\\Lifecycle Reader.lnk";
             EXPECT_TRUE(Traced("taskbarpin")) << Trace();
             EXPECT_TRUE(Traced("startpin")) << Trace();
             EXPECT_EQ(ovdtest::ReadFileBytes(cache_ + "setup.lnk").value_or(""),
                       link + "|X7|" + app_ + "\\main\\a.txt\r\n");
         }},
        {"the media again while installed: a new instance", [&] { return media; },
         "M=TRUE N=TRUE U=FALSE" + saved + " E=TRUE", nullptr, [&] { EXPECT_TRUE(Installed()); }},
        {"modify from the cache: Extra off",
         [&] { return "\"" + Entry("ModifyPath") + "\" EXTRAOFF=TRUE"; },
         "M=TRUE N=FALSE U=FALSE" + saved + " E=FALSE", nullptr,
         [&] {
             EXPECT_TRUE(Installed());
             EXPECT_TRUE(App("main\\a.txt"));
             EXPECT_FALSE(App("extra\\c.txt")) << "the feature turned off kept its files";
             // The last installation's pins went before the installer ran, this one's after.
             const std::string trace = Trace();
             EXPECT_NE(trace.find("taskbarunpin"), std::string::npos) << trace;
             EXPECT_LT(trace.find("taskbarunpin"), trace.find("taskbarpin")) << trace;
         }},
        {"the saved choice holds in the next maintenance run; repair brings a file back",
         [&] { return "\"" + Entry("ModifyPath") + "\""; },
         "M=TRUE N=FALSE U=FALSE" + saved + " E=FALSE",
         [&] { ASSERT_TRUE(DeleteFileA((app_ + "\\main\\a.txt").c_str())); },
         [&] { EXPECT_TRUE(App("main\\a.txt")); }},
        {"the next revision: an upgrade with the old choices",
         [&] { return "\"" + Package("upgrade") + "\" " + allUsers; },
         "M=FALSE N=TRUE U=TRUE" + saved + " E=FALSE", nullptr,
         [&] {
             EXPECT_TRUE(Installed());
             EXPECT_EQ(ovdtest::ReadRegistryString(root_, kIdent, "", kView), nextCache_);
             EXPECT_EQ(Entry("DisplayVersion"), "1.5.0");
             EXPECT_TRUE(ovdtest::FileExists(nextCache_ + "instance.dat"));
             EXPECT_FALSE(ovdtest::FileExists(cache_)) << "the old revision's cache stayed";
         }},
        {"removal through the uninstall entry", [&] { return Entry("UninstallString"); },
         "M=TRUE N=FALSE U=FALSE" + saved + " E=FALSE", nullptr,
         [&] {
             EXPECT_FALSE(Installed());
             EXPECT_FALSE(App("main\\a.txt"));
             EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kEntry, kView));
             EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kIdent, kView));
             EXPECT_FALSE(ovdtest::FileExists(nextCache_)) << "the cache stayed";
         }},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.before)
            step.before();
        const std::string output = Run(step.command());
        const std::string first = FirstLine(output);
        EXPECT_EQ(first.substr(0, first.find(" C=")), step.bootstrap);
        EXPECT_EQ(FirstLine(output, 1), "R=COMPLETE ");
        step.check();
        if (::testing::Test::HasFatalFailure())
            return;
    }
}

// Faults around the cache: a copy that breaks off half way (here: a file the
// test holds where the copy's temporary file must go) registers nothing and leaves no
// instance.dat, and the next run completes the cache; a read-only and a locked file in the
// cache do not stop the removal.
TEST_P(Lifecycle, FaultsAroundTheCache)
{
    const std::string media = "\"" + Package("product") + "\" " +
                              (GetParam().perMachine ? "ALLUSERS=TRUE" : "ALLUSERS=FALSE");
    ASSERT_TRUE(CreateDirectoryA(cache_.c_str(), nullptr) ||
                GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE blocker = CreateFileA((cache_ + "setup.msi.part").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(blocker, INVALID_HANDLE_VALUE);
    std::string output = Run(media + " \"APPDIR=" + app_ + "\"");
    CloseHandle(blocker);
    EXPECT_EQ(FirstLine(output, 1), "R=COMPLETE ") << "the product itself is installed";
    EXPECT_TRUE(Installed());
    EXPECT_FALSE(ovdtest::FileExists(cache_ + "instance.dat"));
    EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kEntry, kView));
    EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kIdent, kView));
    EXPECT_TRUE(ovdtest::FileExists(cache_ + "setup.exe")) << "copied before the fault";

    // The media again: the cache is completed and registered.
    output = Run(media + " \"APPDIR=" + app_ + "\"");
    EXPECT_EQ(FirstLine(output, 1), "R=COMPLETE ");
    EXPECT_TRUE(ovdtest::FileExists(cache_ + "instance.dat"));
    EXPECT_TRUE(ovdtest::FileExists(cache_ + "setup.msi"));
    EXPECT_FALSE(ovdtest::FileExists(cache_ + "setup.msi.part"));
    ASSERT_EQ(Entry("UninstallString"), "\"" + cache_ + "setup.exe\" REMOVE=TRUE MODIFY=FALSE");

    // A read-only file and one held open in the cache; the removal goes on.
    SetFileAttributesA((cache_ + "setup.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    ASSERT_TRUE(ovdtest::WriteFileBytes(cache_ + "held.log", "x"));
    HANDLE held = CreateFileA((cache_ + "held.log").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    output = Run(Entry("UninstallString"));
    CloseHandle(held);
    EXPECT_EQ(FirstLine(output, 1), "R=COMPLETE ");
    EXPECT_FALSE(Installed());
    EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kEntry, kView));
    EXPECT_FALSE(ovdtest::RegistryKeyExists(root_, kIdent, kView));
    EXPECT_FALSE(ovdtest::FileExists(cache_ + "setup.dat")) << "the read-only file stayed";
    EXPECT_FALSE(ovdtest::FileExists(cache_ + "setup.res"));
}

// A maintenance install whose database reads its files from the media (here: the cached
// database changed to name a cabinet outside it) needs the original setup sources. Silent,
// nobody is asked: the command ends as cancelled without running the installer, and the
// product stays.
TEST_P(Lifecycle, MaintenanceAsksForMediaItNeeds)
{
    const std::string media = "\"" + Package("product") + "\" " +
                              (GetParam().perMachine ? "ALLUSERS=TRUE" : "ALLUSERS=FALSE");
    ASSERT_EQ(FirstLine(Run(media + " \"APPDIR=" + app_ + "\""), 1), "R=COMPLETE ");
    {
        MSIHANDLE db = 0;
        ASSERT_EQ(MsiOpenDatabaseA((cache_ + "setup.msi").c_str(), MSIDBOPEN_DIRECT, &db),
                  static_cast<UINT>(ERROR_SUCCESS));
        MSIHANDLE view = 0;
        ASSERT_EQ(MsiDatabaseOpenViewA(db, "UPDATE `Media` SET `Cabinet`='disk1.cab'", &view),
                  static_cast<UINT>(ERROR_SUCCESS));
        EXPECT_EQ(MsiViewExecute(view, 0), static_cast<UINT>(ERROR_SUCCESS));
        MsiCloseHandle(view);
        EXPECT_EQ(MsiDatabaseCommit(db), static_cast<UINT>(ERROR_SUCCESS));
        MsiCloseHandle(db);
    }
    const std::string modify = "\"" + Entry("ModifyPath") + "\"";
    EXPECT_EQ(FirstLine(Run(modify), 1),
              "R=CANCEL Original setup sources required to complete operation, sources not "
              "found");
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(App("main\\a.txt"));
}

// "Transform Instance" in a run from the media while the product is installed: a second
// product with its own codes, cache and uninstall entry (the entry is named by the title,
// so it now starts the new instance's engine); the first instance and its cache stay.
// The new instance is removed through its entry, from its own cache.
TEST_P(Lifecycle, NewInstanceIsAProductOfItsOwn)
{
    const std::string media = "\"" + Package("product") + "\" " +
                              (GetParam().perMachine ? "ALLUSERS=TRUE" : "ALLUSERS=FALSE");
    ASSERT_EQ(FirstLine(Run(media + " \"APPDIR=" + app_ + "\""), 1), "R=COMPLETE ");
    const std::string app2 = work_ + "\\app2";
    const std::string output = Run(media + " TRANSFORM=TRUE \"APPDIR=" + app2 + "\"");
    ASSERT_EQ(FirstLine(output, 1), "R=COMPLETE ") << output;

    const std::string command = Entry("UninstallString");
    ASSERT_EQ(command.rfind("\"", 0), 0u) << command;
    const std::string program = command.substr(1, command.find('"', 1) - 1);
    const std::string folder = program.substr(0, program.rfind('\\') + 1);
    EXPECT_NE(folder, cache_) << "the new instance took the first one's cache";
    const std::string instance = ovdtest::ReadFileBytes(folder + "instance.dat").value_or("");
    const std::string newCode = FirstLine(instance);
    EXPECT_NE(newCode, kProductCode) << instance;
    EXPECT_NE(folder.find(FirstLine(instance, 1)), std::string::npos)
        << "the cache is named by the new revision code: " << folder;
    EXPECT_EQ(MsiQueryProductStateA(newCode.c_str()), INSTALLSTATE_DEFAULT) << newCode;
    EXPECT_TRUE(Installed());
    EXPECT_TRUE(ovdtest::FileExists(cache_ + "instance.dat"));
    EXPECT_TRUE(ovdtest::FileExists(app2 + "\\main\\a.txt"));

    EXPECT_EQ(FirstLine(Run(command), 1), "R=COMPLETE ");
    EXPECT_NE(MsiQueryProductStateA(newCode.c_str()), INSTALLSTATE_DEFAULT);
    EXPECT_FALSE(ovdtest::FileExists(app2 + "\\main\\a.txt"));
    EXPECT_FALSE(ovdtest::FileExists(folder + "instance.dat"));
    EXPECT_TRUE(Installed()) << "removing the new instance took the first one";
    EXPECT_TRUE(App("main\\a.txt"));
    if (newCode.size() == 38 && MsiQueryProductStateA(newCode.c_str()) == INSTALLSTATE_DEFAULT)
        MsiConfigureProductExA(newCode.c_str(), INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                               "REMOVE=ALL");
}

INSTANTIATE_TEST_SUITE_P(Scopes, Lifecycle,
                         ::testing::Values(Scope{"per_machine", true}, Scope{"per_user", false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
