#include "CompareTable.h"

#include <QDate>
#include <QElapsedTimer>
#include <QLocale>
#include <algorithm>
#include <cmath>
#include <numeric>
#include <string_view>

#include "AccountCollator.h"
#include "Ordering.h"
#include "Queries.h"

namespace {

QString q(const std::u16string& s) {
    return QString::fromStdU16String(s);
}

QStringList qNames(const tyArrUsers& users) {
    QStringList names;
    names.reserve(qsizetype(users.size()));
    for (const auto& user : users) {
        names << q(user);
    }
    return names;
}

class Pacer {
public:
    explicit Pacer(const std::function<void()>& handle) : m_handle(handle) { m_clock.start(); }
    void operator()() {
        if (m_handle && m_clock.elapsed() >= 15) {
            m_handle();
            m_clock.restart();
        }
    }

private:
    const std::function<void()>& m_handle;
    QElapsedTimer m_clock;
};

// The column names of a membership table: every name met, in the
// collation's order, names equal but for case held once in the form met
// first. The membership marks go by the column each name falls in, found
// when the names are added, so a mark costs a hash lookup rather than a
// search of the union or of a member list; the sort keys of the collation
// decide what is equal, exactly as a comparison of the two texts would.
class NameUnion {
public:
    // The name's number, the same for the same text; its sort key is made
    // once, however many groups list the name. Fifty groups of 20 000
    // members ask this a million times, so the names are found in a table
    // of their own, by a hash of the characters as they come, without a
    // string made for each.
    int add(std::u16string_view name) {
        if ((m_texts.size() + 1) * 4 > m_slots.size() * 3) {
            grow();
        }
        const uint32_t h = hashOf(name);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.number < 0) {
                const int n = int(m_texts.size());
                slot = {h, n};
                m_texts.push_back(QString::fromUtf16(name.data(), qsizetype(name.size())));
                m_hashes.push_back(h);
                m_keys.push_back(AccountOrder::instance().sortKey(m_texts.back()));
                return n;
            }
            if (slot.hash == h && QStringView(m_texts[size_t(slot.number)]) ==
                                      QStringView(name.data(), qsizetype(name.size()))) {
                return slot.number;
            }
        }
    }

    // Orders the names into columns once every name is in.
    void finish() {
        std::vector<int> order(m_texts.size());
        std::iota(order.begin(), order.end(), 0);
        // Stable: of names that compare equal the one met first comes first
        // and heads the column.
        std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
            return m_keys[size_t(a)].compare(m_keys[size_t(b)]) < 0;
        });
        m_column.assign(m_texts.size(), -1);
        m_columnNames.clear();
        int head = -1;
        for (const int n : order) {
            if (head < 0 || m_keys[size_t(head)].compare(m_keys[size_t(n)]) != 0) {
                head = n;
                m_columnNames.push_back(m_texts[size_t(n)]);
            }
            m_column[size_t(n)] = int(m_columnNames.size()) - 1;
        }
    }

    int columns() const { return int(m_columnNames.size()); }
    const QString& columnName(int column) const { return m_columnNames[size_t(column)]; }
    QStringList columnNames() const {
        return QStringList(m_columnNames.begin(), m_columnNames.end());
    }
    int columnOf(int number) const { return m_column[size_t(number)]; }

private:
    struct Slot {
        uint32_t hash = 0;
        int number = -1;
    };

    static uint32_t hashOf(std::u16string_view name) {
        // FNV-1a over the UTF-16 units.
        uint32_t h = 2166136261u;
        for (const char16_t c : name) {
            h = (h ^ uint32_t(c)) * 16777619u;
        }
        return h;
    }

    void grow() {
        std::vector<Slot> table(std::max<size_t>(1024, m_slots.size() * 2));
        const size_t mask = table.size() - 1;
        for (size_t n = 0; n < m_texts.size(); ++n) {
            size_t i = m_hashes[n] & mask;
            while (table[i].number >= 0) {
                i = (i + 1) & mask;
            }
            table[i] = {m_hashes[n], int(n)};
        }
        m_slots.swap(table);
    }

    std::vector<Slot> m_slots;
    std::vector<uint32_t> m_hashes;
    std::vector<QString> m_texts;
    std::vector<AccountSortKey> m_keys;
    std::vector<int> m_column;
    std::vector<QString> m_columnNames;
};

// Asks one membership query and numbers the names it answers.
std::vector<int> memberNumbers(const tyArrGroupUsersInfo1& entries, NameUnion& names, Pacer& pace) {
    std::vector<int> numbers;
    numbers.reserve(entries.size());
    for (const auto& e : entries) {
        pace();
        numbers.push_back(names.add(e.Name));
    }
    return numbers;
}

}  // namespace

void tyCompareTable::SetSize(int cols, int rows) {
    ColCount = cols;
    RowCount = rows;
    m_cells.assign(size_t(std::max(cols, 0)) * size_t(std::max(rows, 0)), 0);
    m_texts.resize(2);
}

void tyCompareTable::SetCell(int col, int row, const QString& text) {
    uint32_t number = 0;
    if (text.isEmpty()) {
        number = 0;
    } else if (text == m_texts[1]) {
        number = 1;
    } else if (m_texts.size() > 2 && text == m_texts.back()) {
        number = uint32_t(m_texts.size() - 1);
    } else {
        number = uint32_t(m_texts.size());
        m_texts.push_back(text);
    }
    m_cells[index(col, row)] = number;
}

void tyCompareTable::ClearCells() {
    std::fill(m_cells.begin(), m_cells.end(), 0);
    m_texts.resize(2);
}

tyCompareTable BuildGroupsUsers(AccountServices& accounts, const QString& server,
                                const tyArrGroup1& groups,
                                const std::function<void()>& pendingMessages) {
    Pacer pace(pendingMessages);
    const tyDetails details = accounts.config().CompDet;
    const std::u16string dc = server.toStdU16String();

    NameUnion names;
    std::vector<std::vector<int>> members;
    members.reserve(groups.size());
    for (const auto& g : groups) {
        pace();
        tyArrGroupUsersInfo1 entries;
        accounts.queries().GetGroupUsers(dc, g.Name, entries);
        members.push_back(memberNumbers(entries, names, pace));
    }
    names.finish();

    const int hc = details.ShowComment ? 2 : 1;
    const int hr = details.ShowFullName ? 2 : 1;
    tyCompareTable t;
    t.Title = kTitleGroupsUsers;
    t.SetSize(names.columns() + hc, int(groups.size()) + hr);
    t.FixedCols = hc;
    t.FixedRows = hr;
    if (details.ShowFullName) {
        accounts.PrefetchUserInfo3(names.columnNames());
    }
    for (int k = 0; k < names.columns(); ++k) {
        pace();
        t.SetCell(hc + k, 0, names.columnName(k));
        if (details.ShowFullName) {
            t.SetCell(hc + k, 1, accounts.GetFullName(names.columnName(k)));
        }
    }
    for (size_t i = 0; i < groups.size(); ++i) {
        pace();
        const int row = hr + int(i);
        t.SetCell(0, row, q(groups[i].Name));
        if (details.ShowComment) {
            t.SetCell(1, row, q(groups[i].Comment));
        }
        for (const int n : members[i]) {
            t.SetCell(hc + names.columnOf(n), row, kMembershipMark);
        }
    }
    return t;
}

tyCompareTable BuildUsersGroups(AccountServices& accounts, const QString& server, tyArrUsers& users,
                                const std::function<void()>& pendingMessages) {
    Pacer pace(pendingMessages);
    const tyDetails details = accounts.config().CompDet;
    const std::u16string dc = server.toStdU16String();
    SortUsers(users, 0, 0);

    struct ltyGroups {
        QString Name;
        QString FullName;
        std::vector<int> Groups;
    };
    std::vector<ltyGroups> rows;
    rows.reserve(users.size());
    NameUnion names;
    if (details.ShowFullName) {
        accounts.PrefetchUserInfo3(qNames(users));
    }
    for (const auto& user : users) {
        pace();
        ltyGroups r;
        r.Name = q(user);
        if (details.ShowFullName) {
            r.FullName = accounts.GetFullName(r.Name);
        }
        tyArrGroupUsersInfo1 entries;
        accounts.queries().GetUserGroups(dc, user, entries);
        r.Groups = memberNumbers(entries, names, pace);
        rows.push_back(std::move(r));
    }
    names.finish();

    const int hc = details.ShowFullName ? 2 : 1;
    const int hr = details.ShowComment ? 2 : 1;
    tyCompareTable t;
    t.Title = kTitleUsersGroups;
    t.SetSize(names.columns() + hc, int(rows.size()) + hr);
    t.FixedCols = hc;
    t.FixedRows = hr;
    for (int k = 0; k < names.columns(); ++k) {
        pace();
        t.SetCell(hc + k, 0, names.columnName(k));
        if (details.ShowComment) {
            t.SetCell(hc + k, 1, accounts.GetGroupComment(names.columnName(k)));
        }
    }
    for (size_t j = 0; j < rows.size(); ++j) {
        pace();
        const int row = hr + int(j);
        t.SetCell(0, row, rows[j].Name);
        if (details.ShowFullName) {
            t.SetCell(1, row, rows[j].FullName);
        }
        for (const int n : rows[j].Groups) {
            t.SetCell(hc + names.columnOf(n), row, kMembershipMark);
        }
    }
    return t;
}

tyCompareTable BuildUsersAttributes(AccountServices& accounts, const tyArrUsers& users,
                                    const std::function<void()>& pendingMessages) {
    Pacer pace(pendingMessages);
    const tyValidCheck check = accounts.config().ValCheck;
    std::vector<const UserAttribute*> columns;
    for (const UserAttribute& a : UserAttributes()) {
        if (a.selectedBy(check)) {
            columns.push_back(&a);
        }
    }
    std::vector<tyUserInfo3> infos;
    infos.reserve(users.size());
    accounts.PrefetchUserInfo3(qNames(users));
    for (const auto& user : users) {
        pace();
        tyUserInfo3 info;
        accounts.GetUserInfo3(q(user), info);
        infos.push_back(std::move(info));
    }

    tyCompareTable t;
    t.Title = kTitleUsersAttributes;
    t.SetSize(std::max(1, int(columns.size())), int(users.size()) + 1);
    t.FixedRows = 1;
    t.FixedCols = 0;
    for (size_t c = 0; c < columns.size(); ++c) {
        t.SetCell(int(c), 0, columns[c]->header);
    }
    for (size_t j = 0; j < infos.size(); ++j) {
        pace();
        for (size_t c = 0; c < columns.size(); ++c) {
            t.SetCell(int(c), 1 + int(j), columns[c]->valueOf(infos[j]));
        }
    }
    return t;
}

QString DateOrNever(tyDateTime value) {
    const double days = std::trunc(value);
    if (days == 0 || !std::isfinite(days)) {
        return {};
    }
    if (days == kDateNever) {
        return QStringLiteral("Never");
    }
    const QDate date = QDate(1899, 12, 30).addDays(qint64(std::clamp(days, -1e9, 1e9)));
    return QLocale().toString(date, QLocale::ShortFormat);
}

// ---- the attributes ---------------------------------------------------------

namespace {

// The attributes that are fields of tyUserInfo3 itself (not flags), each
// with the ValCheck switch of the same name and the field it shows.
struct FieldAttribute {
    const char* name;
    bool tyValidCheck::*check;
    std::u16string tyUserInfo3::*text;
    uint32_t tyUserInfo3::*number;
    tyDateTime tyUserInfo3::*date;
};

constexpr FieldAttribute text(const char* name, bool tyValidCheck::*check,
                              std::u16string tyUserInfo3::*field) {
    return {name, check, field, nullptr, nullptr};
}
constexpr FieldAttribute number(const char* name, bool tyValidCheck::*check,
                                uint32_t tyUserInfo3::*field) {
    return {name, check, nullptr, field, nullptr};
}
constexpr FieldAttribute date(const char* name, bool tyValidCheck::*check,
                              tyDateTime tyUserInfo3::*field) {
    return {name, check, nullptr, nullptr, field};
}

using V = tyValidCheck;
using U = tyUserInfo3;

// In column order. The flags come after Comment and the operator flags after
// ScriptPath, as in tyValidCheck; FullName is moved up behind Name, where
// someone reading a row looks for it.
const FieldAttribute kBeforeFlags[] = {
    text("Name", &V::Name, &U::Name),
    text("FullName", &V::FullName, &U::FullName),
    number("PasswordAge", &V::PasswordAge, &U::PasswordAge),
    text("Priv", &V::Priv, &U::Priv),
    text("HomeDir", &V::HomeDir, &U::HomeDir),
    text("Comment", &V::Comment, &U::Comment),
};
const FieldAttribute kBeforeAuthFlags[] = {
    text("ScriptPath", &V::ScriptPath, &U::ScriptPath),
};
const FieldAttribute kAfterAuthFlags[] = {
    text("UsrComment", &V::UsrComment, &U::UsrComment),
    text("Workstations", &V::Workstations, &U::Workstations),
    date("LastLogon", &V::LastLogon, &U::LastLogon),
    date("LastLogoff", &V::LastLogoff, &U::LastLogoff),
    date("AcctExpires", &V::AcctExpires, &U::AcctExpires),
    number("MaxStorage", &V::MaxStorage, &U::MaxStorage),
    text("UnitsPerWeek", &V::UnitsPerWeek, &U::UnitsPerWeek),
    number("LogonHours", &V::LogonHours, &U::LogonHours),
    number("BadPwCount", &V::BadPwCount, &U::BadPwCount),
    number("NumLogons", &V::NumLogons, &U::NumLogons),
    text("LogonServer", &V::LogonServer, &U::LogonServer),
    number("CountryCode", &V::CountryCode, &U::CountryCode),
    number("CodePage", &V::CodePage, &U::CodePage),
    number("UserId", &V::UserId, &U::UserId),
    number("PrimaryGroupId", &V::PrimaryGroupId, &U::PrimaryGroupId),
    text("Profile", &V::Profile, &U::Profile),
    text("HomeDirDrive", &V::HomeDirDrive, &U::HomeDirDrive),
    number("PasswordExpired", &V::PasswordExpired, &U::PasswordExpired),
};

// kBeforeFlags, kBeforeAuthFlags and kAfterAuthFlags as one array, so an
// attribute of Source::Field is an index into it.
std::vector<FieldAttribute> fieldAttributes() {
    std::vector<FieldAttribute> all;
    all.insert(all.end(), std::begin(kBeforeFlags), std::end(kBeforeFlags));
    all.insert(all.end(), std::begin(kBeforeAuthFlags), std::end(kBeforeAuthFlags));
    all.insert(all.end(), std::begin(kAfterAuthFlags), std::end(kAfterAuthFlags));
    return all;
}

const std::vector<FieldAttribute>& allFields() {
    static const std::vector<FieldAttribute> fields = fieldAttributes();
    return fields;
}

QString latin1(std::string_view s) {
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

QString flagText(bool b) {
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace

bool UserAttribute::selectedBy(const tyValidCheck& check) const {
    switch (source) {
        case Source::Field:
            return check.*(allFields()[size_t(index)].check);
        case Source::Flag:
            return check.Flags.*(kUi3FlagFields[size_t(index)].field);
        case Source::AuthFlag:
            return check.AuthFlags.*(kUi3AuthFlagFields[size_t(index)].field);
    }
    return false;
}

QString UserAttribute::valueOf(const tyUserInfo3& info) const {
    switch (source) {
        case Source::Field: {
            const FieldAttribute& f = allFields()[size_t(index)];
            if (f.text) {
                return q(info.*f.text);
            }
            if (f.number) {
                return QString::number(info.*f.number);
            }
            return DateOrNever(info.*f.date);
        }
        case Source::Flag:
            return flagText(info.Flags.*(kUi3FlagFields[size_t(index)].field));
        case Source::AuthFlag:
            return flagText(info.AuthFlags.*(kUi3AuthFlagFields[size_t(index)].field));
    }
    return {};
}

const std::vector<UserAttribute>& UserAttributes() {
    static const std::vector<UserAttribute> attributes = [] {
        std::vector<UserAttribute> all;
        int field = 0;
        auto fields = [&](size_t count) {
            for (size_t i = 0; i < count; ++i, ++field) {
                all.push_back({QString::fromLatin1(allFields()[size_t(field)].name),
                               UserAttribute::Source::Field, field});
            }
        };
        fields(std::size(kBeforeFlags));
        for (size_t i = 0; i < kUi3FlagFields.size(); ++i) {
            all.push_back(
                {"Flag " + latin1(kUi3FlagFields[i].name), UserAttribute::Source::Flag, int(i)});
        }
        fields(std::size(kBeforeAuthFlags));
        for (size_t i = 0; i < kUi3AuthFlagFields.size(); ++i) {
            all.push_back({"AuthFlag " + latin1(kUi3AuthFlagFields[i].name),
                           UserAttribute::Source::AuthFlag, int(i)});
        }
        fields(std::size(kAfterAuthFlags));
        return all;
    }();
    return attributes;
}
