#include "StoredValues.h"

namespace {

StoredValue boolean(std::u16string_view name, bool& field,
                    ValueRule rule = ValueRule::Plain) {
    return {std::u16string(name), ValueKind::Boolean, &field, rule};
}
StoredValue integer(std::u16string_view name, int32_t& field,
                    ValueRule rule = ValueRule::Plain) {
    return {std::u16string(name), ValueKind::Integer, &field, rule};
}
StoredValue integer(std::u16string_view name, uint32_t& field) {
    return {std::u16string(name), ValueKind::Integer, &field};
}
StoredValue text(std::u16string_view name, std::u16string& field) {
    return {std::u16string(name), ValueKind::Text, &field};
}
StoredValue dateTime(std::u16string_view name, tyDateTime& field) {
    return {std::u16string(name), ValueKind::DateTime, &field};
}

std::u16string widen(std::string_view ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

std::u16string subkey(size_t index) {
    return std::u16string(kSettingsKeyPath) + u"\\" + std::u16string(kSettingsSubkeys[index]);
}

// ValCheck's values and its two flag subkeys are named like the fields
// they hold, so they come from the field tables the dialogs use too.
template <class Record, class Table>
std::vector<StoredValue> booleansOf(Record& record, const Table& table) {
    std::vector<StoredValue> values;
    values.reserve(table.size());
    for (const auto& entry : table) {
        values.push_back(boolean(widen(entry.name), record.*entry.field));
    }
    return values;
}

}  // namespace

std::vector<StoredKey> StoredKeys(tyConfig& c, tyListFont& f, std::u16string_view versionCode) {
    const std::u16string version(versionCode);
    std::vector<StoredKey> keys = {
        {std::u16string(kSettingsKeyPath),
         {
             boolean(u"MainShowFullName", c.MainDet.ShowFullName),
             boolean(u"MainShowComment", c.MainDet.ShowComment),
             boolean(u"CompShowFullName", c.CompDet.ShowFullName),
             boolean(u"CompShowComment", c.CompDet.ShowComment),
             boolean(u"WarnDCnotFound", c.ShowWarnDCNotFound),
             boolean(u"WarnUsrUnkn", c.ShowWarnUserUnkn),
             boolean(u"WarnGrpUnkn", c.ShowWarnGrpUnkn),
             boolean(u"AutoSelectGroup", c.AutoSelectGroup),
             boolean(u"AutoSelectUser", c.AutoSelectUser),
             dateTime(u"FirstExec_" + version, c.FirstExec),
             integer(u"NbExecution_" + version, c.NbExecution, ValueRule::SavedPlusOne),
         }},
        {subkey(0),
         {
             integer(u"Color", f.Color),
             text(u"Name", f.Name),
             integer(u"Size", f.Size),
             boolean(u"Style.Bold", f.Bold, ValueRule::FontStyle),
             boolean(u"Style.Italic", f.Italic, ValueRule::FontStyle),
             boolean(u"Style.Underline", f.Underline, ValueRule::FontStyle),
             boolean(u"Style.StrikeOut", f.StrikeOut, ValueRule::FontStyle),
         }},
        {subkey(1), booleansOf(c.ValCheck, kValidCheckFields)},
        {subkey(2), booleansOf(c.ValCheck.Flags, kUi3FlagFields)},
        {subkey(3), booleansOf(c.ValCheck.AuthFlags, kUi3AuthFlagFields)},
    };
    for (StoredValue& value : keys[2].values) {
        if (value.name == u"Name") {
            value.rule = ValueRule::SavedTrue;
        }
    }
    return keys;
}
