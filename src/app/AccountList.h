// The account lists of the main window: the two check lists and the two
// combo boxes show account list items in the locale's case-insensitive
// order, as the list controls of the desktop keep them. One model holds
// the items with their sort keys, so tens of thousands of accounts cost a
// row each, not a widget each, and an item goes to its sorted place by
// bisection.
#pragma once

#include <QAbstractListModel>
#include <QCollator>
#include <QComboBox>
#include <QListView>
#include <functional>
#include <vector>

#include "AccountCollator.h"

class AccountListModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit AccountListModel(bool checkable, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void clear();
    // Inserts at the item's sorted place; the row it landed on. Equal items
    // go after the ones already there.
    int insertSorted(const QString& text);
    // Adds an item to its sorted place at the next flush: a load of many
    // thousands of members would otherwise move the whole list once per
    // member. The loops flush whenever the window gets to repaint, so the
    // list it shows is always sorted.
    void add(const QString& text, Qt::CheckState state = Qt::Unchecked, bool enabled = true);
    void flush();
    // Replaces every item at once, sorting them: the way to fill a list of
    // many thousands of accounts. pending, when given, runs once per item
    // while the sort keys are made, so the window can handle its messages.
    void setItems(const QStringList& texts, const std::function<void()>& pending = {});

    QString text(int row) const { return m_rows[size_t(row)].text; }
    // The row holding exactly this text, or -1.
    int rowOf(const QString& text) const;
    QStringList texts() const;
    Qt::CheckState checkState(int row) const { return m_rows[size_t(row)].check; }
    // Set by the program (no check-toggled signal).
    void setCheckState(int row, Qt::CheckState state);
    bool isItemEnabled(int row) const { return m_rows[size_t(row)].enabled; }
    void setItemEnabled(int row, bool enabled);

signals:
    // The user toggled the box of a row.
    void checkToggled(int row);

private:
    struct Row {
        QString text;
        AccountSortKey key;
        Qt::CheckState check = Qt::Unchecked;
        bool enabled = true;
    };
    int sortedPlace(const AccountSortKey& key) const;

    bool m_checkable;
    std::vector<Row> m_rows;
    std::vector<Row> m_pending;
};

// A check list: a sorted list of account items with three-state boxes
// (unchecked, checked, greyed), some of them disabled.
class AccountCheckList : public QListView {
    Q_OBJECT

public:
    explicit AccountCheckList(QWidget* parent = nullptr);

    AccountListModel* accounts() const { return m_model; }
    // The current item (the one last clicked or moved to), or -1.
    int currentRow() const;

signals:
    void checkToggled(int row);
    void itemDoubleClicked(int row);

private:
    AccountListModel* m_model;
    QString m_keepCurrent;
    int m_keepScroll = 0;
};

// An editable combo box of account items. Its list drops down as the user
// types (a completion popup over the same items, case ignored) and closes
// when an item is picked; Enter runs the button beside it.
class AccountCombo : public QComboBox {
    Q_OBJECT

public:
    explicit AccountCombo(QWidget* parent = nullptr);

    AccountListModel* accounts() const { return m_model; }

signals:
    // The user picked an item from the list or from the completion popup.
    void itemChosen();
    // The user pressed Enter in the edit line.
    void enterPressed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AccountListModel* m_model;
};
