// Tests run against the engine's own store, reset around each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "StoreEvalVariables.h"
#include "VariableManager.h"
#include "uGlobals.h"

namespace ovd::test {

class StoreFixture : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }

    static void Reset()
    {
        ResetProcess();
        Variables().ClearVariables();
    }
    static void Set(std::initializer_list<std::pair<const char*, const char*>> values)
    {
        for (const auto& [name, value] : values) {
            Variables().SetVariableValue(name, value);
        }
    }
    // Names as stored: a created output keeps the spelling it was created with.
    static std::vector<std::string> StoredNames()
    {
        std::vector<std::string> lines;
        Variables().ExportVariables(lines);
        std::vector<std::string> names;
        for (std::size_t i = 0; i < lines.size(); i += 2) {
            names.push_back(lines[i]);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TStoreEvalVariables vars;
};

} // namespace ovd::test
