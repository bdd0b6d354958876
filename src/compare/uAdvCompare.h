// The advanced comparison dialog: any set of groups or of users, put
// together from the complete lists of the domain (by hand or from a file of
// names) and handed to the comparison window.
#pragma once

#include <QAbstractListModel>
#include <QButtonGroup>
#include "AccountCollator.h"
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringList>
#include <QToolButton>
#include <functional>
#include <memory>
#include <vector>

#include "Records.h"

class MainServices;

// The three ways into the comparison window. The dialog is given them, so
// that it can be tried out without that window.
struct ComparisonEntries {
    std::function<void(MainServices&, const QString& server, const tyArrGroup1&)> groupsUsers;
    std::function<void(MainServices&, const QString& server, const tyArrUsers&)> usersGroups;
    std::function<void(MainServices&, const QString& server, const tyArrUsers&)> usersAttributes;
};
// CompareGroupsUsers, CompareUsersGroups and CompareUsersAttributes.
ComparisonEntries RealComparisonEntries();

// The items of one of the dialog's two lists: account list items as the main
// window's combo boxes hold them. The source list keeps them in the locale's
// case-insensitive order, an item coming back going to its sorted place
// (after the equal ones); the destination keeps them in arrival order.
class ItemListModel : public QAbstractListModel {
    Q_OBJECT

public:
    ItemListModel(bool sorted, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void clear();
    void setItems(const QStringList& texts);
    // Each text in turn, at the end or at its sorted place. When a sorted
    // list is rebuilt in one go rather than row by row (many scattered
    // places), the new row of every old row; otherwise empty, the views
    // having followed the inserts.
    std::vector<int> append(const QStringList& texts);
    // Rows in any order, each once.
    void removeRows(std::vector<int> rows);

    int count() const { return int(m_texts.size()); }
    const QString& text(int row) const { return m_texts[size_t(row)]; }
    QStringList texts() const;

private:
    bool m_sorted;
    QStringList m_texts;
    std::vector<AccountSortKey> m_keys;  // sorted lists only
};

class TfrmAdvancedComparison : public QDialog {
    Q_OBJECT

public:
    TfrmAdvancedComparison(MainServices& main, ComparisonEntries entries,
                           QWidget* parent = nullptr);

    QString FDCName;
    // The source list's entries as the last search saw them, compared
    // without case.
    QStringList FSearch;

    // 0 Groups, 1 Users.
    int comparisonKind() const;

    void ChangeComparisonKind();
    void SetButtons();
    int GetFirstSelection(QListView* list) const;
    void SetItem(QListView* list, int index);
    void MoveSelected(QListView* list, QListView* target);
    void FormResize();

    static ItemListModel* items(QListView* list);

public slots:
    void IncludeBtnClick();
    void ExcludeBtnClick();
    void IncAllBtnClick();
    void ExcAllBtnClick();
    void SrcListDblClick();
    void DstListDblClick();
    void sbtSearchClick();
    void edtSearchKeyUp(int key);
    void bbtOpenClick();
    // Run by bbtCompare (Tag 1) and bbtUserLock (Tag 2).
    void bbtCompareClick(QObject* button);
    void bbtCloseClick();

public:
    QGroupBox* RadioGroup = nullptr;
    QButtonGroup* RadioItems = nullptr;
    QWidget* pnlLists = nullptr;
    QWidget* pnlSrc = nullptr;
    QWidget* pnlSearch = nullptr;
    QLineEdit* edtSearch = nullptr;
    QListView* SrcList = nullptr;
    QWidget* pnlButtons = nullptr;
    QWidget* pnlSelectButtons = nullptr;
    QToolButton* IncludeBtn = nullptr;
    QToolButton* IncAllBtn = nullptr;
    QToolButton* ExcludeBtn = nullptr;
    QToolButton* ExAllBtn = nullptr;
    QListView* DstList = nullptr;
    QToolButton* bbtOpen = nullptr;
    QToolButton* sbtSearch = nullptr;
    QPushButton* bbtUserLock = nullptr;
    QPushButton* bbtCompare = nullptr;
    QPushButton* bbtClose = nullptr;

protected:
    // Key preview: Escape closes the dialog wherever the focus is, and the
    // search box acts on Enter without the dialog taking it for a button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void buildWindow();
    void appendTo(QListView* list, const QStringList& texts);

    MainServices& m_main;
    ComparisonEntries m_entries;
};

// The dialog as ShowAdvancedComparison fills it, not yet shown: for tests.
std::unique_ptr<TfrmAdvancedComparison> MakeAdvancedComparison(
    MainServices& main, const QString& server, ComparisonEntries entries = RealComparisonEntries());

// Opens the dialog on the groups of the main window, comparing against
// server; returns when it is closed.
void ShowAdvancedComparison(MainServices& main, const QString& server,
                            ComparisonEntries entries = RealComparisonEntries());
