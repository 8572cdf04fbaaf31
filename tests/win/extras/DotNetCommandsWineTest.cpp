// The .NET assembly commands with stand-in tools in the framework folders of the test
// prefix: each command's tool and command line, the working folder, the fall-back through
// the framework versions, and assemblies found in the global assembly cache.
#include "DotNetCommands.h"

#include "CommandTable.h"
#include "FileUtil.h"
#include "ScriptRun.h"
#include "ScriptTestSupport.h"
#include "TImageListPool.h"
#include "VariableManager.h"
#include "ovdtest.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace ovd {
namespace {

using ovdtest_engine::Line;

const char* const kVersions[] = {"v4.0.30319", "v2.0.50727", "v1.1.4322"};
const char* const kTools[] = {"ngen.exe", "installutil.exe", "regasm.exe"};

std::string Windows()
{
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer) + "\\";
}

std::string FrameworkFolder(const std::string& version)
{
    return Windows() + "Microsoft.NET\\Framework\\" + version + "\\";
}

class DotNetCommandsWine : public ::testing::Test {
protected:
    TCompiledScript script;
    TEngineServices services;
    TScriptRun run{services};
    std::string dir; // the assemblies, in a folder with a blank
    std::string log;
    std::vector<std::string> placed;

    void SetUp() override
    {
        ImageListPool();
        dir = ovdtest::TestOutDir() + "\\assembly dir\\";
        ForceDirectories(dir);
        log = ovdtest::TestOutDir() + "\\dotnet-calls.txt";
        DeleteFileA(log.c_str());
        SetEnvironmentVariableA("OVD_DOTNET_LOG", log.c_str());
        Variables().ClearVariables();
        DefineVariable("DIR", dir, "test");
        DefineVariable("SILENT", "FALSE", "test");
        ClearCommands();
        RegisterDotNetCommands(services);
        run.Script = &script;
    }
    void TearDown() override
    {
        ClearCommands();
        for (const std::string& file : placed) {
            DeleteFileA(file.c_str());
            DeleteFileA((file + ".code").c_str());
        }
    }
    // Puts the stand-in tools of `versions` in place; `codes` gives a tool its exit code.
    void Frameworks(const std::vector<std::string>& versions,
                    const std::map<std::string, int>& codes = {})
    {
        for (const char* version : kVersions)
            for (const char* tool : kTools) {
                const std::string path = FrameworkFolder(version) + tool;
                DeleteFileA(path.c_str());
                DeleteFileA((path + ".code").c_str());
            }
        const std::string built = ovdtest::BuildDir() + "\\tests\\win\\extras\\tools\\";
        for (const std::string& version : versions) {
            ForceDirectories(FrameworkFolder(version));
            for (const char* tool : kTools) {
                const std::string path = FrameworkFolder(version) + tool;
                ASSERT_TRUE(CopyFileA((built + tool).c_str(), path.c_str(), FALSE)) << path;
                placed.push_back(path);
                const auto code = codes.find(version + "\\" + tool);
                if (code != codes.end())
                    ovdtest::WriteFileBytes(path + ".code", std::to_string(code->second));
            }
        }
    }
    // One call per line: "<version>\<tool>|<arguments>|<working folder>".
    std::vector<std::string> Calls()
    {
        std::vector<std::string> calls;
        std::istringstream in(ovdtest::ReadFileBytes(log).value_or(""));
        for (std::string line; std::getline(in, line);) {
            const std::size_t first = line.find('|');
            const std::size_t second = line.find('|', first + 1);
            const std::string self = line.substr(0, first);
            const std::string commandLine = line.substr(first + 1, second - first - 1);
            // The tool's own path, quoted by the shell, stands first on its command line.
            const std::size_t afterProgram = commandLine.find(".exe") + 4;
            std::string arguments = commandLine.substr(afterProgram);
            if (!arguments.empty() && arguments[0] == '"')
                arguments.erase(0, 1);
            if (!arguments.empty() && arguments[0] == ' ')
                arguments.erase(0, 1);
            const std::string framework = self.substr(self.find("Framework\\") + 10);
            calls.push_back(framework + "|" + arguments + "|" + line.substr(second + 1));
        }
        DeleteFileA(log.c_str());
        return calls;
    }
    void Execute(const std::vector<Line>& lines)
    {
        ovdtest_engine::FillScript(script, lines);
        for (long i = 0; i < static_cast<long>(lines.size()); ++i) {
            TCommandContext context(run, i);
            (*FindCommand(context.Command()))(context);
        }
    }
};

TEST_F(DotNetCommandsWine, ToolsCommandLinesAndFallBack)
{
    const std::string file = dir + "My Lib.dll";
    const std::string folder = dir.substr(0, dir.size() - 1);
    const std::string q = "\"" + file + "\"";
    struct Case {
        const char* name;
        std::vector<std::string> versions;
        std::map<std::string, int> codes;
        Line line;
        std::vector<std::string> calls;
    } cases[] = {
        {"a path only installs",
         {"v4.0.30319"},
         {},
         {"Generate Native Images", {"$DIR$My Lib.dll"}},
         {"v4.0.30319\\ngen.exe|install " + q + "|" + folder}},
        {"uninstall on the oldest framework",
         {"v1.1.4322"},
         {},
         {"Generate Native Images", {"$DIR$My Lib.dll|FALSE"}},
         {"v1.1.4322\\ngen.exe|/delete " + q + "|" + folder}},
        {"installer class, uninstall",
         {"v4.0.30319"},
         {},
         {"Run .NET Installer Class", {"$DIR$My Lib.dll", "FALSE"}},
         {"v4.0.30319\\installutil.exe|/u " + q + "|" + folder}},
        {"unregister with code base",
         {"v4.0.30319"},
         {},
         {"Register Assembly", {"$DIR$My Lib.dll|FALSE|TRUE"}},
         {"v4.0.30319\\regasm.exe|/tlb /unregister /codebase " + q + " /silent|" + folder}},
        {"only framework 2.0",
         {"v2.0.50727"},
         {},
         {"Register Assembly", {"$DIR$My Lib.dll"}},
         {"v2.0.50727\\regasm.exe|/tlb " + q + " /silent|" + folder}},
        {"a newer tool that fails: the older one runs",
         {"v4.0.30319", "v2.0.50727", "v1.1.4322"},
         {{"v4.0.30319\\ngen.exe", 3}},
         {"Generate Native Images", {"$DIR$My Lib.dll|TRUE"}},
         {"v4.0.30319\\ngen.exe|install " + q + "|" + folder,
          "v2.0.50727\\ngen.exe|install " + q + "|" + folder}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Frameworks(c.versions, c.codes);
        Execute({c.line});
        EXPECT_EQ(Calls(), c.calls);
    }
}

TEST_F(DotNetCommandsWine, DisplayNamesFromTheAssemblyCache)
{
    Frameworks({"v4.0.30319"});
    const std::string name = "Ovd.Test, Version=1.2.3.4, Culture=neutral, PublicKeyToken=00aa11bb";
    const std::string relative = "Ovd.Test\\1.2.3.4__00aa11bb\\Ovd.Test.dll";
    const std::string cache = Windows() + "assembly\\";
    struct Case {
        const char* name;
        std::vector<const char*> caches;
        std::string expected; // the file regasm.exe is given
    } cases[] = {
        {"only in GAC_64", {"GAC_64"}, cache + "GAC_64\\" + relative},
        {"in GAC_MSIL and GAC", {"GAC", "GAC_MSIL"}, cache + "GAC_MSIL\\" + relative},
        {"in none: the name itself", {}, name},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> files;
        for (const char* folder : c.caches) {
            const std::string path = cache + folder + "\\" + relative;
            ForceDirectories(path.substr(0, path.rfind('\\')));
            ASSERT_TRUE(ovdtest::WriteFileBytes(path, "stand-in assembly"));
            files.push_back(path);
        }
        Execute({{"Register Assembly", {name}}});
        const auto calls = Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_NE(calls[0].find("|/tlb \"" + c.expected + "\" /silent|"), std::string::npos)
            << calls[0];
        for (const std::string& path : files)
            DeleteFileA(path.c_str());
    }
}

} // namespace
} // namespace ovd
