// The comparison window over a real main window: its components and grid,
// the three entry operations with their modal round trip, Escape, the
// configuration round trip, the CSV file and the spreadsheet.

#include <QtTest>

#include "../app/MainWindowFixture.h"
#include "CompareCsv.h"
#include "SettingsFile.h"
#include "uCompare.h"

namespace {

enum Kind { GroupsUsers, UsersGroups, UsersAttributes };

// A main window over a small directory, with its settings in a file of its
// own and a configuration dialog the test scripts.
struct Fixture {
    QTemporaryDir dir;
    FakeDirectory directory;
    RecordingDesktop desktop;
    DesktopReporter reporter{desktop};
    DirectoryQueries queries{directory, reporter};
    SettingsFile settings{dir.filePath("settings.reg"), "100"};
    std::unique_ptr<TfrmMain> main;
    int dialogs = 0;
    int page = -1;
    // What the dialog does to the settings; true: OK with a change.
    std::function<bool(tyConfig&)> edit;

    Fixture() {
        directory.addUser(u"bob", u"Bob Builder");
        directory.addUser(u"alice", u"Alice Smith", u"=1+1");
        directory.addUser(u"carol", u"0042");
        directory.addGroup(u"Sales", u"Sales team", {u"bob", u"alice"});
        directory.addGroup(u"Admins", u"", {u"Alice", u"carol"});
        main = std::make_unique<TfrmMain>(queries, desktop, &settings);
        main->ConfigurationDialog = [this](MainServices&, tyConfig& c, int pageIndex) {
            ++dialogs;
            page = pageIndex;
            return edit ? edit(c) : false;
        };
        main->hooksChanged();
        main->FormShow();
        desktop.clear();
        directory.calls.clear();
    }
    QString settingsPath() const { return dir.filePath("settings.reg"); }

    std::unique_ptr<TfrmCompare> make(int kind) {
        switch (kind) {
            case GroupsUsers:
                return MakeCompareGroupsUsers(*main, main->dcName(),
                                              {{u"Sales", u"Sales team"}, {u"Admins", u""}});
            case UsersGroups:
                return MakeCompareUsersGroups(*main, main->dcName(), {u"bob", u"alice"});
            default:
                return MakeCompareUsersAttributes(*main, main->dcName(),
                                                  {u"bob", u"alice", u"carol"});
        }
    }
    void enter(int kind, bool empty) {
        switch (kind) {
            case GroupsUsers:
                CompareGroupsUsers(*main, main->dcName(),
                                   empty ? tyArrGroup1{} : tyArrGroup1{{u"Sales", u"Sales team"}});
                break;
            case UsersGroups:
                CompareUsersGroups(*main, main->dcName(),
                                   empty ? tyArrUsers{} : tyArrUsers{u"bob"});
                break;
            default:
                CompareUsersAttributes(*main, main->dcName(),
                                       empty ? tyArrUsers{} : tyArrUsers{u"bob"});
                break;
        }
    }
};

QStringList rowOf(const CompareGrid* g, int r) {
    QStringList cells;
    for (int c = 0; c < g->ColCount(); ++c) {
        cells << g->Cells(c, r);
    }
    return cells;
}

std::vector<int> widths(const CompareGrid* g) {
    std::vector<int> w;
    for (int c = 0; c < g->ColCount(); ++c) {
        w.push_back(g->colWidth(c));
    }
    return w;
}

bool compareWindowsLeft() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (qobject_cast<TfrmCompare*>(w)) {
            return true;
        }
    }
    return false;
}

// The cells of the first worksheet of an .xlsx file ("A1" -> text), with
// how each is stored; false when the file cannot be read.
struct SheetCell {
    QString type;
    QString text;
    bool formula = false;
};
bool readSheet(const QString& path, QMap<QString, SheetCell>& cells, QByteArray& styles) {
    QProcess unzip;
    unzip.start("unzip", {"-p", path, "xl/worksheets/sheet1.xml"});
    if (!unzip.waitForFinished(30000) || unzip.exitCode() != 0) {
        return false;
    }
    QXmlStreamReader xml(unzip.readAllStandardOutput());
    QString ref;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == u"c") {
            ref = xml.attributes().value("r").toString();
            cells[ref].type = xml.attributes().value("t").toString();
        } else if (xml.name() == u"f") {
            cells[ref].formula = true;
        } else if (xml.name() == u"t" || xml.name() == u"v") {
            cells[ref].text += xml.readElementText();
        }
    }
    unzip.start("unzip", {"-p", path, "xl/styles.xml"});
    unzip.waitForFinished(30000);
    styles = unzip.readAllStandardOutput();
    return !xml.hasError();
}

QString cellName(int col, int row) {
    QString letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) {
        letters.prepend(QChar('A' + (n - 1) % 26));
    }
    return letters + QString::number(row + 1);
}

}  // namespace

class TestCompareWindow : public QObject {
    Q_OBJECT

private slots:
    void componentsAndLayout() {
        Fixture f;
        auto w = f.make(GroupsUsers);
        QCOMPARE(w->objectName(), QString("frmCompare"));
        QCOMPARE(w->windowTitle(), QString("Groups's users comparison"));
        QCOMPARE(w->parentWidget(), f.main.get());
        QCOMPARE(w->size(), QSize(635, 299));
        QCOMPARE(w->font().family(), QString("Tahoma"));
        QCOMPARE(w->font().pixelSize(), 11);
        QCOMPARE(w->findChild<CompareGrid*>("StringGrid"), w->StringGrid);
        QVERIFY(w->StringGrid->headerFont().bold());
        QCOMPARE(w->StringGrid->headerFont().pixelSize(), 11);
        QCOMPARE(w->StringGrid->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w->StringGrid->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(w->findChild<QWidget*>("Panel1")->height(), 33);
        QCOMPARE(w->bbtConfig->size(), QSize(25, 25));
        QCOMPARE(w->bbtConfig->text(), QString());
        QCOMPARE(w->bbtConfig->toolTip(), QString("Configuration..."));
        QCOMPARE(w->bbtExcel->text(), QString("Excel"));
        QCOMPARE(w->bbtCSV->text(), QString("Save as csv ..."));
        QCOMPARE(w->bbtClose->text(), QString("Close"));
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{w->bbtConfig, w->bbtExcel,
                                                                          w->bbtCSV, w->bbtClose}) {
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
        }
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QCOMPARE(w->focusWidget(), w->bbtClose);
        // Left to right, 16 pixels apart; Close at the right end.
        QCOMPARE(w->bbtConfig->x(), 4);
        QCOMPARE(w->bbtExcel->x(), w->bbtConfig->geometry().right() + 1 + 16);
        QCOMPARE(w->bbtCSV->x(), w->bbtExcel->geometry().right() + 1 + 16);
        QCOMPARE(w->bbtClose->geometry().right(), w->Panel1->width() - 4 - 1);
        QCOMPARE(w->StringGrid->geometry().bottom() + 1, w->Panel1->y());
    }

    // Every column, header columns included, as wide as its widest text in
    // the font it is drawn in, plus 4 pixels.
    void columnWidthsFitted() {
        Fixture f;
        auto w = f.make(GroupsUsers);
        const CompareGrid* g = w->StringGrid;
        const QFontMetrics normal(g->font());
        const QFontMetrics bold(g->headerFont());
        QCOMPARE(g->ColCount(), 5);
        for (int c = 0; c < g->ColCount(); ++c) {
            int widest = 0;
            for (int r = 0; r < g->RowCount(); ++r) {
                const bool header = r < g->FixedRows() || c < g->FixedCols();
                widest =
                    std::max(widest, (header ? bold : normal).horizontalAdvance(g->Cells(c, r)));
            }
            QCOMPARE(g->colWidth(c), widest + 4);
        }
        QCOMPARE(g->colWidth(1), bold.horizontalAdvance("Sales team") + 4);
    }

    // Groups without members: the window shows the header columns alone,
    // and saves them.
    void noMemberColumns() {
        Fixture f;
        f.directory.addGroup(u"Empty", u"nobody here", {});
        auto w = MakeCompareGroupsUsers(*f.main, f.main->dcName(), {{u"Empty", u"nobody here"}});
        QCOMPARE(w->StringGrid->ColCount(), 2);
        QCOMPARE(w->StringGrid->FixedCols(), 2);
        QCOMPARE(rowOf(w->StringGrid, 2), (QStringList{"Empty", "nobody here"}));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QString path = f.dir.filePath("empty.csv");
        f.desktop.fileNames = {path};
        w->bbtCSVClick();
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 QByteArray("\xEF\xBB\xBF\"\",\"\"\r\n\"\",\"\"\r\nEmpty,nobody here\r\n"));
    }

    void emptySelection_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("groups' users") << int(GroupsUsers) << "Select at least one group.";
        QTest::newRow("users' groups") << int(UsersGroups) << "Select at least one user.";
        QTest::newRow("users' attributes") << int(UsersAttributes) << "Select at least one user.";
    }
    void emptySelection() {
        QFETCH(int, kind);
        QFETCH(QString, message);
        Fixture f;
        f.enter(kind, true);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, DesktopServices::MessageKind::Error);
        QCOMPARE(f.desktop.messages[0].text, message);
        QCOMPARE(f.desktop.messages[0].buttons,
                 DesktopServices::Buttons(DesktopServices::Button::Ok));
        QVERIFY(f.directory.calls.empty());
        QVERIFY(!compareWindowsLeft());
    }

    void modalRoundTrip_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("firstRow");
        QTest::newRow("groups' users") << int(GroupsUsers) << "Groups's users comparison"
                                       << QStringList{"", "", "alice", "bob"};
        QTest::newRow("users' groups")
            << int(UsersGroups) << "User's groups comparison" << QStringList{"", "", "Sales"};
        QTest::newRow("users' attributes") << int(UsersAttributes) << "User's attributes comparison"
                                           << QStringList{"Name", "FullName", "PasswordAge"};
    }
    // Each entry operation shows its window modally and destroys it when it
    // is closed.
    void modalRoundTrip() {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(QStringList, firstRow);
        Fixture f;
        QPointer<TfrmCompare> shown;
        QString shownTitle;
        QStringList shownRow;
        bool wasModal = false;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            auto* w = qobject_cast<TfrmCompare*>(QApplication::activeModalWidget());
            if (!w) {
                return;
            }
            poll.stop();
            shown = w;
            wasModal = w->isModal();
            shownTitle = w->windowTitle();
            shownRow = rowOf(w->StringGrid, 0).mid(0, firstRow.size());
            QTest::keyClick(w->StringGrid, Qt::Key_Escape);
        });
        poll.start(10);
        f.enter(kind, false);
        QVERIFY(wasModal);
        QCOMPARE(shownTitle, title);
        QCOMPARE(shownRow, firstRow);
        QVERIFY(shown.isNull());
        QVERIFY(!compareWindowsLeft());
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void escapeClosesFromAnyControl_data() {
        QTest::addColumn<QString>("control");
        for (const char* name : {"StringGrid", "viewport", "bbtConfig", "bbtExcel", "bbtCSV",
                                 "bbtClose", "frmCompare"}) {
            QTest::newRow(name) << name;
        }
    }
    void escapeClosesFromAnyControl() {
        QFETCH(QString, control);
        Fixture f;
        auto w = f.make(UsersGroups);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QWidget* target = control == "viewport"     ? w->StringGrid->viewport()
                          : control == "frmCompare" ? w.get()
                                                    : w->findChild<QWidget*>(control);
        QVERIFY(target);
        QTest::keyClick(target, Qt::Key_A);
        QVERIFY(w->isVisible());
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(!w->isVisible());
    }

    void closeButton() {
        Fixture f;
        auto w = f.make(UsersAttributes);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->bbtClose->click();
        QVERIFY(!w->isVisible());
    }

    void configurationRoundTrip_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("addedRows");
        QTest::addColumn<int>("addedCols");
        QTest::newRow("groups' users, comment") << int(GroupsUsers) << 1 << "comment" << 0 << 1;
        QTest::newRow("groups' users, full name") << int(GroupsUsers) << 1 << "full name" << 1 << 0;
        QTest::newRow("users' groups, comment") << int(UsersGroups) << 1 << "comment" << 1 << 0;
        QTest::newRow("users' groups, full name") << int(UsersGroups) << 1 << "full name" << 0 << 1;
        QTest::newRow("users' attributes, MaxStorage")
            << int(UsersAttributes) << 2 << "MaxStorage" << 0 << 1;
        QTest::newRow("groups' users, cancelled") << int(GroupsUsers) << 1 << "" << 0 << 0;
        QTest::newRow("users' attributes, cancelled") << int(UsersAttributes) << 2 << "" << 0 << 0;
    }
    void configurationRoundTrip() {
        QFETCH(int, kind);
        QFETCH(int, page);
        QFETCH(QString, change);
        QFETCH(int, addedRows);
        QFETCH(int, addedCols);
        Fixture f;
        f.main->FConfig.CompDet = {false, false};
        auto w = f.make(kind);
        const CompareGrid* g = w->StringGrid;
        const int rows = g->RowCount();
        const int cols = g->ColCount();
        const std::vector<int> before = widths(g);
        const tyConfig configBefore = f.main->FConfig;
        const int queriesBefore =
            f.directory.calls["NetGroupGetUsers"] + f.directory.calls["NetUserGetGroups"];
        f.edit = [&](tyConfig& c) {
            if (change == "comment") {
                c.CompDet.ShowComment = true;
            } else if (change == "full name") {
                c.CompDet.ShowFullName = true;
            } else if (change == "MaxStorage") {
                c.ValCheck.MaxStorage = true;
            }
            return !change.isEmpty();
        };
        w->bbtConfig->click();
        QCOMPARE(f.dialogs, 1);
        QCOMPARE(f.page, page);
        QCOMPARE(g->RowCount(), rows + addedRows);
        QCOMPARE(g->ColCount(), cols + addedCols);
        QCOMPARE(w->windowTitle(), g->table().Title);
        if (change.isEmpty()) {
            // Nothing changes, nothing is stored, nothing is asked again.
            QCOMPARE(f.main->FConfig, configBefore);
            QVERIFY(!QFile::exists(f.settingsPath()));
            QCOMPARE(widths(g), before);
            QCOMPARE(f.directory.calls["NetGroupGetUsers"] + f.directory.calls["NetUserGetGroups"],
                     queriesBefore);
            return;
        }
        // Stored, built again from the directory, widths not fitted again:
        // the columns keep theirs and new ones get the default width.
        tyConfig stored;
        SetDefaultConfigValues(stored, 0);
        tyListFont font;
        SettingsStore(f.settingsPath()).LoadConfig(stored, font, "100");
        QCOMPARE(stored.CompDet, f.main->FConfig.CompDet);
        QCOMPARE(stored.ValCheck.MaxStorage, f.main->FConfig.ValCheck.MaxStorage);
        if (kind != UsersAttributes) {
            QVERIFY(f.directory.calls["NetGroupGetUsers"] + f.directory.calls["NetUserGetGroups"] >
                    queriesBefore);
        }
        const std::vector<int> after = widths(g);
        QVERIFY(std::equal(before.begin(), before.end(), after.begin()));
        for (size_t c = before.size(); c < after.size(); ++c) {
            QCOMPARE(after[c], CompareGrid::kDefaultColWidth);
        }
        if (change == "comment" && kind == GroupsUsers) {
            QCOMPARE(g->Cells(1, 1), QString("Sales team"));
        }
    }

    void csvFromTheWindow() {
        Fixture f;
        auto w = f.make(GroupsUsers);
        const QString path = f.dir.filePath("compare.csv");
        f.desktop.fileNames = {path};
        w->bbtCSV->click();
        QCOMPARE(f.desktop.fileNames.size(), size_t(0));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), CompareTableCsv(w->StringGrid->table()));
        QVERIFY(f.desktop.messages.isEmpty());

        // Cancelled: nothing written, nothing said.
        f.desktop.fileNames = {QString()};
        QVERIFY(QFile::remove(path));
        w->bbtCSVClick();
        QVERIFY(!QFile::exists(path));
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void csvCannotBeWritten() {
        Fixture f;
        auto w = f.make(UsersGroups);
        w->show();
        const QString path = f.dir.filePath("missing/compare.csv");
        f.desktop.fileNames = {path};
        w->bbtCSVClick();
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, DesktopServices::MessageKind::Error);
        QVERIFY2(f.desktop.messages[0].text.contains("\"" + path + "\""),
                 qPrintable(f.desktop.messages[0].text));
        QVERIFY2(f.desktop.messages[0].text.contains("No such file or directory"),
                 qPrintable(f.desktop.messages[0].text));
        QVERIFY(!QFile::exists(path));
        QVERIFY(w->isVisible());
    }

    // A new workbook, every cell a text: names that look like numbers or
    // formulas stay what they are.
    void spreadsheetCellsAreTexts() {
        Fixture f;
        auto w = f.make(UsersAttributes);
        w->bbtExcel->click();
        QCOMPARE(f.desktop.openedFiles.size(), 1);
        const QString path = f.desktop.openedFiles[0];
        auto cleanup =
            qScopeGuard([&] { QDir(QFileInfo(path).absolutePath()).removeRecursively(); });
        QVERIFY(path.endsWith("/User's attributes comparison.xlsx"));
        QCOMPARE(f.desktop.cursorEvents.first(), QString("hourglass"));
        QCOMPARE(f.desktop.cursorEvents.last(), QString("normal"));
        QVERIFY(f.desktop.messages.isEmpty());

        QMap<QString, SheetCell> cells;
        QByteArray styles;
        QVERIFY(readSheet(path, cells, styles));
        const tyCompareTable& t = w->StringGrid->table();
        int texts = 0;
        for (int r = 0; r < t.RowCount; ++r) {
            for (int c = 0; c < t.ColCount; ++c) {
                const QString name = cellName(c, r);
                const SheetCell cell = cells.value(name);
                QVERIFY2(!cell.formula, qPrintable(name));
                if (t.Cells(c, r).isEmpty()) {
                    QVERIFY2(cell.text.isEmpty(), qPrintable(name));
                    continue;
                }
                QVERIFY2(cell.type == "inlineStr" || cell.type == "s", qPrintable(name));
                QCOMPARE(cell.text, t.Cells(c, r));
                ++texts;
            }
        }
        QVERIFY(texts > 3 * 15);
        QCOMPARE(cells.value("D3").text, QString("=1+1"));  // alice's comment
        QCOMPARE(cells.value("B4").text, QString("0042"));  // carol's full name
        QCOMPARE(cells.value("C2").text, QString("0"));     // a number, as text
        // The columns and cells are formatted as text (Excel's format 49, "@").
        QVERIFY(styles.contains("numFmtId=\"49\""));
    }

    void spreadsheetThatNothingOpens() {
        Fixture f;
        auto w = f.make(GroupsUsers);
        f.desktop.openSucceeds = false;
        w->bbtExcelClick();
        QCOMPARE(f.desktop.openedFiles.size(), 1);
        const QString path = f.desktop.openedFiles[0];
        auto cleanup =
            qScopeGuard([&] { QDir(QFileInfo(path).absolutePath()).removeRecursively(); });
        QVERIFY(QFile::exists(path));
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, DesktopServices::MessageKind::Warning);
        QVERIFY2(f.desktop.messages[0].text.contains(QDir::toNativeSeparators(path)),
                 qPrintable(f.desktop.messages[0].text));
    }

    // More members than a worksheet has columns: said so, nothing opened.
    void tooWideForAWorksheet() {
        Fixture f;
        std::vector<std::u16string> many;
        for (int i = 0; i < 16400; ++i) {
            many.push_back(u"member" + QString::number(i).toStdU16String());
        }
        f.directory.addGroup(u"Huge", u"", many);
        f.main->FConfig.CompDet = {false, false};
        auto w = MakeCompareGroupsUsers(*f.main, f.main->dcName(), {{u"Huge", u""}});
        QCOMPARE(w->StringGrid->ColCount(), 16401);
        w->bbtExcelClick();
        QVERIFY(f.desktop.openedFiles.isEmpty());
        QCOMPARE(f.desktop.texts(),
                 QStringList{"The table has 16401 columns; a worksheet holds at most 16384."});
        QCOMPARE(f.desktop.cursorEvents.last(), QString("normal"));
    }
};

QTEST_MAIN(TestCompareWindow)
#include "tst_compare_window.moc"
