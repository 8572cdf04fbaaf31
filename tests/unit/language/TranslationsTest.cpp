// Translation tables and the language list: key arithmetic, the three modes, compiler
// variables in translations, the files that are languages, the locale table, pre-selection.
#include "Translations.h"

#include <gtest/gtest.h>

namespace ovd {
namespace {

// Two script lines with two parameters each, and one localization variable.
TTranslationTables Tables()
{
    TTranslationTables tables;
    tables.Load({"{LINE-A}", "", "{LINE-B}", "", LocalizationVariableKey("Greeting")},
                {"Hello", "World", "Next #PRODUCT#", "Back", "Hi"},
                {"Hallo", "Welt", "Weiter #PRODUCT#", "Zur\xFC" "ck", "Servus"});
    return tables;
}

std::string Substitute(std::string_view text)
{
    std::string out(text);
    if (const std::size_t at = out.find("#PRODUCT#"); at != std::string::npos)
        out.replace(at, 9, "Demo");
    return out;
}

TEST(Translations, KeysModesAndCompilerVariables)
{
    const TTranslationTables tables = Tables();
    const std::string greetingKey = LocalizationVariableKey("Greeting");
    struct Case {
        const char* what;
        std::string text;
        std::string key;
        int field;
        LocalizationMode mode;
        std::string expected;
    } cases[] = {
        {"first parameter", "Hello", "{LINE-A}", 1, LocalizationMode::All, "Hallo"},
        {"second parameter is the next line", "World", "{line-a}", 2, LocalizationMode::All,
         "Welt"},
        {"compiler variables substituted", "Next #PRODUCT#", "{LINE-B}", 1,
         LocalizationMode::All, "Weiter Demo"},
        {"unknown key", "Hello", "{NONE}", 1, LocalizationMode::All, "Hello"},
        {"field 0 is the key itself", "Hello", "{LINE-A}", 0, LocalizationMode::All, "Hello"},
        {"beyond the texts", "x", greetingKey, 2, LocalizationMode::All, "x"},
        {"VARSONLY skips script lines", "Hello", "{LINE-A}", 1, LocalizationMode::VarsOnly,
         "Hello"},
        {"VARSONLY translates variables", "Hi", greetingKey, 1, LocalizationMode::VarsOnly,
         "Servus"},
        {"NEWONLY: unchanged text", "World", "{LINE-A}", 2, LocalizationMode::NewOnly, "Welt"},
        {"NEWONLY: edited after translation", "Whole World", "{LINE-A}", 2,
         LocalizationMode::NewOnly, "Whole World"},
        {"All: edited text translated anyway", "Whole World", "{LINE-A}", 2,
         LocalizationMode::All, "Welt"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tables.Translate(c.text, c.key, c.field, c.mode, Substitute), c.expected)
            << c.what;
}

TEST(Translations, ModesAndVariableKeys)
{
    EXPECT_EQ(LocalizationModeOf("varsonly"), LocalizationMode::VarsOnly);
    EXPECT_EQ(LocalizationModeOf("NewOnly"), LocalizationMode::NewOnly);
    EXPECT_EQ(LocalizationModeOf(""), LocalizationMode::All);
    EXPECT_EQ(LocalizationModeOf("VARS ONLY"), LocalizationMode::All);
    EXPECT_EQ(LocalizationVariableKey("Title"), "ZUDAVOVU$Title$ZUDAVOVU");
    EXPECT_TRUE(IsLocalizationVariableKey("zudavovu$x$zudavovu"));
    EXPECT_FALSE(IsLocalizationVariableKey("ZUDAVOVU$$ZUDAVOV"));
    EXPECT_FALSE(IsLocalizationVariableKey("{LINE-A}"));
}

TEST(Translations, LanguagesOfAPackageInListingOrder)
{
    EXPECT_EQ(LanguageNames({"setup.mtx", "translations.Map", "translations.German",
                             "translations.Original", "shared.translations.German",
                             "translations.shared", "translations.English", "translations.",
                             "Translations.French"}),
              (std::vector<std::string>{"German", "English", "French"}));
    EXPECT_TRUE(LanguageNames({}).empty());
}

TEST(Translations, Preselection)
{
    const std::vector<std::string> both = {"English", "German"};
    EXPECT_EQ(PreselectedLanguage(both, "German", "English"), "German"); // the user's wins
    EXPECT_EQ(PreselectedLanguage(both, "French", "German"), "German");  // then the default
    EXPECT_EQ(PreselectedLanguage(both, "French", "Italian"), "English"); // then the first
    EXPECT_EQ(PreselectedLanguage({}, "German", "German"), "");
}

} // namespace
} // namespace ovd
