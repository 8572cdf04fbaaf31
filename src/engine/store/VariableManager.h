// The variable store: one process-wide table of named text variables shared by the
// script runner, dialogs, worker threads, the installer thread and plug-ins; and the
// expansion of $NAME$ references in texts. OS-free.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ScriptText.h"

namespace ovd {

// Names match with only the letters A-Z folded; every other byte (accented letters
// included) must match exactly.
struct VariableNameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept;
};
struct VariableNameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

class TVariableManager {
public:
    explicit TVariableManager(bool lockReads = true);
    virtual ~TVariableManager() = default;
    TVariableManager(const TVariableManager&) = delete;
    TVariableManager& operator=(const TVariableManager&) = delete;

    // Stores value under name; an empty name is ignored. A known name written in another
    // letter case updates the same entry (the first spelling is kept).
    virtual void SetVariableValue(std::string_view name, std::string_view value);
    virtual std::string GetVariableValue(std::string_view name) const;
    virtual bool VariableExists(std::string_view name) const;
    virtual void ClearVariables();
    // Clears list, then appends name and value of every entry; returns the line count.
    // Takes the lock as well, so that a plug-in hand-over never sees a half-written table.
    virtual std::size_t ExportVariables(std::vector<std::string>& list) const;

    // $NAME$ expansion; the quoted variant wraps each inserted value in double quotes.
    // See docs/variables.md for the scan and for how self-references end.
    std::string ExpandVariables(std::string_view text) const;
    std::string ExpandVariablesQuoted(std::string_view text) const;

    std::size_t Count() const;

    // Watched names let a reader that polls a few variables very often (the script runner,
    // before every line) skip the work while none of them changed. WatchedWrites() moves
    // on whenever a watched name gets a different value, is created, or the table is
    // cleared; a write of the same value does not move it. Watches survive ClearVariables.
    void Watch(std::string_view name);
    std::uint64_t WatchedWrites() const { return watchedWrites_.load(std::memory_order_acquire); }

private:
    struct TEntry {
        std::string value;
        bool watched = false;
    };

    bool Lookup(std::string_view name, std::string& value) const;
    std::string Expand(std::string_view text, bool quoted) const;
    void NoteWatchedWrite() { watchedWrites_.fetch_add(1, std::memory_order_release); }

    mutable std::mutex lock_;
    const bool lockReads_;
    std::unordered_map<std::string, TEntry, VariableNameHash, VariableNameEqual> table_;
    std::unordered_set<std::string, VariableNameHash, VariableNameEqual> watched_;
    std::atomic<std::uint64_t> watchedWrites_{0};
};

// Safety net for pathological expansions (values that multiply one another): past these
// limits (substitutions, bytes inserted, length of the result) the remaining references
// are left as they stand.
inline constexpr std::size_t kMaxExpansionSubstitutions = 1000000;
inline constexpr std::size_t kMaxExpansionWork = 64u * 1024u * 1024u;
inline constexpr std::size_t kMaxExpansionLength = 16u * 1024u * 1024u;

// The engine's one store (locking reads), created on first use.
TVariableManager& Variables();

// Origins that the assignment rules know by name.
inline constexpr std::string_view kOriginInjectOverride = "Inject Override Command Line";

// Engine-wide operations on the one store.
std::string GetVariable(std::string_view name);
// New names are stored; known names go through SetVariable (and its silent-mode rule).
void DefineVariable(std::string_view name, std::string_view value, std::string_view origin);
// In silent mode a command-line property is left alone unless origin is the override
// injection itself.
void SetVariable(std::string_view name, std::string_view value, std::string_view origin);
// Applies the NAME=value pairs of the command line (origin "Inject Override Command Line").
void InjectCommandLineProperties();

std::string ExpandVariables(std::string_view text);
std::string ExpandVariablesQuoted(std::string_view text);

// Value of $NAME$ (or of the bare name), expanded; "$ZOVRNX$" (or empty) when unknown.
inline constexpr std::string_view kUndefinedMarker = "$ZOVRNX$";
std::string ResolveVariable(std::string_view text);
std::string ResolveVariableOrEmpty(std::string_view text);
bool IsDefinedReference(std::string_view text, bool allowPlainText);

// All variables as comma text, and back (the store is cleared first).
std::string SaveVariablesToText();
void LoadVariablesFromText(std::string_view text);

} // namespace ovd
