// Command lines, compound parameters and assembly cache places of the .NET commands.
#include "DotNetText.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

TEST(DotNetText, ToolArguments)
{
    struct Case {
        DotNetTool tool;
        const char* version;
        bool install;
        bool codeBase;
        const char* expected;
    } cases[] = {
        {DotNetTool::NativeImages, "v4.0.30319", true, false, "install \"C:\\a b\\x.dll\""},
        {DotNetTool::NativeImages, "v2.0.50727", false, false, "uninstall \"C:\\a b\\x.dll\""},
        {DotNetTool::NativeImages, "v1.1.4322", true, false, " \"C:\\a b\\x.dll\""},
        {DotNetTool::NativeImages, "v1.1.4322", false, false, "/delete \"C:\\a b\\x.dll\""},
        {DotNetTool::InstallerClass, "v4.0.30319", true, false, " \"C:\\a b\\x.dll\""},
        {DotNetTool::InstallerClass, "v1.1.4322", false, false, "/u \"C:\\a b\\x.dll\""},
        {DotNetTool::RegisterAssembly, "v4.0.30319", true, false,
         "/tlb \"C:\\a b\\x.dll\" /silent"},
        {DotNetTool::RegisterAssembly, "v2.0.50727", false, true,
         "/tlb /unregister /codebase \"C:\\a b\\x.dll\" /silent"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToolArguments(c.tool, c.version, {c.install, c.codeBase}, "C:\\a b\\x.dll"),
                  c.expected)
            << c.version;
    EXPECT_EQ(ToolPath("C:\\Windows", "v2.0.50727", DotNetTool::RegisterAssembly),
              "C:\\Windows\\Microsoft.NET\\Framework\\v2.0.50727\\regasm.exe");
}

TEST(DotNetText, CompoundParametersAndCachePlaces)
{
    EXPECT_EQ(SplitAtBar("C:\\x.dll"), std::make_pair(std::string("C:\\x.dll"), std::string()));
    EXPECT_EQ(SplitAtBar("C:\\x.dll|FALSE|TRUE"),
              std::make_pair(std::string("C:\\x.dll"), std::string("FALSE|TRUE")));
    EXPECT_EQ(SplitAtBar("|"), std::make_pair(std::string(), std::string()));

    const auto candidates = AssemblyCacheCandidates(
        "C:\\Windows\\", "My.Lib, Version=1.2.3.4, Culture=neutral, PublicKeyToken=0123abcd");
    const std::vector<std::string> expected = {
        "C:\\Windows\\assembly\\GAC_MSIL\\My.Lib\\1.2.3.4__0123abcd\\My.Lib.dll",
        "C:\\Windows\\assembly\\GAC_32\\My.Lib\\1.2.3.4__0123abcd\\My.Lib.dll",
        "C:\\Windows\\assembly\\GAC_64\\My.Lib\\1.2.3.4__0123abcd\\My.Lib.dll",
        "C:\\Windows\\assembly\\GAC\\My.Lib\\1.2.3.4__0123abcd\\My.Lib.dll",
    };
    EXPECT_EQ(candidates, expected);
}

} // namespace
} // namespace ovd
