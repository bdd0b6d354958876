// The comparison window: one comparison table in a grid with its header
// rows and columns fixed, the comparison settings a click away, and the
// table saved as CSV or handed to a spreadsheet.
//
// The three entry operations each build their table, show it modally and
// return when the window is closed. An empty selection is reported with an
// error box and opens nothing.
#pragma once

#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QToolButton>
#include <memory>

#include "CompareGrid.h"
#include "CompareTable.h"
#include "MainServices.h"
#include "Records.h"

class TfrmCompare : public QDialog {
    Q_OBJECT

public:
    explicit TfrmCompare(MainServices& main, QWidget* parent = nullptr);

    // Input fields, set by the entry operations before the first build.
    QString FDCName;
    tyArrUsers FUsers;
    tyArrGroup1 FGroups;

    // Runs the builder of a kind, named by its title (kTitleGroupsUsers, ...):
    // the table goes into the grid and its title becomes the window's.
    void Build(const QString& title);
    // Every column as wide as its widest text plus 4 pixels.
    void FitColumnWidths();

    // Components, named as the program's documentation names them.
    CompareGrid* StringGrid = nullptr;
    QWidget* Panel1 = nullptr;
    QToolButton* bbtConfig = nullptr;
    QPushButton* bbtExcel = nullptr;
    QPushButton* bbtCSV = nullptr;
    QPushButton* bbtClose = nullptr;

public slots:
    // The handlers, public so that tests drive them as a click would.
    void bbtCloseClick();
    void bbtConfigClick();
    void bbtCSVClick();
    void bbtExcelClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormKeyPress(QChar key);
    void BuildGroupsUsers();
    void BuildUsersGroups();
    void BuildUsersAttributes();
    void guarded(void (TfrmCompare::*handler)());

    MainServices& m_main;
    bool m_building = false;
};

// The window as the entry operation fills it (table built, widths fitted),
// not yet shown: for tests, and for the entry operations themselves.
std::unique_ptr<TfrmCompare> MakeCompareGroupsUsers(MainServices& main, const QString& server,
                                                    const tyArrGroup1& groups);
std::unique_ptr<TfrmCompare> MakeCompareUsersGroups(MainServices& main, const QString& server,
                                                    const tyArrUsers& users);
std::unique_ptr<TfrmCompare> MakeCompareUsersAttributes(MainServices& main, const QString& server,
                                                        const tyArrUsers& users);

void CompareGroupsUsers(MainServices& main, const QString& server, const tyArrGroup1& groups);
void CompareUsersGroups(MainServices& main, const QString& server, const tyArrUsers& users);
void CompareUsersAttributes(MainServices& main, const QString& server, const tyArrUsers& users);
