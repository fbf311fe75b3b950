// The pages' data and conversions as both front ends use them: what a typed
// text stores, what a value shows, what the command line refuses, and that
// every setting sits on exactly one page.
#include <gtest/gtest.h>

#include <cfloat>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <type_traits>

#include "core/settings/page_fields.h"
#include "core/settings/settings_file.h"

namespace {

std::unique_ptr<ServerSettings> Defaults() {
    auto settings = std::make_unique<ServerSettings>();
    settings->SetDefaults();
    return settings;
}

const PageField& RowOf(AnyField field) {
    const PageField* row = FindPageField(field);
    EXPECT_NE(row, nullptr);
    return *row;
}

std::string Stored(const ServerSettings& settings, AnyField field) {
    return VisitField(settings, field, [](const auto& value) -> std::string {
        using T = std::remove_cv_t<std::remove_reference_t<decltype(value)>>;
        if constexpr (std::is_same_v<T, char[kSettingsTextSize]>) {
            return std::string(value);
        } else if constexpr (std::is_same_v<T, float>) {
            char text[64];
            std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
            return text;
        } else {
            return std::to_string(static_cast<long long>(value));
        }
    });
}

// What the page stores from a typed text, with no check: the window's
// reading when the operator leaves the box.
TEST(PageFields, TypedTextStoresAsThePageStoresIt) {
    const std::string forty(40, 'n');
    const std::string seventy = "1.5" + std::string(60, '0') + "9999999";  // read only to character 63
    const struct {
        AnyField field;
        std::string typed;
        std::string stored;
    } cases[] = {
        {fields::ServerName, forty, std::string(32, 'n')},
        {fields::ServerName, std::string(32, 'x'), std::string(32, 'x')},
        {fields::ServerPassword, std::string(5000, 'p'), std::string(4095, 'p')},
        {fields::MaxPlayers, "64", "64"},
        {fields::MaxPlayers, "-5", "0"},                   // unsigned takes no sign
        {fields::MaxPlayers, "4294967291", "-5"},          // the bit pattern
        {fields::MaxPlayers, "4294967296", "0"},           // out of range
        {fields::MapDuration, "abc", "0"},
        {fields::MapDuration, "12abc", "12"},
        {fields::MapDuration, "-2147483648", "-2147483648"},
        {fields::FFAAlliedPistol, "", "-1"},
        {fields::FFAAlliedPistol, "-7", "-7"},
        {fields::FFAAlliedPistol, " ", "0"},
        {fields::SpawnDelay, "2.5x", "2.5"},
        {fields::SpawnDelay, "abc", "0"},
        {fields::SpawnDelay, "1,5", "1"},
        {fields::SpawnDelay, "1e999", "3.40282347e+38"},   // the largest float, never an infinity
        {fields::SpawnDelay, seventy, "1.5"},
    };
    for (const auto& c : cases) {
        auto settings = Defaults();
        StorePageText(RowOf(c.field), c.typed.c_str(), *settings);
        EXPECT_EQ(Stored(*settings, c.field), c.stored) << c.typed.substr(0, 40);
    }
}

TEST(PageFields, ValuesShowAsThePageShowsThem) {
    auto settings = Defaults();
    settings->MaxPlayers = -5;
    settings->FFAAlliedPistol = -1;
    settings->SpawnPoolSizeRestriction = -1;
    settings->SpawnDelay = 10.0f;
    settings->GameType = 7;
    settings->HealRate = 3;
    settings->AllowAllSkins = 2;
    settings->HealthDrop = true;
    settings->NoHealth = false;
    std::strcpy(settings->ServerName, std::string(40, 'n').c_str());
    const struct {
        AnyField field;
        std::string shown;
    } cases[] = {
        {fields::MaxPlayers, "4294967291"},
        {fields::FFAAlliedPistol, ""},
        {fields::SpawnPoolSizeRestriction, "-1"},  // signed, never blank
        {fields::SpawnDelay, "10.000000"},
        {fields::LandmineDefuseTime, "-1.000000"},
        {fields::GameType, ""},                    // outside the list: no selection
        {fields::HealRate, "20 secs"},
        {fields::AllowAllSkins, "2"},
        {fields::HealthDrop, "1"},
        {fields::NoHealth, "0"},
        {fields::ServerName, std::string(40, 'n')},  // shown whole until the box is left
    };
    for (const auto& c : cases) EXPECT_EQ(ShowPageValue(RowOf(c.field), *settings), c.shown);
}

// The command line's checks: what the page would silently turn into
// something else is refused, with the values allowed.
TEST(PageFields, CommandLineValuesAreCheckedThenStoredAsThePageStores) {
    const struct {
        AnyField field;
        std::string value;
        bool accepted;
        std::string storedOrWhy;  // the stored value, or a part of the refusal
    } cases[] = {
        {fields::MaxPlayers, "24", true, "24"},
        {fields::MaxPlayers, "4294967295", true, "-1"},
        {fields::MaxPlayers, "-5", false, "from 0 to 4294967295"},
        {fields::MaxPlayers, "4294967296", false, "from 0 to 4294967295"},
        {fields::MaxPlayers, "12abc", false, "\"12abc\" is not allowed"},
        {fields::MapDuration, "-2147483649", false, "from -2147483648 to 2147483647"},
        {fields::MapDuration, "", false, "whole number"},
        {fields::GrenadeCountInit, "", true, "-1"},
        {fields::GrenadeCountInit, "3", true, "3"},
        {fields::SpawnDelay, "2.5", true, "2.5"},
        {fields::SpawnDelay, "2.5x", false, "decimal number"},
        {fields::SpawnDelay, "1e999", true, "3.40282347e+38"},
        {fields::GameType, "team deathmatch", true, "1"},
        {fields::GameType, "2", true, "2"},
        {fields::GameType, "3", false, "0 \"Free For All\", 1 \"Team Deathmatch\", 2 \"Invader\""},
        {fields::GameType, "Deathmatch", false, "not in the list"},
        {fields::HealthDrop, "off", true, "0"},
        {fields::HealthDrop, "TRUE", true, "1"},
        {fields::HealthDrop, "maybe", false, "1 or 0"},
        {fields::AllowAllSkins, "2", true, "2"},
        {fields::AllowAllSkins, "3", false, "2 (the standard skins)"},
        {fields::ServerName, std::string(40, 'n'), true, std::string(32, 'n')},
        {fields::ServerName, "a\nb", false, "line break"},
        {fields::WelcomeMessage, "a\nb\r\nc", true, "a\r\nb\r\nc"},
        {fields::ServerPassword, std::string(4096, 'p'), false, "4096 characters"},
        {fields::ServerPassword, std::string("a\0b", 3), false, "NUL"},
    };
    for (const auto& c : cases) {
        auto settings = Defaults();
        const std::string before = Stored(*settings, c.field);
        std::string why;
        const bool accepted = SetPageValue(RowOf(c.field), c.value, *settings, why);
        EXPECT_EQ(accepted, c.accepted) << c.value.substr(0, 40) << ": " << why;
        if (c.accepted) {
            EXPECT_EQ(Stored(*settings, c.field), c.storedOrWhy) << c.value.substr(0, 40);
        } else {
            EXPECT_NE(why.find(c.storedOrWhy), std::string::npos) << why;
            EXPECT_EQ(Stored(*settings, c.field), before) << "a refused value changes nothing";
        }
    }
}

// Every setting of the file on exactly one page, every row named by a text
// of the string table.
TEST(PageFields, EverySettingIsOnExactlyOnePage) {
    std::map<std::size_t, int> rowsOfField;
    std::size_t pages = 0;
    for (const SettingsPage& page : kSettingsPages) {
        ++pages;
        EXPECT_FALSE(LoadUIText(page.title).empty()) << page.name;
        for (const PageField& row : page) {
            EXPECT_FALSE(LoadUIText(row.label).empty()) << page.name;
            if (row.conversion != PageConversion::Caption) ++rowsOfField[row.field.offset];
        }
    }
    EXPECT_EQ(pages, 9u);
    const SettingKey* keys = SettingKeys();
    for (std::size_t i = 0; i < kSettingKeyCount; ++i) {
        EXPECT_EQ(rowsOfField[keys[i].field.offset], 1) << keys[i].key;
    }
    EXPECT_EQ(rowsOfField.size(), kSettingKeyCount);
}

// Over every row, generated values: what the page shows, set again, stores
// the same value (a blank optional count is -1 again; a float keeps what
// "%f" shows).
TEST(PageFields, ShownValuesSetBackToTheSameValueOnEveryRow) {
    std::mt19937 random(20261207);
    for (int round = 0; round < 40; ++round) {
        auto original = Defaults();
        for (const SettingsPage& page : kSettingsPages) {
            for (const PageField& row : page) {
                switch (row.conversion) {
                case PageConversion::Text: {
                    std::string text;
                    const std::size_t length = random() % 60;
                    for (std::size_t i = 0; i < length; ++i) text += static_cast<char>(' ' + random() % 95);
                    if (row.multiLine && length > 4) text.replace(length / 2, 2, "\r\n");
                    std::strcpy(row.field.As<SettingKind::Text>().In(*original), text.c_str());
                    break;
                }
                case PageConversion::ServerName:
                    std::strcpy(row.field.As<SettingKind::Text>().In(*original), std::string(random() % 33, 'S').c_str());
                    break;
                case PageConversion::Unsigned:
                case PageConversion::Signed:
                    row.field.As<SettingKind::Int>().In(*original) = static_cast<std::int32_t>(random());
                    break;
                case PageConversion::IntOrBlank:
                    row.field.As<SettingKind::Int>().In(*original) =
                        round % 3 == 0 ? -1 : static_cast<std::int32_t>(random() % 100000);
                    break;
                case PageConversion::Float:
                    row.field.As<SettingKind::Float>().In(*original) =
                        static_cast<float>(static_cast<int>(random() % 2000001) - 1000000) / 64.0f;
                    break;
                case PageConversion::Flag:
                    row.field.As<SettingKind::Bool>().In(*original) = random() % 2 == 0;
                    break;
                case PageConversion::AllSkins:
                    row.field.As<SettingKind::Int>().In(*original) = static_cast<std::int32_t>(random() % 3);
                    break;
                case PageConversion::Choice:
                    row.field.As<SettingKind::Int>().In(*original) =
                        static_cast<std::int32_t>(random() % row.choiceCount);
                    break;
                case PageConversion::Caption:
                case PageConversion::MarkedList:
                    break;
                }
            }
        }
        for (const SettingsPage& page : kSettingsPages) {
            for (const PageField& row : page) {
                if (row.conversion == PageConversion::Caption || row.conversion == PageConversion::MarkedList) continue;
                auto copy = Defaults();
                std::string why;
                const std::string shown = ShowPageValue(row, *original);
                ASSERT_TRUE(SetPageValue(row, shown, *copy, why)) << page.name << " " << shown << ": " << why;
                EXPECT_EQ(Stored(*copy, row.field), Stored(*original, row.field)) << page.name << " " << shown;
                EXPECT_EQ(ShowPageValue(row, *copy), shown);
            }
        }
    }
}

}  // namespace
