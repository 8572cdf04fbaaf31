// "Apply Changes" in this process against the real installer, with the wait pumping
// messages as it does under a progress page; the installer's entry points bound from
// msi.dll on first use.
#include "CommandTable.h"
#include "InstallerCommands.h"
#include "InstallerSession.h"
#include "MsiApi.h"
#include "ScriptTestSupport.h"
#include "VariableManager.h"
#include "mscriptexec.h"
#include "ovdtest.h"
#include "uGlobals.h"

#include <msi.h>

#include <gtest/gtest.h>

namespace {

constexpr const char* kProductCode = "{5A1B2C3D-0000-4000-8000-00000000A001}";

class ApplyChanges : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        work_ = ovdtest::PrepareRunFolder(name);
        database_ = work_ + "\\setup.msi";
        ASSERT_TRUE(CopyFileA(
            (ovdtest::BuildDir() + "\\tests\\e2e\\installer\\pkg\\product\\setup.msi").c_str(),
            database_.c_str(), FALSE));
        ovd::ProcessFacts& facts = ovd::Process();
        facts.SupportDir = work_ + "\\";
        facts.TempDir = work_ + "\\";
        facts.SilentMode = false; // the wait pumps messages, as with a progress page
        ovd::Variables().ClearVariables();
        for (const auto& [n, v] : {std::pair<const char*, std::string>{"TEMPDIR", work_ + "\\"},
                                   {"TARGETDIR", work_ + "\\app\\"},
                                   {"SILENT", "TRUE"},
                                   {"TITLE", "Cancel Test"},
                                   {"ALLUSERS", "TRUE"},
                                   {"ZOVR_IsCancelled", "FALSE"},
                                   {"ZOVR_thCancelled", "FALSE"},
                                   {"ZOVR_thFinished", "FALSE"}})
            ovd::DefineVariable(n, v, "Initialization");
        ovd::ClearCommands();
        ovd::RegisterInstallerCommands(services_);
        ovdtest_engine::FillScript(script_, {{"Install Files", {"files", "", work_ + "\\app"}},
                                             {"Apply Changes", {"", "RESULT", "TRUE", "FALSE"}}});
        script_.CommandHeaders.Add("0000A001");
        script_.CommandHeaders.Add("0");
        script_.ProductCode = kProductCode;
        run_.Script = &script_;
        run_.DatabasePath = database_;
    }
    void TearDown() override
    {
        if (MsiQueryProductStateA(kProductCode) == INSTALLSTATE_DEFAULT)
            MsiConfigureProductExA(kProductCode, INSTALLLEVEL_DEFAULT, INSTALLSTATE_ABSENT,
                                   "REMOVE=ALL");
        ovd::ClearCommands();
    }

    void Execute()
    {
        for (long i = 0; i < static_cast<long>(script_.LineCount()); ++i) {
            ovd::TCommandContext context(run_, i);
            (*ovd::FindCommand(context.Command()))(context);
        }
    }

    std::string work_, database_;
    ovd::TCompiledScript script_;
    ovd::TEngineServices services_;
    ovd::TScriptRun run_{services_};
};

TEST_F(ApplyChanges, CompletesAndIsBoundOnFirstUse)
{
    // A text an earlier failed run left behind is no part of this run.
    ovd::InstallerSession(run_).Ui.LastErrorText = "an earlier run's error";
    Execute();
    EXPECT_EQ(ovd::InstallerSession(run_).Ui.LastErrorText, "");
    EXPECT_EQ(ovd::GetVariable("RESULT"), "COMPLETE");
    EXPECT_EQ(ovd::MsiApi::MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    EXPECT_TRUE(ovdtest::FileExists(work_ + "\\app\\a.txt"));
    EXPECT_FALSE(
        ovd::ProductPackageCodeMatches(kProductCode, "{00000000-0000-0000-0000-000000000000}"));
}

// The Property table carries every change line's switch: a run that cannot write it must
// not install with every change off and report success.
TEST_F(ApplyChanges, AnUnwritableDatabaseFailsTheRun)
{
    // Another process holds the database open for reading and lets nobody write: the
    // installer can still read it, no edit can be made.
    const HANDLE held = CreateFileA(database_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Execute();
    CloseHandle(held);
    EXPECT_EQ(ovd::GetVariable("RESULT"), "ERROR");
    EXPECT_NE(ovd::GetVariable("LASTERROR").find("setup.msi cannot be written"), std::string::npos)
        << ovd::GetVariable("LASTERROR");
    EXPECT_NE(ovd::MsiApi::MsiQueryProductStateA(kProductCode), INSTALLSTATE_DEFAULT);
    EXPECT_FALSE(ovdtest::FileExists(work_ + "\\app\\a.txt"));
}

} // namespace
