// What a maintenance run asks of the change lines' features, and the recorded folders it
// takes back for the lines it leaves off.
#include "LineFeatures.h"
#include "PropertyCommandLine.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

using Names = std::vector<std::string>;

TEST(LineFeatures, MaintenanceRequests)
{
    // Two lines of their own features and one authored feature.
    const std::vector<TInstalledFeature> installed = {
        {"L0000B001", true}, {"L0000B002", true}, {"Docs", true}};
    struct Case {
        const char* name;
        std::vector<TInstalledFeature> features;
        Names properties;
        Names addLocal, remove, reinstall;
    };
    const Case cases[] = {
        {"both lines ran: everything reinstalled",
         installed,
         {"A0000B001", "FALSE", "A0000B002", "FALSE", "A0000B001", "TRUE", "A0000B002", "TRUE"},
         {},
         {},
         {"L0000B001", "L0000B002", "Docs"}},
        {"a line left off: its feature goes",
         installed,
         {"A0000B001", "FALSE", "A0000B002", "FALSE", "A0000B001", "TRUE"},
         {},
         {"L0000B002"},
         {"L0000B001", "Docs"}},
        {"a later FALSE wins",
         installed,
         {"A0000B001", "TRUE", "A0000B002", "TRUE", "A0000B002", "FALSE"},
         {},
         {"L0000B002"},
         {"L0000B001", "Docs"}},
        {"no line ran at all (a plain repair): nothing goes",
         installed,
         {"A0000B001", "FALSE", "A0000B002", "FALSE"},
         {},
         {},
         {"L0000B001", "L0000B002", "Docs"}},
        {"a line on again whose feature went: added",
         {{"L0000B001", true}, {"L0000B002", false}, {"Docs", true}},
         {"A0000B001", "TRUE", "A0000B002", "TRUE"},
         {"L0000B002"},
         {},
         {"L0000B001", "Docs"}},
        {"an absent feature of a line still off is left alone",
         {{"L0000B001", true}, {"L0000B002", false}},
         {"A0000B001", "TRUE", "A0000B002", "FALSE"},
         {},
         {},
         {"L0000B001"}},
        {"a feature named like a line the script does not have is reinstalled",
         {{"L0000B009", true}, {"LOOKALIKE", true}},
         {"A0000B001", "TRUE"},
         {},
         {},
         {"L0000B009", "LOOKALIKE"}},
        {"only A + eight hex digits is a switch",
         installed,
         {"A0000B001", "TRUE", "AB", "FALSE", "A0000B00Z", "FALSE"},
         {},
         {},
         {"L0000B001", "L0000B002", "Docs"}},
    };
    for (const Case& c : cases) {
        const TFeatureRequests r = MaintenanceFeatureRequests(c.features, c.properties);
        EXPECT_EQ(r.AddLocal, c.addLocal) << c.name;
        EXPECT_EQ(r.Remove, c.remove) << c.name;
        EXPECT_EQ(r.Reinstall, c.reinstall) << c.name;
    }
}

TEST(LineFeatures, SavedFieldsOfLinesOff)
{
    const Names saved = {"A0000B001",   "FALSE",          "A0000B002",   "FALSE",
                         "A0000B001",   "TRUE",           "P0000B001_1", "C:\\App\\main",
                         "A0000B002",   "TRUE",           "P0000B002_1", "C:\\Old\\extra",
                         "P0000B002_1", "C:\\App\\extra", "P0000B002_2", "two",
                         "A0000B003",   "FALSE",          "P0000B003_1", "x",
                         "MSINTEMP",    "C:\\Temp"};
    struct Case {
        const char* name;
        Names now;
        std::vector<std::pair<std::string, std::string>> fields;
    };
    const Case cases[] = {
        {"the line left off gets its last values back",
         {"A0000B001", "FALSE", "A0000B002", "FALSE", "A0000B001", "TRUE"},
         {{"P0000B002_1", "C:\\App\\extra"}, {"P0000B002_2", "two"}}},
        {"lines that ran keep what they recorded now",
         {"A0000B001", "TRUE", "A0000B002", "TRUE"},
         {}},
        {"only the lines of this run", {"A0000B001", "FALSE"}, {{"P0000B001_1", "C:\\App\\main"}}},
        {"a line that was off then too has nothing to take out", {"A0000B003", "FALSE"}, {}},
        {"a line the saved list does not know", {"A0000B004", "FALSE"}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SavedFieldsOfLinesOff(c.now, saved), c.fields) << c.name;
}

TEST(LineFeatures, MaintenanceCommandLine)
{
    TCommandLineFacts f;
    f.Operation = InstallerOperation::Install;
    f.AllUsers = "TRUE";
    f.ProductInstalled = true;
    f.InstallLocation = "C:\\App\\";
    f.Paths.MsiDir = "C:\\S\\";
    f.Paths.DataDir = "C:\\S\\D\\";
    f.Paths.MediaDir = "\\S\\";
    f.Features.Remove = {"L0000B002", "L0000B003"};
    f.Features.Reinstall = {"L0000B001"};
    const std::string tail = "ALLUSERS=1 ARPSYSTEMCOMPONENT=1 ARPNOREMOVE=1 ARPNOMODIFY=1 "
                             "ARPNOREPAIR=1 ARPINSTALLLOCATION=\"C:\\App\\\" SRCDIR=C:\\S\\D\\ "
                             "SOURCELIST=C:\\S\\D\\;C:\\S\\ MEDIAPACKAGEPATH=\\S\\ REBOOT=R ";
    EXPECT_EQ(PropertyCommandLine(f),
              "REMOVE=L0000B002,L0000B003 REINSTALL=L0000B001 REINSTALLMODE=vomus " + tail);
    f.Features.Remove.clear();
    f.Features.AddLocal = {"L0000B002"};
    f.Features.Reinstall.clear();
    EXPECT_EQ(PropertyCommandLine(f), "ADDLOCAL=L0000B002 REINSTALLMODE=vomus " + tail);
    // Nothing to add or take out: the reinstall of everything.
    f.Features.AddLocal.clear();
    f.Features.Reinstall = {"L0000B001"};
    EXPECT_EQ(PropertyCommandLine(f), "REINSTALL=ALL REINSTALLMODE=vomus " + tail);
}

} // namespace
} // namespace ovd
