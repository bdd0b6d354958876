// The window that shows one user's account details: the properties in a
// read-only grid, the account-control flags and operator privileges in two
// check lists that cannot be changed, an optional panel with the
// explanation of the selected row or flag, and a button that saves every
// value as a text file.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <array>
#include <memory>

#include "Records.h"

class DesktopServices;
class MainServices;

// A grid of key " = " value lines: the part before the first "=" in the
// key column, the rest in the value column. The key column cannot be
// edited; a value cell opens a read-only editor, so its text can be
// selected and copied but nothing typed is ever kept.
class PropertyGrid : public QTableWidget {
    Q_OBJECT

public:
    explicit PropertyGrid(QWidget* parent = nullptr);

    void setLines(const QStringList& lines);
    // Row r as it was added, key "=" value.
    QString line(int row) const;
    QStringList lines() const;
};

class TfrmShowUSER_INFO_3 : public QDialog {
    Q_OBJECT

public:
    // Saving asks for the file name and reports a failure through desktop.
    explicit TfrmShowUSER_INFO_3(DesktopServices& desktop, QWidget* parent = nullptr);
    ~TfrmShowUSER_INFO_3() override;

    // Takes its own copy of the record and fills the grid, the check lists
    // and the lines to save from it; opens on the page "Global".
    void Fill(const tyUserInfo3& pInfo);
    const tyUserInfo3& userInfo3() const { return FUserInfo3; }

    // The name the save dialog proposes: the account name with
    // ".USER_INFO_3.txt", any character that cannot be in a file name on
    // Windows (a path separator above all) made '_'.
    static QString ProposedFileName(const QString& pName);

public slots:
    // The handlers, public so that tests drive them as the toolkit would.
    void FormCreate();
    // Escape closes the window; every other key goes on to the control.
    void FormKeyPress(QKeyEvent* pEvent);
    void bbtCloseClick();
    void bbtSaveClick();
    void chkShowHelpClick();
    void PageControlChange();
    // The explanation of the current row or the selected item of the list
    // pSender (told apart by its Tag), when the description is shown.
    void ShowHelp(QObject* pSender);

public:
    // Components, named as the program's documentation names them.
    QWidget* pnlBottom = nullptr;
    QCheckBox* chkShowHelp = nullptr;
    QPushButton* bbtClose = nullptr;
    QWidget* pnlBbtSpace = nullptr;
    QPushButton* bbtSave = nullptr;
    PropertyGrid* ValueListEditor4Save = nullptr;
    QWidget* pnlRight = nullptr;
    QPlainTextEdit* memHelp = nullptr;
    QWidget* pnlLeft = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* tshGlobal = nullptr;
    QWidget* tshFlags = nullptr;
    QWidget* tshAuthFlags = nullptr;
    QWidget* pnlClient = nullptr;
    PropertyGrid* ValueListEditor = nullptr;
    QWidget* Panel2 = nullptr;
    QListWidget* CheckListBoxFlags = nullptr;
    QWidget* Panel3 = nullptr;
    QListWidget* CheckListBoxAuthFlags = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class KeyPreview;

    void buildWindow();
    void watchClicks(QAbstractItemView* view);
    // The grid and the two check lists, whose clicks show an explanation.
    std::array<QAbstractItemView*, 3> clickedViews() const;

    DesktopServices& m_desktop;
    std::unique_ptr<KeyPreview> m_keyPreview;
    tyUserInfo3 FUserInfo3;
};

// The window as ShowUserInfo3 fills it, not yet shown: for tests.
std::unique_ptr<TfrmShowUSER_INFO_3> MakeShowUserInfo3(DesktopServices& desktop, QWidget* parent,
                                                       const tyUserInfo3& pInfo);

// Opens the window for one user over the main window and returns once the
// user has closed it; the record is only read.
void ShowUserInfo3(MainServices& pMain, const tyUserInfo3& pInfo);
