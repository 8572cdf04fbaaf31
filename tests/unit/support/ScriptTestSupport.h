// Builds small compiled scripts in memory and records what run preparation asks of the
// machine, for the native tests of validation and preparation.
#pragma once

#include "CompiledScript.h"
#include "RunPlatform.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ovdtest_engine {

struct Line {
    std::string command;
    std::vector<std::string> params;
    bool disabled = false;
};

inline void FillScript(ovd::TCompiledScript& s, const std::vector<Line>& lines)
{
    s.Clear();
    s.ParameterLists = {&s.ParameterRecords};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        char id[48];
        std::snprintf(id, sizeof id, "{00000000-0000-0000-0000-%012zu}", i);
        s.CommandNames.Add(lines[i].command);
        s.CommandIds.Add(id);
        s.LineFlags.Add(lines[i].disabled ? "C" : "");
        s.LineWebMediaFlags.Add("");
        s.SourcePositions.Add("main.ovds*" + std::to_string(i));
        if (!lines[i].params.empty()) {
            s.ParameterRecords.Add(id);
            for (const auto& p : lines[i].params)
                s.ParameterRecords.Add(p);
        }
    }
}

// Answers from fixed facts and writes every side effect into `events`, the trace included,
// so that one sequence shows the order of everything.
class RecordingPlatform : public ovd::IRunPlatform {
public:
    std::vector<std::string> events;
    std::set<std::string> files;
    std::map<std::string, std::string> fileText;
    bool admin = true;
    int productState = -1;
    bool packageMatches = true;
    std::optional<std::string> language = std::string(); // nothing: the user cancelled
    std::optional<std::string> identFolder;
    int endedWith = 0;

    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
    bool DirectoryExists(const std::string&) override { return true; }
    // Markers a living run holds; any other marker is taken over.
    std::set<std::string> heldMarkers;
    ovd::MarkerClaim ClaimInstanceMarker(const std::string& path) override
    {
        if (heldMarkers.count(path) != 0)
            return ovd::MarkerClaim::HeldByAnotherRun;
        events.push_back((files.count(path) != 0 ? "take over " : "create ") + path);
        files.insert(path);
        return ovd::MarkerClaim::Claimed;
    }
    void ReleaseInstanceMarker(const std::string& path) override
    {
        events.push_back("remove " + path);
        files.erase(path);
    }
    std::optional<std::string> ReadTextFile(const std::string& path) override
    {
        auto it = fileText.find(path);
        if (it == fileText.end())
            return std::nullopt;
        return it->second;
    }
    // Folder -> file names, in listing order.
    std::map<std::string, std::vector<std::string>> listings;
    std::vector<std::string> ListFiles(const std::string& folder, const std::string&) override
    {
        auto it = listings.find(folder);
        return it == listings.end() ? std::vector<std::string>() : it->second;
    }
    std::uint64_t TickCount() override { return 123456; }
    bool IsNtFamily() override { return true; }
    bool IsAdministrator() override { return admin; }
    std::string DefaultInstallFolder() override
    {
        return admin ? "C:\\Program Files\\" : "C:\\Users\\me\\";
    }
    std::string RegisteredOwner() override { return "Owner"; }
    std::string RegisteredOrganization() override { return "Org"; }
    std::string date = "08/12/2026", time = "23:59:01";
    std::string CurrentDate() override { return date; }
    std::string CurrentTime() override { return time; }
    std::string ExeFile() override { return "D:\\dist\\setup.exe"; }
    std::optional<std::string> IdentCacheFolder(const std::string&) override { return identFolder; }
    std::string ApplicationDataFolder(bool allUsers) override
    {
        return allUsers ? "C:\\ProgramData\\" : "C:\\Users\\me\\AppData\\Local\\";
    }
    int QueryProductState(const std::string&) override { return productState; }
    bool ProductPackageCodeMatches(const std::string&, const std::string&) override
    {
        return packageMatches;
    }
    void DeleteResumeEntry(const std::string& name) override
    {
        events.push_back("resume-entry " + name);
    }
    // What TEngineServices::ChooseLanguage answers in the run-preparation tests.
    std::optional<std::string> ChooseLanguage()
    {
        events.push_back("language");
        return language;
    }
    void EndProcess(int code) override
    {
        events.push_back("end " + std::to_string(code));
        endedWith = code;
    }
};

} // namespace ovdtest_engine
