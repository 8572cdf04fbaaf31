// Whole setups built by ovdpack, run under Wine: exit codes, complete start-up traces,
// support folders, the command line and the start-up windows.
#include "ovdtest.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const Lines kNormalTrace = {"<Ordovan>",
                            "  <SetupSplash>",
                            "    <StubSize>",
                            "    </StubSize>",
                            "    <StubData>",
                            "    </StubData>",
                            "    <GlobalLists>",
                            "    </GlobalLists>",
                            "    <SupportDir>",
                            "    </SupportDir>",
                            "    <ExtractArchive>",
                            "    </ExtractArchive>",
                            "    <ExtractResource>",
                            "    </ExtractResource>",
                            "    <ResourcePath>",
                            "    </ResourcePath>",
                            "    <Dialogs>",
                            "    </Dialogs>",
                            "  </SetupSplash>",
                            "  <RunScript>",
                            "    <Variables>",
                            "    </Variables>",
                            "    <CompileScript>",
                            "    </CompileScript>",
                            "    <BootStrap>",
                            "    </BootStrap>",
                            "    <zovr>",
                            "    </zovr>",
                            "    <ExitScript>",
                            "    </ExitScript>",
                            "  </RunScript>",
                            "  <Free>",
                            "  </Free>",
                            "  <CachedSupportDir>",
                            "  </CachedSupportDir>",
                            "</Ordovan>"};

// The normal trace up to and including `last`.
Lines TraceUpTo(const std::string& last)
{
    Lines lines;
    for (const std::string& line : kNormalTrace) {
        lines.push_back(line);
        if (line == last)
            break;
    }
    return lines;
}

std::string Package(const std::string& name)
{
    return ovdtest::TestOutDir() + "\\pkg\\" + name + "\\setup.exe";
}

// The trace file as lines; fails the test on a byte-order mark or a byte that is not the
// low half of a UTF-16LE ASCII character.
Lines ReadTrace(const std::string& path)
{
    Lines lines;
    auto bytes = ovdtest::ReadFileBytes(path);
    if (!bytes)
        return lines;
    EXPECT_EQ(bytes->size() % 2, 0u);
    EXPECT_FALSE(bytes->size() >= 2 && (*bytes)[0] == '\xFF' && (*bytes)[1] == '\xFE');
    std::string text;
    for (size_t i = 0; i + 1 < bytes->size(); i += 2) {
        EXPECT_EQ((*bytes)[i + 1], '\0');
        text += (*bytes)[i];
    }
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "last line without CR LF";
    return lines;
}

bool Contains(const Lines& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

Lines ListFolder(const std::string& folder)
{
    Lines names;
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = fd.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return names;
}

void RemoveTree(const std::string& folder)
{
    for (const std::string& name : ListFolder(folder)) {
        std::string path = folder + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            RemoveTree(path);
        else
            DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(folder.c_str());
}

// What an unpacked setup leaves in its support folder.
void ExpectUnpacked(const std::string& supportDir)
{
    for (const char* file : {"Welcome.dfm", "Welcome.dfm.ovdf", "Finish.dfm", "sub\\notes.txt"})
        EXPECT_TRUE(ovdtest::FileExists(supportDir + "\\" + file)) << supportDir << " " << file;
}

// Holds the engines at their script copy (they wait for this lock after the start-up
// windows are up), so that the windows can be looked at.
class HoldScriptCopy {
public:
    HoldScriptCopy() : mutex_(CreateMutexA(nullptr, FALSE, "Local\\Ordovan.ovd.tmp"))
    {
        EXPECT_EQ(WaitForSingleObject(mutex_, 30000), WAIT_OBJECT_0);
    }
    ~HoldScriptCopy() { Release(); }
    void Release()
    {
        if (mutex_) {
            ReleaseMutex(mutex_);
            CloseHandle(mutex_);
            mutex_ = nullptr;
        }
    }

private:
    HANDLE mutex_;
};

using ovdtest::ProcessWindow;
using ovdtest::WaitForProcessWindow;

std::string WindowText(HWND h)
{
    char text[512] = {};
    GetWindowTextA(h, text, sizeof text);
    return text;
}

struct PreparationChildren {
    int visibleIcons = 0, bars = 0;
    std::string label;
};

BOOL CALLBACK CountPreparationChild(HWND h, LPARAM p)
{
    auto* c = reinterpret_cast<PreparationChildren*>(p);
    char cls[64] = {};
    GetClassNameA(h, cls, sizeof cls);
    LONG style = GetWindowLongA(h, GWL_STYLE);
    if (std::string(cls) == "msctls_progress32")
        c->bars++;
    else if ((style & SS_TYPEMASK) == SS_ICON)
        c->visibleIcons += IsWindowVisible(h) ? 1 : 0;
    else
        c->label = WindowText(h);
    return TRUE;
}

class StartupE2E : public ::testing::Test {
protected:
    void SetUp() override
    {
        name_ = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work_ = ovdtest::TestOutDir() + "\\run\\" + name_;
        RemoveTree(work_);
        temp_ = work_ + "\\temp";
        CreateDirectoryA((ovdtest::TestOutDir() + "\\run").c_str(), nullptr);
        CreateDirectoryA(work_.c_str(), nullptr);
        CreateDirectoryA(temp_.c_str(), nullptr);
        // The engines started from here unpack into this test's own temporary folder.
        SetEnvironmentVariableA("TMP", temp_.c_str());
        SetEnvironmentVariableA("TEMP", temp_.c_str());
        log_ = work_ + "\\trace.log";
    }

    ovdtest::ProcessResult Run(const std::string& package, const std::string& args)
    {
        return ovdtest::RunProgram("\"" + Package(package) + "\" " + args, 60000);
    }

    // Starts an engine; the test owns the handle.
    HANDLE Start(const std::string& package, const std::string& args)
    {
        return ovdtest::StartProgram("\"" + Package(package) + "\" " + args);
    }

    static DWORD Finish(HANDLE process) { return ovdtest::WaitForExitCode(process); }

    void WaitForTraceLine(const std::string& line, const std::string& log)
    {
        for (int i = 0; i < 400 && !Contains(ReadTrace(log), line); ++i)
            Sleep(50);
        ASSERT_TRUE(Contains(ReadTrace(log), line)) << line;
    }

    Lines TempEntries() const { return ListFolder(temp_); }

    std::string name_, work_, temp_, log_;
};

TEST_F(StartupE2E, NormalRunTracesEveryPhaseAndLeavesNothingBehind)
{
    auto r = Run("plain", "/s /l=\"" + log_ + "\"");
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(ReadTrace(log_), kNormalTrace);
    // No support folder, no script copy, no language file.
    EXPECT_EQ(TempEntries(), Lines{});
    // The program is marked as a host application (the shell keeps it out of its lists).
    EXPECT_EQ(
        ovdtest::ReadRegistryString(HKEY_CLASSES_ROOT, "Applications\\setup.exe", "IsHostApp"), "");
}

// The program's own name in the system's code page: in a double-byte one the second byte
// of a character may be that of "\\" (Shift-JIS "\x83\x5C"), which is no folder's end.
// CTest runs this test again under a Japanese code page (Wine takes it from LANG).
TEST_F(StartupE2E, AProgramNamedInTheSystemsCodePageFindsItsFiles)
{
    const char* wanted = std::getenv("OVD_TEST_ACP");
    ASSERT_EQ(GetACP(), wanted ? std::stoul(wanted) : 1252ul) << "the code page the test is for";
    const std::string base = GetACP() == 932 ? "\x83\x5C\x83\x74\x83\x67" // katakana "so fu to"
                                             : "Aesop";
    const std::string folder = ovdtest::TestOutDir() + "\\pkg\\plain\\";
    for (const char* ext : {".exe", ".res", ".msi"})
        ASSERT_TRUE(CopyFileA((folder + "setup" + ext).c_str(),
                              (work_ + "\\" + base + ext).c_str(), FALSE))
            << ext << " " << GetLastError();
    ASSERT_TRUE(
        CopyFileA((folder + "ovd.lib").c_str(), (work_ + "\\ovd.lib").c_str(), FALSE));
    const auto r =
        ovdtest::RunProgram("\"" + work_ + "\\" + base + ".exe\" /s \"/l=" + log_ + "\"", 60000);
    ASSERT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitCode, 0u) << "15: the archive library was looked for in a folder cut short";
    EXPECT_EQ(ReadTrace(log_), kNormalTrace);
}

TEST_F(StartupE2E, FailuresStopWithTheirExitCodeAndTrace)
{
    const Lines afterEleven = {"  <CachedSupportDir>", "  </CachedSupportDir>", "</Ordovan>"};
    struct Case {
        const char* package;
        DWORD exitCode;
        Lines trace;
        bool supportDirStays, unpacked;
    } cases[] = {
        {"noscript", 13, TraceUpTo("    <StubSize>"), false, false},
        // A missing or damaged archive leaves nothing behind either.
        {"nores", 14, TraceUpTo("    <ExtractArchive>"), false, false},
        {"badres", 15, TraceUpTo("    <ExtractArchive>"), false, false},
        {"nomsi", 16, TraceUpTo("    <ExtractResource>"), true, true},
        {"truncated", 11, TraceUpTo("    <GlobalLists>"), false, false},
        // Unexpected errors end with the support folder removed, whatever came before.
        {"nodialog", 11, TraceUpTo("    <Dialogs>"), false, false},
    };
    for (int k : {4, 5})
        cases[k].trace.insert(cases[k].trace.end(), afterEleven.begin(), afterEleven.end());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.package);
        RemoveTree(temp_);
        CreateDirectoryA(temp_.c_str(), nullptr);
        auto r = Run(c.package, "/s \"/l=" + log_ + "\"");
        ASSERT_FALSE(r.timedOut) << "a message box in silent mode?";
        EXPECT_EQ(r.exitCode, c.exitCode);
        EXPECT_EQ(ReadTrace(log_), c.trace);
        EXPECT_EQ(TempEntries(), c.supportDirStays ? Lines{"ovd1"} : Lines{});
        if (c.unpacked)
            ExpectUnpacked(temp_ + "\\ovd1");
    }
}

TEST_F(StartupE2E, SupportDirTakesTheNextFreeNumber)
{
    ASSERT_TRUE(CreateDirectoryA((temp_ + "\\ovd1").c_str(), nullptr));
    auto r = Run("nomsi", "/s");
    EXPECT_EQ(r.exitCode, 16u);
    EXPECT_EQ(ListFolder(temp_ + "\\ovd1"), Lines{});
    ExpectUnpacked(temp_ + "\\ovd2");
}

TEST_F(StartupE2E, TwoEnginesAtOnceGetTwoSupportDirs)
{
    // Both stop after unpacking (no database), so both folders stay to be looked at.
    HANDLE a = Start("nomsi", "/s \"/l=" + work_ + "\\a.log\"");
    HANDLE b = Start("nomsi", "/s \"/l=" + work_ + "\\b.log\"");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(Finish(a), 16u);
    EXPECT_EQ(Finish(b), 16u);
    EXPECT_EQ(TempEntries(), (Lines{"ovd1", "ovd2"}));
    ExpectUnpacked(temp_ + "\\ovd1");
    ExpectUnpacked(temp_ + "\\ovd2");
    EXPECT_EQ(ReadTrace(work_ + "\\a.log"), TraceUpTo("    <ExtractResource>"));
    EXPECT_EQ(ReadTrace(work_ + "\\b.log"), TraceUpTo("    <ExtractResource>"));

    // Two complete runs at once both clean up after themselves.
    a = Start("plain", "/s");
    b = Start("plain", "/s");
    EXPECT_EQ(Finish(a), 0u);
    EXPECT_EQ(Finish(b), 0u);
    EXPECT_EQ(TempEntries(), (Lines{"ovd1", "ovd2"}));
}

TEST_F(StartupE2E, CommandLineSwitchesAndLogPaths)
{
    const std::string mixed = work_ + "\\Mixed Case";
    ASSERT_TRUE(CreateDirectoryA(mixed.c_str(), nullptr));
    struct Case {
        std::string args;
        std::string logName; // as found on disk afterwards
    } cases[] = {
        {"-S \"/L=" + mixed + "\\Setup Trace.LOG\"", "setup trace.log"},
        {"/QN -l=\"" + mixed + "\\Dash.Log\"", "dash.log"},
        {"\"-L=" + mixed + "\\Quoted.LOG\" /s INSTALLDIR=C:\\x=y", "quoted.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        auto r = Run("plain", c.args);
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.exitCode, 0u);
        Lines files = ListFolder(mixed);
        ASSERT_EQ(files, Lines{c.logName});
        EXPECT_EQ(ReadTrace(mixed + "\\" + c.logName), kNormalTrace);
        DeleteFileA((mixed + "\\" + c.logName).c_str());
    }
}

TEST_F(StartupE2E, SplashAndPreparationFormAreShown)
{
    HoldScriptCopy hold;
    HANDLE engine = Start("splash", "\"/l=" + log_ + "\"");
    ASSERT_TRUE(engine);
    WaitForTraceLine("    <StubData>", log_);
    const DWORD pid = GetProcessId(engine);
    DWORD_PTR processMask = 0, systemMask = 0;
    ASSERT_TRUE(GetProcessAffinityMask(engine, &processMask, &systemMask));
    EXPECT_EQ(processMask, 1u); // bound to the first processor
    HWND splash = WaitForProcessWindow(pid, "TSetupSplash", 5000);
    HWND init = WaitForProcessWindow(pid, "TSetupInit", 5000);
    ASSERT_TRUE(splash && init);
    EXPECT_TRUE(IsWindowVisible(splash));
    EXPECT_TRUE(IsWindowVisible(init));
    EXPECT_EQ(WindowText(init), "Ordovan Wizard");

    // Label1 shows message 67; one of the two pictures is shown; a progress bar.
    PreparationChildren children;
    EnumChildWindows(init, CountPreparationChild, reinterpret_cast<LPARAM>(&children));
    EXPECT_EQ(children.visibleIcons, 1);
    EXPECT_EQ(children.bars, 1);
    EXPECT_EQ(children.label, "Ordovan is preparing the Ordovan Wizard which will install this "
                              "application. Please wait.");

    // The splash has the picture's size, centred; the form sits below its middle.
    RECT s{}, f{};
    GetWindowRect(splash, &s);
    GetWindowRect(init, &f);
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(s.right - s.left, 360);
    EXPECT_EQ(s.bottom - s.top, 200);
    EXPECT_EQ(s.left, (sw - 360) / 2);
    EXPECT_EQ(s.top, (sh - 200) / 2);
    EXPECT_EQ(f.left, std::min<LONG>(s.left + 180 + 50, sw - (f.right - f.left) - 25));
    EXPECT_EQ(f.top, std::min<LONG>(s.bottom + 25, sh - (f.bottom - f.top) - 45));
    EXPECT_FALSE(ovdtest::SaveScreenshot("startup-splash").empty());

    hold.Release();
    EXPECT_EQ(Finish(engine), 0u);
    EXPECT_EQ(ReadTrace(log_), kNormalTrace);
}

TEST_F(StartupE2E, WithoutPictureThePreparationFormIsCentred)
{
    HoldScriptCopy hold;
    HANDLE engine = Start("plain", "\"/l=" + log_ + "\"");
    ASSERT_TRUE(engine);
    WaitForTraceLine("    <StubData>", log_);
    const DWORD pid = GetProcessId(engine);
    HWND init = WaitForProcessWindow(pid, "TSetupInit", 5000);
    ASSERT_TRUE(init);
    HWND splash = ProcessWindow(pid, "TSetupSplash");
    EXPECT_FALSE(splash && IsWindowVisible(splash));
    RECT f{};
    GetWindowRect(init, &f);
    EXPECT_EQ(f.left, (GetSystemMetrics(SM_CXSCREEN) - (f.right - f.left)) / 2);
    EXPECT_EQ(f.top, (GetSystemMetrics(SM_CYSCREEN) - (f.bottom - f.top)) / 2);
    EXPECT_FALSE(ovdtest::SaveScreenshot("startup-no-picture").empty());
    hold.Release();
    EXPECT_EQ(Finish(engine), 0u);
}

TEST_F(StartupE2E, SilentAndUpdateRunsShowNoForms)
{
    for (const char* sw : {"/s", "-QN", "/update", "-UpdateSetup"}) {
        SCOPED_TRACE(sw);
        HoldScriptCopy hold;
        HANDLE engine = Start("splash", std::string(sw) + " \"/l=" + log_ + "\"");
        ASSERT_TRUE(engine);
        // The forms are made before this line is written (and the run is held there).
        WaitForTraceLine("    <StubData>", log_);
        EXPECT_EQ(ProcessWindow(GetProcessId(engine), "TSetupInit"), nullptr);
        EXPECT_EQ(ProcessWindow(GetProcessId(engine), "TSetupSplash"), nullptr);
        hold.Release();
        EXPECT_EQ(Finish(engine), 0u);
    }
}

TEST_F(StartupE2E, FailureBoxesCarryTheMessageCaptionAndOwner)
{
    struct Case {
        const char* package;
        const char* args;
        DWORD exitCode;
        std::string text;
        bool ownedByForm;
    } cases[] = {
        {"nomsi", "", 16, "Setup database not found", true},
        {"nores", "", 14, "Setup resource not found", true},
        {"badres", "", 15, "Setup resource decompression failure", true},
        {"noscript", "", 13, "For internal use only", true},
        // Without forms the box stands alone; an unexpected error never has an owner.
        {"nomsi", "/update", 16, "Setup database not found", false},
        {"truncated", "", 11, "Runtime error in install: The setup script cannot be read", false},
        {"nodialog", "", 11, "Runtime error in install: Dialog file not found: ", false},
        // Texts come from the language file behind ovd.lib: the user's language's entry.
        {"lang", "/update", 16, "English message 4", false},
        {"lang", "", 16, "English message 4", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.package) + " " + c.args);
        HANDLE engine = Start(c.package, c.args);
        ASSERT_TRUE(engine);
        const DWORD pid = GetProcessId(engine);
        HWND box = WaitForProcessWindow(pid, "#32770", 20000);
        ASSERT_TRUE(box);
        for (int i = 0; i < 100 && !IsWindowVisible(box); ++i)
            Sleep(50); // filled in before it shows
        EXPECT_EQ(WindowText(box), "Ordovan Wizard");
        char text[512] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        EXPECT_EQ(std::string(text).substr(0, c.text.size()), c.text);
        HWND owner = GetWindow(box, GW_OWNER);
        if (c.ownedByForm) {
            EXPECT_EQ(owner, ProcessWindow(pid, "TSetupInit"));
            // The form's caption is message 66, from the language file when there is one.
            EXPECT_EQ(WindowText(owner),
                      std::string(c.package) == "lang" ? "English message 66" : "Ordovan Wizard");
        } else
            EXPECT_EQ(owner, nullptr);
        if (std::string(c.package) == "nomsi" && *c.args == 0)
            ovdtest::SaveScreenshot("startup-failure-16");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(Finish(engine), c.exitCode);
    }
}

} // namespace
