// The three comparison tables as values: built from the directory and the
// lookups of an AccountServices, with no window, so that the comparison
// window and zentory-cli lay out and write the very same cells. Qt Core
// only.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <vector>

#include "Config.h"
#include "HugePageAllocator.h"
#include "MainServices.h"
#include "Records.h"

// The window titles, by which a comparison window knows its kind.
inline const QString kTitleGroupsUsers = QStringLiteral("Groups's users comparison");
inline const QString kTitleUsersGroups = QStringLiteral("User's groups comparison");
inline const QString kTitleUsersAttributes = QStringLiteral("User's attributes comparison");

// A membership cell holds this mark or nothing.
inline const QString kMembershipMark = QStringLiteral("X");

struct tyCompareTable {
    QString Title;
    int RowCount = 0;
    int ColCount = 0;
    // The first FixedRows rows and FixedCols columns are headers.
    int FixedRows = 0;
    int FixedCols = 0;

    // Sets ColCount and RowCount; every cell is empty afterwards.
    void SetSize(int cols, int rows);
    // Column and row counted from 0, column first.
    const QString& Cells(int col, int row) const { return m_texts[m_cells[index(col, row)]]; }
    void SetCell(int col, int row, const QString& text);
    // Every cell emptied; the counts stay.
    void ClearCells();

    // The cells row after row, each as the number of its text in texts(),
    // 0 being the empty text. A table of 50 groups by 100 000 members holds
    // five million cells and few distinct texts, so a writer that turns
    // each text into its output once, rather than each cell, is many times
    // faster; and four bytes a cell keep such a table small.
    using CellArray = std::vector<uint32_t, HugePageAllocator<uint32_t>>;
    const CellArray& cellTexts() const { return m_cells; }
    const std::vector<QString>& texts() const { return m_texts; }

private:
    size_t index(int col, int row) const { return size_t(row) * size_t(ColCount) + size_t(col); }
    CellArray m_cells;
    // Text 0 is empty and text 1 the membership mark; the others are held
    // as they are set, a repeat of the last one set sharing it.
    std::vector<QString> m_texts{QString(), QStringLiteral("X")};
};

// Every builder calls pendingMessages (when given) between its items:
// groups, members, users, rows, at most once per 15 ms, so the windows stay
// painted during a long read without the toolkit being asked tens of
// thousands of times.

// The groups' users table: a row per group in the order given, a column per
// account that is a member of at least one of them, in the collation of
// AccountCollator(). Header columns: the group name, and its comment as
// handed in when CompDet.ShowComment; header rows: the member name, and its
// full name when CompDet.ShowFullName. One GetGroupUsers per group.
tyCompareTable BuildGroupsUsers(AccountServices& accounts, const QString& server,
                                const tyArrGroup1& groups,
                                const std::function<void()>& pendingMessages = {});

// The users' groups table: users sorted in place by name key (SortUsers),
// a row per user, a column per group that at least one of them belongs to.
// Header columns: the user name, and the full name when
// CompDet.ShowFullName; header rows: the group name, and its comment when
// CompDet.ShowComment. One GetUserGroups per user.
tyCompareTable BuildUsersGroups(AccountServices& accounts, const QString& server, tyArrUsers& users,
                                const std::function<void()>& pendingMessages = {});

// The users' attributes table: a row per user in the order given, a column
// per attribute that ValCheck selects (one empty column when none is). A
// user whose details cannot be had shows an empty record's values.
tyCompareTable BuildUsersAttributes(AccountServices& accounts, const tyArrUsers& users,
                                    const std::function<void()>& pendingMessages = {});

// A date of the users' attributes table: "" for no date (0), "Never" for
// 4294967295, else the day (the value truncated toward zero, as stored,
// no time zone applied) in the locale's short date format.
QString DateOrNever(tyDateTime value);

// The 49 attributes of the users' attributes table, in column order.
struct UserAttribute {
    QString header;  // "Name", "Flag ACCOUNTDISABLE", "AuthFlag PRINT", ...
    bool selectedBy(const tyValidCheck& check) const;
    QString valueOf(const tyUserInfo3& info) const;

    enum class Source { Field, Flag, AuthFlag };
    Source source;
    int index;  // into the field table, kUi3FlagFields or kUi3AuthFlagFields
};
const std::vector<UserAttribute>& UserAttributes();
