// The user details window: its rows, check lists and descriptions, the
// saved file, Escape, and the round trip from the main window's details
// button.

#include <QtTest>

#include "../app/MainWindowFixture.h"
#include "AnsiText.h"
#include "RecordingDesktop.h"
#include "UserInfo3Text.h"
#include "uShowUSER_INFO_3.h"

using F = MainWindowFixture;

namespace {

// 2024-03-05 14:07:09 UTC as the directory gives it, seconds since 1970.
constexpr double kLogon = kUnixEpochDay + 1709647629.0 / 86400.0;

QString u8(const char* s) {
    return QString::fromUtf8(s);
}

// A user who never logged on, with every text empty.
tyUserInfo3 neverLoggedOn() {
    tyUserInfo3 i;
    i.Name = u"newbie";
    i.MaxStorage = 0xFFFFFFFFu;
    i.AcctExpires = kDateNever;
    i.Flags.NORMAL_ACCOUNT = true;
    i.UserId = 1105;
    i.PrimaryGroupId = 513;
    return i;
}

// jdoe, with a full name that has characters of Windows-1252 (é, ü, €) and
// one that is not in it (Ω).
tyUserInfo3 jdoe() {
    tyUserInfo3 i;
    i.Name = u"jdoe";
    i.PasswordAge = 86400;
    i.Priv = u"User";
    i.HomeDir = u"\\\\fs01\\home\\jdoe";
    i.Comment = u"Help desk, 2nd floor";
    i.Flags.SCRIPT = true;
    i.Flags.LOCKOUT = true;
    i.Flags.DONT_EXPIRE_PASSWD = true;
    i.Flags.NORMAL_ACCOUNT = true;
    i.ScriptPath = u"logon.cmd";
    i.AuthFlags.PRINT = true;
    i.AuthFlags.SERVER = true;
    i.FullName = u"Jos\u00e9 M\u00fcller \u20ac \u03a9";
    i.UsrComment = u"a=b";
    i.Workstations = u"WS01,WS02";
    i.LastLogon = kLogon;
    i.LastLogoff = 0.0;
    i.AcctExpires = kDateNever;
    i.MaxStorage = 0;
    i.UnitsPerWeek = u"HOURS (24*7=168)";
    i.LogonHours = 255;
    i.BadPwCount = 2;
    i.NumLogons = 4294967295u;
    i.LogonServer = u"\\\\*";
    i.CountryCode = 49;
    i.CodePage = 1252;
    i.UserId = 1104;
    i.PrimaryGroupId = 513;
    i.Profile = u"\\\\fs01\\profiles\\jdoe";
    i.HomeDirDrive = u"H:";
    i.PasswordExpired = 1;
    return i;
}

QStringList jdoeSaveLines() {
    return {
        "Name = jdoe",
        "PasswordAge = 86400",
        "Priv = User",
        "HomeDir = \\\\fs01\\home\\jdoe",
        "Comment = Help desk, 2nd floor",
        "Flag SCRIPT = True",
        "Flag ACCOUNTDISABLE = False",
        "Flag HOMEDIR_REQUIRED = False",
        "Flag PASSWD_NOTREQD = False",
        "Flag PASSWD_CANT_CHANGE = False",
        "Flag LOCKOUT = True",
        "Flag DONT_EXPIRE_PASSWD = True",
        "Flag ENCRYPTED_TEXT_PASSWORD_ALLOWED = False",
        "Flag NOT_DELEGATED = False",
        "Flag SMARTCARD_REQUIRED = False",
        "Flag USE_DES_KEY_ONLY = False",
        "Flag DONT_REQUIRE_PREAUTH = False",
        "Flag TRUSTED_FOR_DELEGATION = False",
        "Flag PASSWORD_EXPIRED = False",
        "Flag TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION = False",
        "Flag NORMAL_ACCOUNT = True",
        "Flag TEMP_DUPLICATE_ACCOUNT = False",
        "Flag WORKSTATION_TRUST_ACCOUNT = False",
        "Flag SERVER_TRUST_ACCOUNT = False",
        "Flag INTERDOMAIN_TRUST_ACCOUNT = False",
        "ScriptPath = logon.cmd",
        "AuthFlags PRINT = True",
        "AuthFlags COMM = False",
        "AuthFlags SERVER = True",
        "AuthFlags ACCOUNTS = False",
        u8("FullName = Jos\u00e9 M\u00fcller \u20ac \u03a9"),
        "UsrComment = a=b",
        "Workstations = WS01,WS02",
        "LastLogon = 3/5/24 2:07:09 PM UTC",
        "LastLogoff = ",
        "AcctExpires = Never",
        "MaxStorage = 0",
        "UnitsPerWeek = HOURS (24*7=168)",
        "BadPwCount = 2",
        "NumLogons = 4294967295",
        "LogonServer = \\\\*",
        "CountryCode = 49",
        "CodePage = 1252",
        "UserId = 1104",
        "PrimaryGroupId = 513",
        "Profile = \\\\fs01\\profiles\\jdoe",
        "HomeDirDrive = H:",
        "PasswordExpired = 1",
    };
}

// A window over a recording desktop, shown, so that clicks and keys reach
// it as the user's would.
struct Window {
    RecordingDesktop desktop;
    std::unique_ptr<TfrmShowUSER_INFO_3> w;

    explicit Window(const tyUserInfo3& info = jdoe(), bool show = true)
        : w(MakeShowUserInfo3(desktop, nullptr, info)) {
        if (show) {
            w->show();
            w->activateWindow();
            if (!QTest::qWaitForWindowExposed(w.get())) {
                qWarning("window not exposed");
            }
        }
    }
    TfrmShowUSER_INFO_3* operator->() const { return w.get(); }

    void clickGridRow(int row) const {
        PropertyGrid* g = w->ValueListEditor;
        const QRect r = g->visualRect(g->model()->index(row, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }
    void clickListRow(QListWidget* list, int row) const {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    }
    QString help() const { return w->memHelp->toPlainText(); }
};

QStringList rowsOf(const tyUserInfo3& info) {
    Window win(info, false);
    return win->ValueListEditor->lines();
}

}  // namespace

class TestUserDetails : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // ---- the grid --------------------------------------------------------

    void rowsOfAUserWhoNeverLoggedOn() {
        const QStringList expected = {
            "Name = newbie",
            "PasswordAge = 0",
            "Priv = ",
            "HomeDir = ",
            "Comment = ",
            "ScriptPath = ",
            "FullName = ",
            "UsrComment = ",
            "Workstations = ",
            "LastLogon = ",
            "LastLogoff = ",
            "AcctExpires = Never",
            "MaxStorage = Unlimited",
            "UnitsPerWeek = ",
            "BadPwCount = 0",
            "NumLogons = 0",
            "LogonServer = ",
            "CountryCode = 0",
            "CodePage = 0",
            "UserId = 1105",
            "PrimaryGroupId = 513",
            "Profile = ",
            "HomeDirDrive = ",
            "PasswordExpired = 0",
        };
        QCOMPARE(rowsOf(neverLoggedOn()), expected);
    }

    // One row of the grid for the cases its text depends on.
    void row_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("logon") << "LastLogon" << kLogon << 10
                               << "LastLogon = 3/5/24 2:07:09 PM UTC";
        QTest::newRow("no logoff") << "LastLogoff" << 0.0 << 11 << "LastLogoff = ";
        QTest::newRow("logoff at midnight")
            << "LastLogoff" << 25570.0 << 11 << "LastLogoff = 1/2/70";
        QTest::newRow("logoff a second before midnight")
            << "LastLogoff" << 25570.0 + 86399.0 / 86400 << 11
            << "LastLogoff = 1/2/70 11:59:59 PM UTC";
        // Within the first day the whole-day part is 0 too: no date.
        QTest::newRow("logon on day 0") << "LastLogon" << 0.5 << 10 << "LastLogon = ";
        QTest::newRow("expires never")
            << "AcctExpires" << kDateNever << 12 << "AcctExpires = Never";
        QTest::newRow("expires day 0") << "AcctExpires" << 0.0 << 12 << "AcctExpires = 12/30/99";
        QTest::newRow("expires at noon")
            << "AcctExpires" << 45356.5 << 12 << "AcctExpires = 3/5/24 12:00:00 PM UTC";
        QTest::newRow("storage unlimited")
            << "MaxStorage" << 4294967295.0 << 13 << "MaxStorage = Unlimited";
        QTest::newRow("storage 0") << "MaxStorage" << 0.0 << 13 << "MaxStorage = 0";
        QTest::newRow("storage one below")
            << "MaxStorage" << 4294967294.0 << 13 << "MaxStorage = 4294967294";
    }
    void row() {
        QFETCH(QString, field);
        QFETCH(double, value);
        QFETCH(int, row);
        QFETCH(QString, text);
        tyUserInfo3 info = jdoe();
        if (field == "LastLogon") {
            info.LastLogon = value;
        } else if (field == "LastLogoff") {
            info.LastLogoff = value;
        } else if (field == "AcctExpires") {
            info.AcctExpires = value;
        } else {
            info.MaxStorage = uint32_t(value);
        }
        const QStringList rows = rowsOf(info);
        QCOMPARE(rows.size(), 24);
        QCOMPARE(rows.at(row - 1), text);
    }

    // The user's own formats, whatever they are.
    void dateTimeText_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("en day 0") << "en_US" << 0.0 << "12/30/99";
        QTest::newRow("de day 0") << "de_DE" << 0.0 << "30.12.99";
        QTest::newRow("de 01:00") << "de_DE" << 25570.0 + 1.0 / 24 << "02.01.70 01:00:00 UTC";
        QTest::newRow("fr logon") << "fr_FR" << kLogon << "05/03/2024 14:07:09 UTC";
        // A fraction that rounds to a whole day is the next midnight.
        QTest::newRow("rounds to midnight") << "de_DE" << 45356.9999999999 << "06.03.24";
    }
    void dateTimeText() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(UserInfo3DateTimeText(value, QLocale(locale)), text);
    }

    void keysAndValuesInTheirColumns() {
        Window win(jdoe(), false);
        PropertyGrid* g = win->ValueListEditor;
        QCOMPARE(g->rowCount(), 24);
        QCOMPARE(g->columnCount(), 2);
        QCOMPARE(g->horizontalHeaderItem(0)->text(), QString("Property"));
        QCOMPARE(g->horizontalHeaderItem(1)->text(), QString("Value"));
        QCOMPARE(g->columnWidth(0), 172);
        // Split at the first "=" only.
        QCOMPARE(g->item(7, 0)->text(), QString("UsrComment "));
        QCOMPARE(g->item(7, 1)->text(), QString(" a=b"));
        QVERIFY(!(g->item(0, 0)->flags() & Qt::ItemIsEditable));
    }

    void typingIntoAValueKeepsNothing() {
        Window win;
        PropertyGrid* g = win->ValueListEditor;
        const QModelIndex value = g->model()->index(0, 1);
        g->setCurrentIndex(value);
        g->edit(value);
        auto* editor = qobject_cast<QLineEdit*>(g->indexWidget(value));
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, "mallory");
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(g->line(0), QString("Name = jdoe"));
        QCOMPARE(win->ValueListEditor4Save->lines(), jdoeSaveLines());
        // The key column does not open an editor at all.
        const QModelIndex key = g->model()->index(0, 0);
        QTest::ignoreMessage(QtWarningMsg, "edit: editing failed");
        g->edit(key);
        QVERIFY(!g->indexWidget(key));
    }

    // ---- the check lists ---------------------------------------------------

    void checkListsShowTheFlagsInFieldOrder() {
        Window win(jdoe(), false);
        QListWidget* flags = win->CheckListBoxFlags;
        QStringList names;
        QStringList checked;
        for (int i = 0; i < flags->count(); ++i) {
            names << flags->item(i)->text();
            if (flags->item(i)->checkState() == Qt::Checked) {
                checked << flags->item(i)->text();
            }
        }
        QCOMPARE(names.size(), 20);
        QCOMPARE(names.first(), QString("SCRIPT"));
        QCOMPARE(names.at(5), QString("LOCKOUT"));
        QCOMPARE(names.at(15), QString("NORMAL_ACCOUNT"));
        QCOMPARE(names.last(), QString("INTERDOMAIN_TRUST_ACCOUNT"));
        QCOMPARE(checked,
                 (QStringList{"SCRIPT", "LOCKOUT", "DONT_EXPIRE_PASSWD", "NORMAL_ACCOUNT"}));
        QListWidget* auth = win->CheckListBoxAuthFlags;
        QCOMPARE(auth->count(), 4);
        QStringList authItems;
        for (int i = 0; i < auth->count(); ++i) {
            authItems << auth->item(i)->text() +
                             (auth->item(i)->checkState() == Qt::Checked ? "+" : "-");
        }
        QCOMPARE(authItems, (QStringList{"PRINT+", "COMM-", "SERVER+", "ACCOUNTS-"}));
    }

    void checkMarksCannotBeChanged_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        QTest::newRow("flags, checked") << 1 << 0;
        QTest::newRow("flags, unchecked") << 1 << 1;
        QTest::newRow("auth flags, checked") << 2 << 0;
        QTest::newRow("auth flags, unchecked") << 2 << 3;
    }
    void checkMarksCannotBeChanged() {
        QFETCH(int, page);
        QFETCH(int, row);
        Window win;
        QListWidget* list = page == 1 ? win->CheckListBoxFlags : win->CheckListBoxAuthFlags;
        win->PageControl->setCurrentIndex(page);
        QListWidgetItem* item = list->item(row);
        const Qt::CheckState before = item->checkState();
        QVERIFY(!(item->flags() & Qt::ItemIsUserCheckable));
        win.clickListRow(list, row);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualItemRect(item).center());
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(item->checkState(), before);
        // Still selectable, for its explanation.
        QVERIFY(item->isSelected());
        QCOMPARE(list->currentRow(), row);
    }

    // ---- the description -------------------------------------------------

    void description_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("text");
        QTest::newRow("grid row 1") << 0 << 0 << "Name of the user account.";
        QTest::newRow("grid row 13")
            << 0 << 12 << "The maximum amount of disk space the user can use.";
        QTest::newRow("grid row 24") << 0 << 23 << "Password expiration information.";
        QTest::newRow("PASSWD_NOTREQD, 104") << 1 << 3 << "No password is required.";
        QTest::newRow("INTERDOMAIN_TRUST_ACCOUNT, 120")
            << 1 << 19
            << "This is a permit to trust account for a domain that trusts other domains.";
        QTest::newRow("PRINT, 201") << 2 << 0 << "The print operator privilege is enabled.";
        QTest::newRow("ACCOUNTS, 204") << 2 << 3 << "The accounts operator privilege is enabled.";
    }
    void description() {
        QFETCH(int, page);
        QFETCH(int, row);
        QFETCH(QString, text);
        Window win;
        win->chkShowHelp->click();
        win->PageControl->setCurrentIndex(page);
        if (page == 0) {
            win.clickGridRow(row);
        } else {
            win.clickListRow(page == 1 ? win->CheckListBoxFlags : win->CheckListBoxAuthFlags, row);
        }
        QCOMPARE(win.help(), text);
    }

    void keyboardMovesShowTheDescriptionToo() {
        Window win;
        win->chkShowHelp->click();
        win.clickGridRow(11);
        QTest::keyClick(win->ValueListEditor, Qt::Key_Down);
        QCOMPARE(win.help(), QString("The maximum amount of disk space the user can use."));
    }

    void nothingWhileTheDescriptionIsHidden() {
        Window win;
        QVERIFY(!win->chkShowHelp->isChecked());
        QVERIFY(win->pnlRight->isHidden());
        win.clickGridRow(12);
        QCOMPARE(win.help(), QString());
        win->PageControl->setCurrentIndex(1);
        win.clickListRow(win->CheckListBoxFlags, 3);
        QCOMPARE(win.help(), QString());
        QVERIFY(win->pnlRight->isHidden());
        // Checking shows an empty panel, until the next click.
        win->chkShowHelp->click();
        QVERIFY(win->pnlRight->isVisible());
        QCOMPARE(win.help(), QString());
        win.clickListRow(win->CheckListBoxFlags, 3);
        QCOMPARE(win.help(), QString("No password is required."));
        // Unchecking hides and empties it.
        win->chkShowHelp->click();
        QVERIFY(win->pnlRight->isHidden());
        QCOMPARE(win.help(), QString());
    }

    void changingThePageEmptiesTheDescription() {
        Window win;
        win->chkShowHelp->click();
        win.clickGridRow(12);
        QVERIFY(!win.help().isEmpty());
        win->PageControl->setCurrentIndex(2);
        QCOMPARE(win.help(), QString());
    }

    // A list without a selected item gives 100 or 200, which have no text:
    // the panel is emptied, not left with the previous text or the first
    // item's.
    void aListWithoutSelectionShowsNothing() {
        Window win;
        win->chkShowHelp->click();
        win.clickGridRow(0);
        QCOMPARE(win.help(), QString("Name of the user account."));
        win->ShowHelp(win->CheckListBoxFlags);
        QCOMPARE(win.help(), QString());

        win->PageControl->setCurrentIndex(2);
        QListWidget* auth = win->CheckListBoxAuthFlags;
        win->memHelp->setPlainText("left over");
        // Below the four items, nothing is selected.
        const QRect last = auth->visualItemRect(auth->item(3));
        QVERIFY(last.bottom() + 20 < auth->viewport()->height());
        QTest::mouseClick(auth->viewport(), Qt::LeftButton, {},
                          QPoint(last.center().x(), last.bottom() + 15));
        QCOMPARE(auth->selectedItems().size(), 0);
        QCOMPARE(win.help(), QString());
    }

    // The hidden list of saved lines has tag 0: its index comes from the
    // visible grid's row.
    void theSaveListCountsAsTheGrid() {
        Window win;
        win->chkShowHelp->click();
        win.clickGridRow(12);
        win->memHelp->clear();
        win->ShowHelp(win->ValueListEditor4Save);
        QCOMPARE(win.help(), QString("The maximum amount of disk space the user can use."));
    }

    // ---- the window --------------------------------------------------------

    void opensAsDescribed() {
        Window win;
        QCOMPARE(win->windowTitle(), QString("User informations"));
        QCOMPARE(win->size(), QSize(700, 350));
        QCOMPARE(win->PageControl->count(), 3);
        QCOMPARE(win->PageControl->tabText(0), QString("Global"));
        QCOMPARE(win->PageControl->tabText(1), QString("Flags"));
        QCOMPARE(win->PageControl->tabText(2), QString("Auth Flags"));
        QCOMPARE(win->PageControl->currentWidget(), win->tshGlobal);
        QCOMPARE(win->chkShowHelp->text(), QString("Show property description"));
        QCOMPARE(win->bbtClose->text(), QString("&Close"));
        QCOMPARE(win->bbtSave->text(), QString("&Save"));
        QVERIFY(!win->bbtClose->icon().isNull());
        QVERIFY(!win->bbtSave->icon().isNull());
        QTRY_COMPARE(QApplication::focusWidget(), win->bbtClose);
        QVERIFY(win->ValueListEditor4Save->isHidden());
        QCOMPARE(win->ValueListEditor4Save->rowCount(), 48);
        QCOMPARE(win->pnlRight->width(), 185);
    }

    void escapeClosesWhereverTheFocusIs_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("focus");
        QTest::newRow("flags list") << 1 << "CheckListBoxFlags";
        QTest::newRow("auth flags list") << 2 << "CheckListBoxAuthFlags";
        QTest::newRow("grid") << 0 << "ValueListEditor";
        QTest::newRow("value editor open") << 0 << "editor";
        QTest::newRow("check box") << 0 << "chkShowHelp";
    }
    void escapeClosesWhereverTheFocusIs() {
        QFETCH(int, page);
        QFETCH(QString, focus);
        Window win;
        win->PageControl->setCurrentIndex(page);
        QWidget* target = nullptr;
        if (focus == "editor") {
            PropertyGrid* g = win->ValueListEditor;
            const QModelIndex value = g->model()->index(2, 1);
            g->setCurrentIndex(value);
            g->edit(value);
            target = g->indexWidget(value);
        } else {
            target = win->findChild<QWidget*>(focus);
        }
        QVERIFY(target);
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);
        QTest::keyClick(target, Qt::Key_Escape);
        QTRY_VERIFY(!win->isVisible());
    }

    // ---- saving --------------------------------------------------------------

    void savesTheFortyEightLines() {
        QTemporaryDir dir;
        const QString path = dir.filePath("details.txt");
        {
            // Replaced without asking, longer than the new file.
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(5000, 'x'));
        }
        Window win;
        win.desktop.fileNames.push_back(path);
        win->bbtSave->click();
        QCOMPARE(win.desktop.fileDialogProposals, QStringList{"jdoe.USER_INFO_3.txt"});
        QVERIFY(win.desktop.messages.isEmpty());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.startsWith("Name = jdoe\r\n"));  // no byte-order mark
        QVERIFY(bytes.endsWith("PasswordExpired = 1\r\n"));
        QList<QByteArray> lines = bytes.split('\n');
        QCOMPARE(lines.takeLast(), QByteArray());
        QCOMPARE(lines.size(), 48);
        for (const QByteArray& l : lines) {
            QVERIFY2(l.endsWith('\r') && l.count('\r') == 1, l.constData());
        }
        QCOMPARE(lines.at(5), QByteArray("Flag SCRIPT = True\r"));
        QCOMPARE(lines.at(30), QByteArray("FullName = Jos\xe9 M\xfcller \x80 ?\r"));
        QByteArray expected;
        for (const QString& l : jdoeSaveLines()) {
            expected += Windows1252Bytes(l) + "\r\n";
        }
        QCOMPARE(bytes, expected);
        QVERIFY(win->isVisible());
    }

    void cancelWritesNothing() {
        Window win;
        win->bbtSave->click();  // no file name queued: the dialog is cancelled
        QCOMPARE(win.desktop.fileDialogProposals.size(), 1);
        QVERIFY(win.desktop.messages.isEmpty());
    }

    void proposedName_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("proposal");
        QTest::newRow("jdoe") << "jdoe"
                              << "jdoe.USER_INFO_3.txt";
        QTest::newRow("dots and non-ASCII")
            << u8("ren\u00e9.lef\u00e8vre") << u8("ren\u00e9.lef\u00e8vre.USER_INFO_3.txt");
        // A name is never a path.
        QTest::newRow("separators") << "..\\up/down"
                                    << ".._up_down.USER_INFO_3.txt";
        QTest::newRow("reserved") << "a:b*c?\"<>|"
                                  << "a_b_c_____.USER_INFO_3.txt";
    }
    void proposedName() {
        QFETCH(QString, name);
        QFETCH(QString, proposal);
        tyUserInfo3 info = jdoe();
        info.Name = name.toStdU16String();
        Window win(info, false);
        win->bbtSaveClick();
        QCOMPARE(win.desktop.fileDialogProposals, QStringList{proposal});
    }

    // A file that cannot be written: an error box with its name and the
    // system's reason, the window stays, and no part of the file is left.
    void aFileThatCannotBeWritten_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing/jdoe.txt"
                                        << "No such file or directory";
        QTest::newRow("a folder") << "folder"
                                  << "directory";
    }
    void aFileThatCannotBeWritten() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString path = dir.filePath(target);
        Window win;
        win.desktop.fileNames.push_back(path);
        win->bbtSave->click();
        QCOMPARE(win.desktop.messages.size(), 1);
        const auto& m = win.desktop.messages.first();
        QCOMPARE(m.kind, DesktopServices::MessageKind::Error);
        QVERIFY2(m.text.contains('"' + QDir::toNativeSeparators(path) + '"'), qPrintable(m.text));
        QVERIFY2(m.text.contains(reason, Qt::CaseInsensitive), qPrintable(m.text));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"folder"});
        QVERIFY(QDir(dir.filePath("folder")).isEmpty());
        QVERIFY(win->isVisible());
    }

    void windows1252_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << "Name = x\t~" << QByteArray("Name = x\t~");
        QTest::newRow("Latin-1") << u8("\u00a0\u00e9\u00ff") << QByteArray("\xa0\xe9\xff");
        QTest::newRow("0x80 to 0x9F")
            << u8("\u20ac\u201a\u0192\u2026\u0160\u0152\u017d\u2018\u201d\u2122\u0161\u0153\u017e"
                  "\u0178")
            << QByteArray("\x80\x82\x83\x85\x8a\x8c\x8e\x91\x94\x99\x9a\x9c\x9e\x9f");
        QTest::newRow("undefined bytes' controls")
            << u8("\u0081\u008d\u008f\u0090\u009d") << QByteArray("\x81\x8d\x8f\x90\x9d");
        QTest::newRow("outside") << u8("\u03a9\u0080\u0100\u4e2d") << QByteArray("????");
        QTest::newRow("beyond the first plane") << u8("a\U0001F600b") << QByteArray("a?b");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + "x" << QByteArray("?x");
    }
    void windows1252() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Windows1252Bytes(text), bytes);
    }

    // ---- from the main window --------------------------------------------

    void modalRoundTripFromTheDetailsButton() {
        F f;
        f.directory.addUser(u"jdoe", u"John Doe", u"Help desk");
        TfrmMain& main = f.make();
        QVERIFY(!main.bbtShowUserFullInfos->isEnabled());
        main.ShowUserInfo3 = ShowUserInfo3;
        main.hooksChanged();
        QVERIFY(main.bbtShowUserFullInfos->isEnabled());
        f.load();
        main.cbxUsers->setEditText("jdoe");

        bool seen = false;
        bool modal = false;
        bool closedByEscape = false;
        QWidget* parent = nullptr;
        QStringList rows;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, &poll, [&] {
            auto* form = qobject_cast<TfrmShowUSER_INFO_3*>(QApplication::activeModalWidget());
            if (!form) {
                return;
            }
            poll.stop();
            seen = true;
            modal = form->isModal();
            parent = form->parentWidget();
            rows = form->ValueListEditor->lines();
            form->PageControl->setCurrentIndex(1);
            form->CheckListBoxFlags->setFocus();
            QTest::keyClick(form->CheckListBoxFlags, Qt::Key_Escape);
            closedByEscape = !form->isVisible();
            if (form->isVisible()) {
                form->bbtClose->click();
            }
        });
        poll.start();
        main.bbtShowUserFullInfos->click();
        poll.stop();

        QVERIFY(seen);
        QVERIFY(modal);
        QCOMPARE(parent, &main);
        QVERIFY(closedByEscape);
        QCOMPARE(rows.size(), 24);
        QCOMPARE(rows.first(), QString("Name = jdoe"));
        QCOMPARE(rows.at(6), QString("FullName = John Doe"));
        QCOMPARE(rows.at(4), QString("Comment = Help desk"));
        // Destroyed once closed.
        QVERIFY(main.findChildren<TfrmShowUSER_INFO_3*>().isEmpty());
        QVERIFY(f.desktop.messages.isEmpty());
    }
};

QTEST_MAIN(TestUserDetails)
#include "tst_userdetails.moc"
