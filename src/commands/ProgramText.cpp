#include "ProgramText.h"

#include "PathText.h"
#include "ScriptText.h"

namespace ovd {

std::string UnquotedPath(std::string_view path)
{
    if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
        path = path.substr(1, path.size() - 2);
    return std::string(path);
}

std::string QuotedCommandLine(std::string_view program, std::string_view arguments)
{
    std::string line = "\"" + UnquotedPath(program) + "\"";
    if (!arguments.empty()) {
        line += ' ';
        line += arguments;
    }
    return line;
}

std::string EnvironmentBlock(std::string_view text)
{
    std::string block;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view entry = text.substr(start, end - start);
        if (!entry.empty() && entry.back() == '\r')
            entry.remove_suffix(1);
        if (!entry.empty()) {
            block += entry;
            block += '\0';
        }
        start = end + 1;
    }
    if (!block.empty())
        block += '\0';
    return block;
}

std::string ResumeValueName(std::string_view productCode)
{
    const std::size_t brace = productCode.find('{');
    if (brace == std::string_view::npos || productCode.size() - brace - 1 < 8)
        return {};
    return std::string(productCode.substr(brace + 1, 8));
}

std::string ResumeValueData(std::string_view sfxFolder, std::string_view sfxFile,
                            std::string_view exePath, std::string_view arguments)
{
    std::string data =
        sfxFile.empty() ? std::string(exePath) : std::string(sfxFolder) + std::string(sfxFile);
    if (data.find(' ') != std::string::npos)
        data = "\"" + data + "\"";
    if (!arguments.empty()) {
        data += ' ';
        data += arguments;
    }
    return data;
}

bool ProcessNameMatches(std::string_view executable, std::string_view name)
{
    return !name.empty() && SameTextAscii(ExtractFileName(executable), name);
}

bool WindowMatches(std::string_view title, std::string_view className, std::string_view titlePart,
                   std::string_view classPart)
{
    if (titlePart.empty() && classPart.empty())
        return false;
    return (classPart.empty() || className.find(classPart) != std::string_view::npos) &&
           (titlePart.empty() || title.find(titlePart) != std::string_view::npos);
}

ShowCode ShowCodeFrom(long long code)
{
    switch (code) {
    case 1:
        return ShowCode::Hidden;
    case 2:
        return ShowCode::Maximized;
    case 3:
        return ShowCode::Minimized;
    case 4:
        return ShowCode::MinimizedNoActivate;
    default:
        return ShowCode::Normal;
    }
}

} // namespace ovd
