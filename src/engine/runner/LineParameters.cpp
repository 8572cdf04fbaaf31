#include "LineParameters.h"

#include "CompiledScript.h"

namespace ovd {

void TLineParameters::Build(const TCompiledScript& script)
{
    const std::size_t lines = script.LineCount();
    records_.assign(lines, Record{});
    for (std::size_t line = 0; line < lines; ++line) {
        const std::string& id = script.CommandIds.At(line);
        for (const THashedStringList* list : script.ParameterLists) {
            const long position = list->IndexOf(id);
            if (position < 0)
                continue;
            Record& record = records_[line];
            record.List = list;
            record.Position = static_cast<std::size_t>(position);
            std::size_t at = record.Position + 1;
            while (at < list->Count() && script.CommandIds.IndexOf(list->At(at)) < 0)
                ++at;
            record.Count = static_cast<long>(at - record.Position - 1);
            break;
        }
    }
    built_ = script.Generation();
}

const std::string& TLineParameters::Get(const TCompiledScript& script, long line, long n)
{
    static const std::string kAbsent;
    if (built_ != script.Generation())
        Build(script);
    if (line < 0 || static_cast<std::size_t>(line) >= records_.size() || n < 0)
        return kAbsent;
    const Record& record = records_[static_cast<std::size_t>(line)];
    if (record.List == nullptr || n > record.Count)
        return kAbsent;
    return record.List->At(record.Position + static_cast<std::size_t>(n));
}

} // namespace ovd
