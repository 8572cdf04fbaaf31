#include "CommandLine.h"

#include "AnsiText.h"

namespace ovd {
namespace {

bool IsBlankOrTab(char c)
{
    return c == ' ' || c == '\t';
}

bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// The value of the first argument that starts with one of `prefixes` (compared on its
// lower-cased text), lower-cased, without the prefix; empty when none does.
std::string OptionValue(const std::vector<std::string>& arguments,
                        std::initializer_list<std::string_view> prefixes,
                        const TLowerCase& lowerCase)
{
    for (const std::string& argument : arguments) {
        std::string lower = lowerCase(argument);
        for (std::string_view prefix : prefixes)
            if (StartsWith(lower, prefix))
                return lower.substr(prefix.size());
    }
    return {};
}

} // namespace

std::string CommandLineTailOf(std::string_view raw)
{
    if (!raw.empty() && raw.front() == '"') {
        std::string_view rest = raw.substr(1);
        size_t quote = rest.find('"');
        if (quote == std::string_view::npos)
            return {};
        size_t start = quote + 2;
        return start < rest.size() ? std::string(rest.substr(start)) : std::string();
    }
    size_t blank = raw.find(' ');
    if (blank == std::string_view::npos)
        return {};
    return std::string(raw.substr(blank + 1));
}

std::vector<std::string> SplitArguments(std::string_view s)
{
    size_t i = 0;
    const size_t n = s.size();
    // The program name: quotes delimit it, backslashes are plain characters.
    if (i < n && s[i] == '"') {
        size_t close = s.find('"', 1);
        i = close == std::string_view::npos ? n : close + 1;
    }
    while (i < n && !IsBlankOrTab(s[i]))
        ++i;

    std::vector<std::string> arguments;
    for (;;) {
        while (i < n && IsBlankOrTab(s[i]))
            ++i;
        if (i >= n)
            break;
        std::string argument;
        bool quoted = false;
        while (i < n && (quoted || !IsBlankOrTab(s[i]))) {
            if (s[i] == '"') {
                if (quoted && i + 1 < n && s[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                argument += s[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool IsSwitch(std::string_view argument, std::string_view name)
{
    if (argument.size() != name.size() + 1 || (argument[0] != '/' && argument[0] != '-'))
        return false;
    return AnsiSameText(argument.substr(1), name);
}

void ParseCommandLine(std::string_view raw, ProcessFacts& facts, const TLowerCase& lowerCase)
{
    facts.CommandLineTail = CommandLineTailOf(raw);
    const std::vector<std::string> arguments = SplitArguments(raw);

    auto present = [&](std::string_view name) {
        for (const std::string& argument : arguments)
            if (IsSwitch(argument, name))
                return true;
        return false;
    };
    facts.SilentMode = present("s") || present("qn");
    facts.UpdateSwitch = present("update");
    facts.UpdateSetupSwitch = present("updatesetup");

    facts.GpoPath = OptionValue(arguments, {"/g="}, lowerCase);
    facts.SfxPath = OptionValue(arguments, {"/m="}, lowerCase);
    facts.LogFile = OptionValue(arguments, {"/l=", "-l="}, lowerCase);
    facts.PackageFolder = OptionValue(arguments, {"/p=", "-p="}, lowerCase);

    facts.CommandLineProperties.clear();
    for (const std::string& argument : arguments) {
        if (argument.empty() || argument[0] == '/' || argument[0] == '-')
            continue;
        size_t eq = argument.find('=');
        if (eq == std::string::npos)
            continue;
        facts.CommandLineProperties.push_back(
            AnsiUpperCase(std::string_view(argument).substr(0, eq)));
        facts.CommandLineProperties.push_back(argument.substr(eq + 1));
    }
}

} // namespace ovd
