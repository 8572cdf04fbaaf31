#include "InstallerResult.h"

namespace ovd {

int LaunchResult(bool cancelled, bool error, bool restart)
{
    if (cancelled && error)
        return 0;
    if (error)
        return -1;
    return restart ? 2 : 1;
}

std::string ResultWord(int result)
{
    switch (result) {
    case 1:
        return "COMPLETE";
    case 2:
        return "REBOOT";
    case 0:
        return "CANCEL";
    default:
        return "ERROR";
    }
}

std::string TrimSystemMessage(std::string_view text)
{
    while (!text.empty() && static_cast<unsigned char>(text.back()) < '!')
        text.remove_suffix(1);
    if (!text.empty() && text.back() == '.')
        text.remove_suffix(1);
    return std::string(text);
}

std::string FinalResultText(std::string text)
{
    const std::size_t dot = text.find('.');
    if (dot != std::string::npos && dot + 1 == text.size())
        text.pop_back();
    return text;
}

std::string NextBusyDots(std::string_view dots)
{
    if (dots == ".")
        return "..";
    if (dots == "..")
        return "...";
    return ".";
}

} // namespace ovd

namespace ovd {

unsigned RunWhileInstallerBusy(const TBusyRetry& retry)
{
    // The installer would answer the first message with our cancel; not asking it at all
    // leaves the machine as it was on every platform.
    if (retry.Cancelled())
        return kInstallerUserExit;
    std::string dots;
    for (;;) {
        const unsigned result = retry.Attempt();
        if (result != kInstallerBusy)
            return result;
        dots = NextBusyDots(dots);
        retry.Report("Windows Installer" + dots);
        if (!retry.Pause(kBusyPauseMs) || retry.Cancelled())
            return result;
    }
}

} // namespace ovd
