// Where each setting is stored: the five keys, and in each the values in
// the order in which they are read and written, with their kind and the
// field that holds them. LoadConfig and SaveConfig walk this table and
// nothing else, so a value is named and typed in exactly one place.
//
// The table has no defaults: a value missing from the store leaves its field
// as it is, and the fields start from SetDefaultConfigValues and tyListFont.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "Config.h"
#include "ListFont.h"

// The settings key below HKEY_CURRENT_USER, and its four subkeys.
inline constexpr std::u16string_view kSettingsKeyPath = u"Software\\zentory.example\\Zentory";
inline constexpr std::array<std::u16string_view, 4> kSettingsSubkeys = {
    u"Font", u"ValCheck", u"ValCheck\\Flags", u"ValCheck\\AuthFlags"};

// How a value is stored: Boolean and Integer as REG_DWORD, Text as REG_SZ,
// DateTime as REG_BINARY of 8 bytes (an IEEE double, little-endian).
enum class ValueKind { Boolean, Integer, Text, DateTime };

// What a value needs beyond its kind.
enum class ValueRule {
    Plain,
    // The run counter: the field holds the runs before this one, the store
    // one more, so that saving twice in a run does not count it twice.
    SavedPlusOne,
    // ValCheck\Name: the account name is always part of the attributes
    // comparison, so it is stored True whatever an old or hand-edited value
    // made of the field.
    SavedTrue,
    // The four font styles are cleared before the first of them is read:
    // only a style that is stored, and True, is on after loading.
    FontStyle,
};

using FieldRef = std::variant<bool*, int32_t*, uint32_t*, tyDateTime*, std::u16string*>;

struct StoredValue {
    std::u16string name;
    ValueKind kind;
    FieldRef field;
    ValueRule rule = ValueRule::Plain;
};

struct StoredKey {
    std::u16string path;  // below HKEY_CURRENT_USER
    std::vector<StoredValue> values;
};

// The table bound to one settings record and one list font. The run's two
// values are named with the version code ("FirstExec_206").
std::vector<StoredKey> StoredKeys(tyConfig& config, tyListFont& font,
                                  std::u16string_view versionCode);
