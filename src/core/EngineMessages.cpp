#include "EngineMessages.h"

#include <vector>

#include "AnsiText.h"
#include "FileBytes.h"

namespace ovd {

namespace {

using Texts = std::array<std::string, kEngineMessageCount + 1>;

const Texts& Defaults()
{
    static const Texts texts = {
        "",
        "Please install the common controls update from Microsoft before attempting to "
        "install this product.",
        "Setup resource not found",
        "Setup resource decompression failure",
        "Setup database not found",
        "Runtime error in install: ",
        "bytes",
        "KB",
        "MB",
        "Attempting to get value of undefined variable ",
        "Attempting to set value of undefined variable ",
        "Copying: ",
        "Unable to copy installation data to local folders",
        "Downloading Web Media: ",
        "Unable to download installation data from the web",
        "Extracting Web Media: ",
        "Unable to extract installation data downloaded from the web",
        "Please locate your original setup sources to continue operation",
        "Original setup sources required to complete operation, sources not found",
        "General setup failure",
        "Runtime error in setup script:",
        "% complete",
        "bytes received",
        "Are you sure you want to cancel?",
        "Fatal Error",
        "Error",
        "Warning",
        "Message",
        "Files in Use",
        "Out of Disk Space",
        "",
        "Locating resource",
        "Connecting to",
        "Redirecting to",
        "Beginning data transfer",
        "Transferring data",
        "Finishing data transfer",
        "Beginning component download",
        "Installing components",
        "Finishing component download",
        "Resuming broken download",
        "Requesting data",
        "CLASSID available",
        "Download data recognized",
        "Saving download information",
        "Beginning synchronous operation",
        "Finishing synchronous operation",
        "Beginning data upload",
        "Uploading data",
        "Finishing data upload",
        "Protocol CLASSID",
        "Encoding",
        "Download data recognized and verified",
        "Class install location",
        "Decoding",
        "Loading data handler",
        "Content disposition attach",
        "Download data filtered",
        "CLSID can instantiate",
        "COM services unavailable",
        "Direct bind",
        "Unrecognized download data",
        "Detecting proxy information",
        "Accept ranges",
        "A previously executed setup still has pending operations on the system. Please "
        "restart your computer before attempting to install this product.",
        "Unable to play Flash movie",
        "Ordovan Wizard",
        "Ordovan is preparing the Ordovan Wizard which will install this application. Please "
        "wait.",
        "Retry Download?",
        "Downloading of installation data from the web has failed. Would you like to try "
        "again?",
        " Proxy Information (optional) ",
        "Proxy &Server:",
        "Proxy &Port:",
        "If you choose No, setup will exit. However, you will be able to resume your download "
        "from where it left off when you re-run setup.",
        "&Yes",
        "&No",
        "Retry Extraction?",
        "Extraction of installation data downloaded from the web has failed. What would you "
        "like to do?",
        "&Download a fresh copy of the installation data.",
        "Try to &extract the existing download data again.",
        "If you choose Cancel, setup will exit. Your existing download data will be preserved.",
        "&OK",
        "&Cancel",
        "Proxy &User:",
        "Proxy Pass&word:",
        "Downloading of installation data from the web has failed. Please make sure you are "
        "connected to the Internet.",
        "Would you like to:",
        "Try to &resume the broken download?",
        "Download a &new copy of the data instead?",
        "If you choose Cancel, setup will exit. However, you will be able to resume your "
        "download from where it left off when you re-run setup.",
        "Select Setup Language",
        "Please select the language to use during the installation:",
        "Will be &installed on local hard drive",
        "&Entire feature will be installed on local hard drive",
        "Entire feature will be &unavailable",
    };
    return texts;
}

std::array<int, kLanguageBlockLines> MakeBlockOrder()
{
    std::array<int, kLanguageBlockLines> order{};
    std::size_t n = 0;
    auto range = [&](int first, int last) {
        for (int i = first; i <= last; ++i) {
            order[n++] = i;
        }
    };
    range(1, 22);
    range(66, 82);
    range(23, 23);
    range(83, 84);
    range(24, 29);
    range(85, 89);
    range(30, 64);
    range(90, 91);
    for (int i = 0; i < 20; ++i) {
        order[n++] = 0;
    }
    range(65, 65);
    range(92, 94);
    return order;
}

struct TMessageState {
    Texts texts = Defaults();
    std::string title;
    bool logoHidden = false;
};

TMessageState& State()
{
    static TMessageState state;
    return state;
}

// Reads one block of lines into `block`; false when the text ends first.
bool ReadBlock(TLineReader& lines, Texts& block)
{
    const auto& order = LanguageBlockOrder();
    for (int index : order) {
        std::string_view line;
        if (!lines.Next(line)) {
            return false;
        }
        if (index != 0) {
            block[index].assign(line);
        }
    }
    return true;
}

struct TLanguage {
    std::uint32_t id;
    const char* name;
};

// Locale identifier to English name, as the setup-language selection knows them.
constexpr TLanguage kLanguages[] = {
    {1025, "Arabic"},
    {1027, "Catalan"},
    {1028, "Chinese (Taiwan)"},
    {2052, "Chinese (PRC)"},
    {1029, "Czech"},
    {1030, "Danish"},
    {1031, "German"},
    {1032, "Greek"},
    {1033, "English"},
    {3082, "Spanish"},
    {1061, "Estonian"},
    {1035, "Finnish"},
    {1036, "French"},
    {1037, "Hebrew"},
    {1038, "Hungarian"},
    {1040, "Italian"},
    {1041, "Japanese"},
    {1042, "Korean"},
    {1063, "Lithuanian"},
    {1062, "Latvian"},
    {1043, "Dutch"},
    {1044, "Norwegian"},
    {1045, "Polish"},
    {1046, "Portugese (Brazil)"},
    {2070, "Portugese (Portugal)"},
    {1048, "Romanian"},
    {1049, "Russian"},
    {1050, "Croatian"},
    {1051, "Slovak"},
    {1053, "Swedish"},
    {1054, "Thai"},
    {1055, "Turkish"},
    {1060, "Slovenian"},
    {1066, "Vietnamese"},
    {1069, "Basque"},
};

} // namespace

const std::array<int, kLanguageBlockLines>& LanguageBlockOrder()
{
    static const auto order = MakeBlockOrder();
    return order;
}

const std::string& DefaultEngineMessage(int index)
{
    return Defaults()[index >= 1 && index <= kEngineMessageCount ? index : 0];
}

const std::string& EngineMessage(int index)
{
    static const std::string empty;
    return index >= 1 && index <= kEngineMessageCount ? State().texts[index] : empty;
}

void ResetEngineMessages()
{
    State() = TMessageState{};
}

int LoadEngineMessagesFromText(std::string_view fileText, std::string_view userLanguage)
{
    TLineReader lines(fileText);
    Texts block = State().texts;
    if (!ReadBlock(lines, block)) {
        return 0;
    }
    State().texts = block;
    int applied = 1;
    std::string_view name;
    while (lines.Next(name)) {
        if (!ReadBlock(lines, block)) {
            break;
        }
        State().texts = block;
        ++applied;
        if (AnsiSameText(name, userLanguage)) {
            break;
        }
    }
    return applied;
}

int LoadEngineMessages(const std::string& path, std::string_view userLanguage)
{
    const std::optional<std::string> text = ReadFileBytes(path);
    return text ? LoadEngineMessagesFromText(*text, userLanguage) : 0;
}

std::string LanguageBlockText(const std::array<std::string, kEngineMessageCount + 1>& texts)
{
    std::string out;
    for (int index : LanguageBlockOrder()) {
        if (index != 0) {
            out += texts[index];
        }
        out += "\r\n";
    }
    return out;
}

std::string DefaultLanguageFileText()
{
    return LanguageBlockText(Defaults());
}

std::string LanguageNameOf(std::uint32_t langId)
{
    for (const auto& language : kLanguages) {
        if (language.id == langId) {
            return language.name;
        }
    }
    return {};
}

std::uint32_t LanguageIdOf(std::string_view name)
{
    const std::string upper = AnsiUpperCase(name);
    for (const auto& language : kLanguages) {
        if (AnsiUpperCase(language.name) == upper) {
            return language.id;
        }
    }
    return 1033;
}

std::string UserLanguageName(std::string_view localeLanguageHex)
{
    std::uint32_t id = 0;
    if (localeLanguageHex.empty() || localeLanguageHex.size() > 8) {
        return {};
    }
    for (char ch : localeLanguageHex) {
        int digit;
        if (ch >= '0' && ch <= '9') {
            digit = ch - '0';
        } else if (ch >= 'a' && ch <= 'f') {
            digit = ch - 'a' + 10;
        } else if (ch >= 'A' && ch <= 'F') {
            digit = ch - 'A' + 10;
        } else {
            return {};
        }
        id = id * 16 + static_cast<std::uint32_t>(digit);
    }
    return UserLanguageName(id);
}

std::string UserLanguageName(std::uint32_t langId)
{
    return LanguageNameOf(langId);
}

void SetEngineCaptionState(std::string title, bool logoHidden)
{
    State().title = std::move(title);
    State().logoHidden = logoHidden;
}

std::string EngineCaption()
{
    return EngineCaption(State().title, State().logoHidden);
}

std::string EngineCaption(std::string_view title, bool logoHidden)
{
    // " Wizard" is its own localisable resource, kept apart from the message table.
    static const std::string wizard = " Wizard";
    if (logoHidden) {
        return std::string(title);
    }
    if (!title.empty()) {
        return std::string(title) + " - Ordovan" + wizard;
    }
    return "Ordovan" + wizard;
}

} // namespace ovd
