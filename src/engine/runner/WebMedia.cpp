#include "WebMedia.h"

#include <algorithm>

#include "AnsiText.h"
#include "CommandTable.h"
#include "CompiledScript.h"
#include "EngineMessages.h"
#include "EngineServices.h"
#include "PredefinedVariables.h"
#include "ScriptError.h"
#include "ScriptRun.h"
#include "ScriptText.h"
#include "VariableManager.h"
#include "WebMediaPassword.h"

namespace ovd {
namespace {

constexpr int kPercentCompleteMessage = 21;
constexpr int kBytesReceivedMessage = 22;

std::string Trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string WithSeparators(std::uint64_t value)
{
    const std::string digits = std::to_string(value);
    std::string text;
    text.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i != 0 && (digits.size() - i) % 3 == 0)
            text += ',';
        text += digits[i];
    }
    return text;
}

} // namespace

TWebMediaState& WebMediaState(TScriptRun& run)
{
    return run.Slots.Get<TWebMediaState>();
}

void MakeWebMediaBlockCurrent(TScriptRun& run, const std::string& name,
                              const std::string& locations)
{
    TWebMediaBlock block;
    block.Name = name;
    const std::string text = TextToNewlines(locations);
    TLineReader reader(text);
    std::string_view line;
    while (reader.Next(line)) {
        std::string url = Trimmed(line);
        if (!url.empty())
            block.Urls.push_back(std::move(url));
    }
    block.ArchivePath = WithBackslash(GetVariable("DATADIR")) + name + ".7zip";
    // A block without a password of its own takes the offline media's; each is scrambled
    // under the name it is stored with.
    std::string entry = name;
    std::string stored = GetWebMediaPassword(*run.Script, name);
    if (stored.empty()) {
        entry = "offline";
        stored = GetWebMediaPassword(*run.Script, entry);
    }
    if (!stored.empty())
        block.Password = UnscrambleWebMediaPassword(stored, entry).value_or(std::string());
    run.WebMediaArchive = block.ArchivePath;
    if (std::find(run.WebMediaBlockNames.begin(), run.WebMediaBlockNames.end(), name) ==
        run.WebMediaBlockNames.end())
        run.WebMediaBlockNames.push_back(name);
    TWebMediaState& state = WebMediaState(run);
    state.Current = std::move(block);
    // The resume choice of a retry form was about the block before; the proxy settings the
    // user gave serve every later fetch.
    state.Resume = true;
}

std::string WebMediaCacheFolder(IRunPlatform& platform, const TCompiledScript& script,
                                bool allUsers)
{
    return EngineCacheFolder(platform, script, allUsers);
}

std::string WebMediaDataFolder(TScriptRun& run)
{
    const std::string& used = WebMediaState(run).CacheFolder;
    return used.empty() ? WithBackslash(GetVariable("DATADIR")) : used;
}

bool FetchLineBlock(TCommandContext& c, const std::string& location)
{
    TScriptRun& run = c.Run();
    if (run.Script->BuildMode != 2 || location.empty() || !run.Services.FetchWebMedia ||
        IsTrue(GetVariable("ABORTEDONERROR")))
        return true;
    try {
        run.Services.FetchWebMedia(run, location);
    } catch (const ScriptError& e) {
        return !c.ReportFailure(e.what(), "Weblock Abort");
    }
    return true;
}

std::string DownloadStatusText(std::uint64_t received, std::uint64_t total, int percent)
{
    std::string text = WithSeparators(received) + " " + EngineMessage(kBytesReceivedMessage);
    if (total != 0)
        text += ", " + std::to_string(percent) + EngineMessage(kPercentCompleteMessage);
    return text;
}

int DownloadPercent(std::uint64_t received, std::uint64_t total, int& spin)
{
    if (total == 0) {
        spin = spin >= 100 ? 0 : spin + 1;
        return spin;
    }
    if (received >= total)
        return 100;
    // Both halved until the product fits in 64 bits: exact for every real size (up to
    // 180 PB), and never an overflow.
    while (total > UINT64_MAX / 100) {
        total >>= 1;
        received >>= 1;
    }
    const std::uint64_t percent = received * 100 / total + 1;
    return percent > 100 ? 100 : static_cast<int>(percent);
}

} // namespace ovd
