#include "VariableManager.h"

#include "AnsiText.h"
#include "CommaText.h"
#include "ScriptText.h"
#include "uGlobals.h"

#include <cstdint>

namespace ovd {
namespace {

// A value inserted by an expansion, and where it ends in the text being expanded.
// References found inside it that name it (or any value it lies in) stay as they are.
struct ExpansionFrame {
    std::string name;
    std::size_t end;
};

} // namespace

std::size_t VariableNameHash::operator()(std::string_view name) const noexcept
{
    std::uint64_t h = 1469598103934665603ull; // FNV-1a
    for (char c : name) {
        h ^= static_cast<unsigned char>(FoldAscii(c));
        h *= 1099511628211ull;
    }
    return static_cast<std::size_t>(h ^ (h >> 32));
}

bool VariableNameEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    return SameTextAscii(a, b);
}

TVariableManager::TVariableManager(bool lockReads) : lockReads_(lockReads)
{
    table_.max_load_factor(2.0f);
}

void TVariableManager::SetVariableValue(std::string_view name, std::string_view value)
{
    if (name.empty())
        return;
    std::lock_guard guard(lock_);
    auto it = table_.find(name);
    if (it != table_.end()) {
        TEntry& entry = it->second;
        if (entry.watched && entry.value != value)
            NoteWatchedWrite();
        entry.value.assign(value);
        return;
    }
    const bool watched = !watched_.empty() && watched_.find(name) != watched_.end();
    table_.emplace(std::string(name), TEntry{std::string(value), watched});
    if (watched)
        NoteWatchedWrite();
}

void TVariableManager::Watch(std::string_view name)
{
    if (name.empty())
        return;
    std::lock_guard guard(lock_);
    watched_.emplace(name);
    auto it = table_.find(name);
    if (it != table_.end())
        it->second.watched = true;
    NoteWatchedWrite();
}

bool TVariableManager::Lookup(std::string_view name, std::string& value) const
{
    if (name.empty())
        return false;
    std::unique_lock guard(lock_, std::defer_lock);
    if (lockReads_)
        guard.lock();
    auto it = table_.find(name);
    if (it == table_.end())
        return false;
    value = it->second.value;
    return true;
}

std::string TVariableManager::GetVariableValue(std::string_view name) const
{
    std::string value;
    Lookup(name, value);
    return value;
}

bool TVariableManager::VariableExists(std::string_view name) const
{
    if (name.empty())
        return false;
    std::unique_lock guard(lock_, std::defer_lock);
    if (lockReads_)
        guard.lock();
    return table_.find(name) != table_.end();
}

void TVariableManager::ClearVariables()
{
    std::lock_guard guard(lock_);
    table_.clear();
    NoteWatchedWrite();
}

std::size_t TVariableManager::ExportVariables(std::vector<std::string>& list) const
{
    list.clear();
    std::lock_guard guard(lock_);
    list.reserve(table_.size() * 2);
    for (const auto& [name, entry] : table_) {
        list.push_back(name);
        list.push_back(entry.value);
    }
    return list.size();
}

std::size_t TVariableManager::Count() const
{
    std::lock_guard guard(lock_);
    return table_.size();
}

std::string TVariableManager::ExpandVariables(std::string_view text) const
{
    return Expand(text, false);
}

std::string TVariableManager::ExpandVariablesQuoted(std::string_view text) const
{
    return Expand(text, true);
}

// Scans for "$NAME$" left to right. A known name is replaced by its value and the scan
// resumes at the start of the inserted value, so references inside values expand too.
// An unknown candidate is left, and its closing "$" may open the next candidate.
// A reference inside an inserted value that names that value, or any value around it,
// is left as it stands: this is what ends self-referring expansions.
//
// The text still to scan is kept reversed, so that inserting a value in front of it is
// an append: the work grows with the size of the result, not with its square.
std::string TVariableManager::Expand(std::string_view text, bool quoted) const
{
    if (text.find('$') == std::string_view::npos)
        return std::string(text);

    std::string out;
    out.reserve(text.size()); // short texts stay in the string itself
    std::string rest(text.rbegin(), text.rend());
    // A frame's inserted value lies at rest indices >= end; frames nest, innermost last.
    std::vector<ExpansionFrame> frames;
    std::string value, name;
    std::size_t substitutions = 0, inserted = 0;
    auto moveToOut = [&](std::size_t from) { // rest[from..] goes to out, in text order
        out.append(rest.rbegin(), rest.rbegin() + static_cast<std::ptrdiff_t>(rest.size() - from));
        rest.resize(from);
    };
    for (;;) {
        const std::size_t ia = rest.rfind('$');
        if (ia == std::string::npos)
            break;
        moveToOut(ia + 1); // rest now ends with the opening "$"
        if (ia == 0)
            break;
        const std::size_t ib = rest.rfind('$', ia - 1);
        if (ib == std::string::npos)
            break; // a lone "$" ends the scan
        name.assign(rest.rbegin() + 1, rest.rbegin() + static_cast<std::ptrdiff_t>(ia - ib));

        while (!frames.empty() && frames.back().end >= rest.size())
            frames.pop_back();
        bool blocked = false;
        for (const ExpansionFrame& f : frames) {
            if (SameTextAscii(f.name, name)) {
                blocked = true;
                break;
            }
        }

        const std::size_t refLen = ia - ib + 1;
        const std::size_t insertLen = (quoted ? 2 : 0);
        if (!blocked && substitutions < kMaxExpansionSubstitutions && Lookup(name, value) &&
            inserted + value.size() <= kMaxExpansionWork &&
            out.size() + rest.size() - refLen + insertLen + value.size() <= kMaxExpansionLength) {
            rest.resize(ib);
            // Values that the reference reached the end of now end with the new value.
            for (ExpansionFrame& f : frames) {
                if (f.end >= ib)
                    f.end = ib;
            }
            if (quoted)
                rest += '"';
            rest.append(value.rbegin(), value.rend());
            if (quoted)
                rest += '"';
            // A value without "$" can hold no reference: nothing to remember.
            if (value.find('$') != std::string::npos)
                frames.push_back({name, ib});
            inserted += value.size();
            ++substitutions;
            continue;
        }
        moveToOut(ib + 1); // the closing "$" may open the next candidate
    }
    out.append(rest.rbegin(), rest.rend());
    return out;
}

TVariableManager& Variables()
{
    static TVariableManager store(true);
    return store;
}

std::string GetVariable(std::string_view name)
{
    return Variables().GetVariableValue(name);
}

void DefineVariable(std::string_view name, std::string_view value, std::string_view origin)
{
    if (name.empty())
        return;
    if (Variables().VariableExists(name))
        SetVariable(name, value, origin);
    else
        Variables().SetVariableValue(name, value);
}

void SetVariable(std::string_view name, std::string_view value, std::string_view origin)
{
    if (name.empty())
        return;
    const ProcessFacts& facts = Process();
    std::string upper;
    if (facts.SilentMode) {
        // The command line upper-cases its names the same way.
        upper = UpperCaseAscii(name);
        if (origin != kOriginInjectOverride) {
            const auto& props = facts.CommandLineProperties;
            for (std::size_t i = 0; i < props.size(); i += 2) {
                if (AnsiSameText(props[i], upper))
                    return;
            }
        }
        name = upper;
    }
    // Existing or not, the value ends up stored under the name.
    Variables().SetVariableValue(name, value);
}

void InjectCommandLineProperties()
{
    const auto& props = Process().CommandLineProperties;
    for (std::size_t i = 0; i + 1 < props.size(); i += 2) {
        const std::string name = UpperCaseAscii(props[i]);
        if (Variables().VariableExists(name))
            SetVariable(name, props[i + 1], kOriginInjectOverride);
        else
            DefineVariable(name, props[i + 1], kOriginInjectOverride);
    }
}

std::string ExpandVariables(std::string_view text)
{
    return Variables().ExpandVariables(text);
}

std::string ExpandVariablesQuoted(std::string_view text)
{
    return Variables().ExpandVariablesQuoted(text);
}

std::string ResolveVariable(std::string_view text)
{
    const std::string name = OutputVariableName(text);
    if (!Variables().VariableExists(name))
        return std::string(kUndefinedMarker);
    return ExpandVariables(Variables().GetVariableValue(name));
}

std::string ResolveVariableOrEmpty(std::string_view text)
{
    const std::string name = OutputVariableName(text);
    if (!Variables().VariableExists(name))
        return {};
    return ExpandVariables(Variables().GetVariableValue(name));
}

bool IsDefinedReference(std::string_view text, bool allowPlainText)
{
    const std::string name = StripVariableMarkers(text);
    if (allowPlainText)
        return name.empty() || Variables().VariableExists(name);
    return Variables().VariableExists(name.empty() ? std::string(text) : name);
}

std::string SaveVariablesToText()
{
    std::vector<std::string> lines;
    Variables().ExportVariables(lines);
    return ToCommaText(lines);
}

void LoadVariablesFromText(std::string_view text)
{
    const std::vector<std::string> lines = FromCommaText(text);
    Variables().ClearVariables();
    // A trailing name without its value line gets an empty value.
    for (std::size_t i = 0; i < lines.size(); i += 2)
        Variables().SetVariableValue(lines[i], i + 1 < lines.size() ? lines[i + 1] : "");
}

} // namespace ovd
