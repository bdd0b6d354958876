// The locale's case-insensitive collation, in which the account lists keep
// names and the comparison tables order and match them. Qt Core only, so
// that the tables are built the same way without a window.
//
// Collation keys of the collation library cost far more than the rest of a
// large domain's start-up together, and nearly every account name is ASCII.
// For a name of printable ASCII only, the key is the sequence of its
// characters' ranks in the collation, which orders such names exactly as the
// collation does (checked for the locale when the order is first made: where
// a locale's rules go beyond single characters, every key is the library's
// own). A comparison with any other name asks the collation itself.
#pragma once

#include <QByteArray>
#include <QCollator>
#include <QLocale>
#include <QString>
#include <array>

// The collation: the user's locale, case ignored; the C locale's code-point
// order stands in for no collation, so the root collation is used there.
QCollator AccountCollator();
// The same for a given locale (C standing for the root collation).
QCollator AccountCollator(QLocale locale);

class AccountOrder;

class AccountSortKey {
public:
    // <0, 0 or >0, as the collation compares the two texts.
    int compare(const AccountSortKey& other) const;

private:
    friend class AccountOrder;
    const AccountOrder* m_order = nullptr;
    QString m_text;
    QByteArray m_ranks;  // empty: not printable ASCII, or no rank table
    bool m_ranked = false;
};

class AccountOrder {
public:
    // One for the run, in the user's locale, made at first use.
    static const AccountOrder& instance();
    // The order of a given locale (tests).
    explicit AccountOrder(const QLocale& locale);

    AccountSortKey sortKey(const QString& text) const;
    int compare(const QString& a, const QString& b) const { return m_collator.compare(a, b); }
    const QCollator& collator() const { return m_collator; }
    // False where the locale's rules go beyond single ASCII characters.
    bool ranksAscii() const { return m_ranksAscii; }

private:
    bool checkRanks() const;

    QCollator m_collator;
    std::array<char, 128> m_rank{};  // 0: not ranked
    bool m_ranksAscii = false;
};
