// A map-backed store for the evaluator's tests: A-Z folded names, $NAME$ expansion that
// rescans inserted values, and a log of assignments with their origins.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "EvalVariables.h"

namespace ovd::test {

class FakeVariables : public IEvalVariables {
public:
    struct Assignment {
        std::string kind, name, value, origin;
        bool operator==(const Assignment&) const = default;
    };

    FakeVariables(std::initializer_list<std::pair<std::string, std::string>> init = {})
    {
        for (const auto& [name, value] : init) {
            table_[Key(name)] = value;
        }
    }

    bool VariableExists(std::string_view name) const override
    {
        return table_.count(Key(name)) != 0;
    }
    std::string GetVariable(std::string_view name) const override
    {
        const auto it = table_.find(Key(name));
        return it == table_.end() ? std::string() : it->second;
    }
    std::string ExpandVariables(std::string_view text) const override
    {
        return Expand(text, false);
    }
    std::string ExpandVariablesQuoted(std::string_view text) const override
    {
        return Expand(text, true);
    }
    void DefineVariable(std::string_view name, std::string_view value,
                        std::string_view origin) override
    {
        log.push_back({"define", std::string(name), std::string(value), std::string(origin)});
        if (!name.empty()) {
            table_[Key(name)] = value;
        }
    }
    void SetVariable(std::string_view name, std::string_view value,
                     std::string_view origin) override
    {
        log.push_back({"set", std::string(name), std::string(value), std::string(origin)});
        if (!name.empty()) {
            table_[Key(name)] = value;
        }
    }

    std::vector<Assignment> log;

private:
    static std::string Key(std::string_view name)
    {
        std::string key(name);
        for (char& c : key) {
            if (c >= 'a' && c <= 'z') {
                c = static_cast<char>(c - 'a' + 'A');
            }
        }
        return key;
    }

    std::string Expand(std::string_view text, bool quoted) const
    {
        std::string result(text);
        std::size_t p = 0;
        for (int guard = 0; guard < 1000; ++guard) {
            const std::size_t a = result.find('$', p);
            if (a == std::string::npos) {
                break;
            }
            const std::size_t b = result.find('$', a + 1);
            if (b == std::string::npos) {
                break;
            }
            const auto it = table_.find(Key(result.substr(a + 1, b - a - 1)));
            if (b > a + 1 && it != table_.end()) {
                result.replace(a, b - a + 1, quoted ? "\"" + it->second + "\"" : it->second);
                p = a;
            } else {
                p = b;
            }
        }
        return result;
    }

    std::map<std::string, std::string> table_;
};

} // namespace ovd::test
