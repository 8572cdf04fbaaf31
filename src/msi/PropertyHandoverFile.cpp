#include "PropertyHandoverFile.h"

#include "ReservedInstallerProperties.h"
#include "ScriptText.h"

namespace ovd {
namespace {

bool StartsWithDrive(std::string_view text)
{
    return text.size() >= 2 && text[1] == ':' &&
           ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'));
}

class THandoverWriter {
public:
    explicit THandoverWriter(const THandoverInput& input) : in_(input) {}

    void Line(std::string_view text)
    {
        text_ += text;
        text_ += "\r\n";
    }

    void Entry(std::string_view name, std::string_view rawValue)
    {
        std::string value =
            CollapseBackslashPairs(in_.Expand ? in_.Expand(rawValue) : std::string(rawValue));
        if (in_.Uninstall && !in_.Patch && StartsWithDrive(value) && in_.Exists &&
            !in_.Exists(value))
            value = in_.DataDir;
        Line(name);
        // A value's own line breaks would split it across lines and misalign every
        // name/value/"$ex" triple after it.
        Line(NewlinesToText(value));
        Line("$ex");
    }

    std::string Take() { return std::move(text_); }

private:
    const THandoverInput& in_;
    std::string text_;
};

} // namespace

std::string PropertyHandoverText(const THandoverInput& in)
{
    THandoverWriter w(in);
    w.Line("SourceDir");
    w.Line(in.DataDir);
    w.Line("$ex");
    if (in.Patch) {
        w.Line("SRCDIREX");
        w.Line(in.DataDir);
    } else {
        w.Line("MEDIAPACKAGEPATH");
        w.Line(in.MediaDir);
    }
    w.Line("$ex");
    for (std::size_t i = 0; i + 1 < in.Properties.size(); i += 2)
        w.Entry(in.Properties[i], in.Properties[i + 1]);
    for (std::size_t i = 0; i + 1 < in.Variables.size(); i += 2) {
        if (!IsReservedInstallerProperty(in.Variables[i]))
            w.Entry(in.Variables[i], in.Variables[i + 1]);
    }
    return w.Take();
}

} // namespace ovd
