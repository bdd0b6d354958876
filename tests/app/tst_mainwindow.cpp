// The main window: the start-up load, the lookups through the details
// cache, the two navigation panes, the bottom bar and the layout.

#include <QtTest>

#include "LdifBackend.h"
#include "MainWindowFixture.h"
#include "uDomainDC.h"

using F = MainWindowFixture;

namespace {

// A domain with the cases the panes must get right.
void fill(FakeDirectory& d) {
    d.addUser(u"jdoe", u"John Doe", u"Help desk");
    d.addUser(u"asmith", u"Alice Smith");
    d.addUser(u"bob", u"");
    d.addUser(u"carol ", u"Carol Trailing");  // listed with a trailing blank
    d.addGroup(u"Sales", u"Sales, north", {u"JDoe", u"asmith", u"WS01$", u"bob"});
    d.addGroup(u"Helpdesk", u"", {u"jdoe"});
    d.addGroup(u"Trailing ", u"blank at the end", {});
    d.addGroup(u"Empty", u"nobody here", {});
}

int rowOf(const AccountCheckList* list, const QString& text) {
    return list->accounts()->rowOf(text);
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void componentsAreThereWithTheirTexts() {
        F f;
        TfrmMain& w = f.make();
        struct Expect {
            const char* name;
            QString caption;
            QString hint;
        };
        const QList<Expect> buttons = {
            {"bbtAbout", "", "About this program..."},
            {"bbtPDC_Show", "", "Show Domain & DC"},
            {"bbtConfig", "", "Configuration..."},
            {"bbtCompare", "Advanced comparison", "Advanced selection for comparison..."},
            {"bbtClose", "", "Quit the program"},
            {"bbtGetUsers", "", "Show users in this group"},
            {"bbtCompareUsers", "Compare users", "Compare selected groups"},
            {"bbtUserLock", "Check", ""},
            {"bbtCopyUsersToClipboard", "Copy to clipboard", "Copy the groups list to the clipboard"},
            {"bbtGetGroups", "", "Show groups of this user"},
            {"bbtShowUserFullInfos", "", "Show details about the user"},
            {"bbtCompareGroups", "Compare groups", "Compare selected users"},
            {"bbtCopyGroupsToClipboard", "Copy to clipboard", "Copy the users list to the clipboard"},
            {"bbtSelectAllUsers", "", ""},
            {"bbtSelectAlGroups", "", ""},
        };
        for (const auto& b : buttons) {
            auto* button = w.findChild<QAbstractButton*>(b.name);
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), b.caption);
            if (!b.hint.isEmpty()) {
                QCOMPARE(button->toolTip(), b.hint);
            }
            QVERIFY2(!button->icon().isNull(), b.name);
        }
        QCOMPARE(w.findChild<QLabel*>("lblGroups")->text(), QString("Select a Group"));
        QCOMPARE(w.findChild<QLabel*>("lblUsers")->text(), QString("Select an User"));
        QCOMPARE(w.findChild<QLabel*>("Label1")->text(), QString("Users in this group"));
        QCOMPARE(w.findChild<QLabel*>("Label2")->text(), QString("Groups of this user"));
        QVERIFY(w.findChild<QLabel*>("Label1")->font().bold());
        QCOMPARE(w.findChild<QGroupBox*>("gbxGroupsAndUsers")->title(),
                 QString("Groups (&& users)"));
        QCOMPARE(w.findChild<QGroupBox*>("gbxUsersAndGroups")->title(),
                 QString("Users (&& groups)"));
        for (const char* name : {"cbxGroups", "cbxUsers", "chklbxUsers", "chklbxGroups",
                                 "edtGroupComment", "ledtFullName", "ledtComment", "pnlBottom",
                                 "pnlLeft", "pnlClient", "Splitter", "pnlSpace1", "pnlSpace2",
                                 "pnlSpace3", "tmrPleaseDonate"}) {
            QVERIFY2(w.findChild<QObject*>(name), name);
        }
        QVERIFY(w.findChild<QLineEdit*>("edtGroupComment")->isReadOnly());
        QVERIFY(w.findChild<QLineEdit*>("ledtFullName")->isReadOnly());
        QCOMPARE(w.bbtUserLock->property("Tag").toInt(), 2);
        QCOMPARE(w.bbtCompareUsers->property("Tag").toInt(), 1);
        QCOMPARE(w.windowTitle(), QApplication::applicationDisplayName());
        QCOMPARE(w.minimumWidth(), 760);
    }

    void startUpLoad() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        QCOMPARE(w.domainName(), QString("ZENTORY"));
        QCOMPARE(w.dcName(), QString("\\\\DC1"));
        QStringList users;
        for (const auto& n : w.allUsers()) {
            users << q(n);
        }
        QCOMPARE(users, (QStringList{"asmith", "bob", "carol ", "jdoe"}));
        QCOMPARE(F::items(w.cbxUsers), (QStringList{"asmith", "bob", "carol ", "jdoe"}));
        QCOMPARE(F::items(w.cbxGroups), (QStringList{"Empty", "Helpdesk", "Sales", "Trailing "}));
        // Every later query goes to the controller found.
        QCOMPARE(q(f.directory.servers.back()), QString("\\\\DC1"));
        // Hourglass at the start, normal cursor at the end.
        QCOMPARE(f.desktop.cursorEvents.first(), QString("hourglass"));
        QCOMPARE(f.desktop.cursorEvents.last(), QString("normal"));
        QVERIFY(f.desktop.messages.isEmpty());
        QVERIFY(w.loaded());
    }

    void knownNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("user");
        QTest::addColumn<bool>("group");
        QTest::newRow("user exactly") << "jdoe" << true << false;
        QTest::newRow("user in capitals") << "JDOE" << true << false;
        // The argument is not trimmed.
        QTest::newRow("user with a leading blank") << " jdoe" << false << false;
        // A user listed with a trailing blank is known under its trimmed form.
        QTest::newRow("trailing blank user, trimmed") << "carol" << true << false;
        QTest::newRow("trailing blank user, untrimmed") << "carol " << false << false;
        // A group is known only as listed, blank included.
        QTest::newRow("trailing blank group, untrimmed") << "Trailing " << false << true;
        QTest::newRow("trailing blank group, trimmed") << "Trailing" << false << false;
        QTest::newRow("group in other case") << "sales" << false << true;
        QTest::newRow("nobody") << "nobody" << false << false;
    }
    void knownNames() {
        QFETCH(QString, name);
        QFETCH(bool, user);
        QFETCH(bool, group);
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        QCOMPARE(w.UserExist(name), user);
        QCOMPARE(w.GroupExists(name), group);
    }

    void noController_data() {
        QTest::addColumn<bool>("warn");
        QTest::newRow("warning on") << true;
        QTest::newRow("warning off") << false;
    }
    void noController() {
        QFETCH(bool, warn);
        F f;
        fill(f.directory);
        f.directory.hasController = false;
        TfrmMain& w = f.make();
        w.FConfig.ShowWarnDCNotFound = warn;
        f.load();
        QCOMPARE(w.dcName(), QString());
        if (warn) {
            QCOMPARE(f.desktop.messages.size(), 1);
            QCOMPARE(f.desktop.messages[0].kind, DesktopServices::MessageKind::Warning);
            QCOMPARE(f.desktop.messages[0].text,
                     QString("Could not find domain controller for the domain \"ZENTORY\"."));
            QCOMPARE(f.desktop.messages[0].buttons, DesktopServices::Buttons(DesktopServices::Button::Ok));
        } else {
            QVERIFY(f.desktop.messages.isEmpty());
        }
        // The load goes on against the local computer.
        QCOMPARE(w.allUsers().size(), size_t(4));
        QCOMPARE(q(f.directory.servers.back()), QString());
    }

    void fullNamesInTheUsersComboBelow200Users_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("shown");
        QTest::newRow("199") << 199 << true;
        QTest::newRow("200") << 200 << false;
    }
    void fullNamesInTheUsersComboBelow200Users() {
        QFETCH(int, count);
        QFETCH(bool, shown);
        F f;
        for (int i = 0; i < count; ++i) {
            f.directory.addUser(QString::asprintf("u%03d", i).toStdU16String(),
                                QString::asprintf("User %03d", i).toStdU16String());
        }
        f.directory.addUser(u"nofull", u"");
        f.directory.users.pop_back();  // keep the count exact
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = true;
        f.load();
        const QStringList items = F::items(w.cbxUsers);
        QCOMPARE(items.size(), count);
        QCOMPARE(items.first(), shown ? F::item("u000", "User 000") : QString("u000"));
        // Each user read once, or not at all.
        QCOMPARE(f.directory.calls["NetUserGetInfo"], shown ? count : 0);
    }

    void emptyDetailsGiveBareNames() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = true;
        w.FConfig.MainDet.ShowComment = true;
        f.load();
        QVERIFY(F::items(w.cbxUsers).contains("bob"));
        QVERIFY(F::items(w.cbxUsers).contains(F::item("jdoe", "John Doe")));
        QVERIFY(F::items(w.cbxGroups).contains("Helpdesk"));
        QVERIFY(F::items(w.cbxGroups).contains(F::item("Sales", "Sales, north")));
    }

    void detailsCache() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        tyUserInfo3 a;
        w.GetUserInfo3("jdoe", a);
        tyUserInfo3 b;
        w.GetUserInfo3("JDOE", b);
        QCOMPARE(q(a.FullName), QString("John Doe"));
        QVERIFY(a == b);
        QCOMPARE(f.directory.calls["NetUserGetInfo"], 1);
        QCOMPARE(w.GetFullName("JDoe"), QString("John Doe"));
        QCOMPARE(f.directory.calls["NetUserGetInfo"], 1);

        // Not known: nothing read, the record as the caller passed it.
        tyUserInfo3 c;
        c.Comment = u"mine";
        const tyUserInfo3 before = c;
        w.GetUserInfo3("nobody", c);
        QVERIFY(c == before);
        QCOMPARE(w.GetFullName("nobody"), QString());
        QCOMPARE(f.directory.calls["NetUserGetInfo"], 1);
        QCOMPARE(w.GetGroupComment("No such group"), QString());
        QCOMPARE(w.GetGroupComment("sales"), QString("Sales, north"));
    }

    void failedReadIsRetriedWithItsErrorEachTime() {
        F f;
        fill(f.directory);
        f.directory.failingReads[u"asmith"] = net::AccessDenied;
        TfrmMain& w = f.load();
        QCOMPARE(w.GetFullName("asmith"), QString());
        QCOMPARE(w.GetFullName("asmith"), QString());
        QCOMPARE(f.directory.calls["NetUserGetInfo"], 2);
        QCOMPARE(f.desktop.texts(),
                 QStringList(2, "The user does not have access to the requested information."));
        // The cache holds the empty copies, sorted, and finds nobody by them.
        QCOMPARE(w.detailsCache().size(), size_t(2));
    }

    // ---- navigation --------------------------------------------------

    void groupToMembers() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = true;
        f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        QCOMPARE(w.edtGroupComment->text(), QString("Sales, north"));
        // JDoe counts as the known jdoe; the computer is not a known user
        // and sits greyed at its own sorted place.
        QCOMPARE(F::items(w.chklbxUsers),
                 (QStringList{F::item("asmith", "Alice Smith"), "bob", F::item("JDoe", "John Doe"),
                              "WS01$"}));
        AccountListModel* list = w.chklbxUsers->accounts();
        const int computer = rowOf(w.chklbxUsers, "WS01$");
        QCOMPARE(list->checkState(computer), Qt::PartiallyChecked);
        QVERIFY(!list->isItemEnabled(computer));
        for (int row = 0; row < 3; ++row) {
            QVERIFY(list->isItemEnabled(row));
            QCOMPARE(list->checkState(row), Qt::Unchecked);
        }
        QVERIFY(!(list->flags(list->index(computer)) & Qt::ItemIsUserCheckable));
        QCOMPARE(f.desktop.cursorEvents.last(), QString("normal"));
    }

    void groupFromAnItemWithItsDetail() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        w.cbxGroups->setEditText(F::item("Sales", "whatever it says"));
        w.bbtGetUsers->click();
        QCOMPARE(F::items(w.chklbxUsers).size(), 4);
    }

    void unknownGroupTyped() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        const int reads = f.directory.calls["NetGroupGetUsers"];
        w.cbxGroups->setEditText("No such group");
        w.bbtGetUsers->click();
        QVERIFY(F::items(w.chklbxUsers).isEmpty());
        QCOMPARE(w.edtGroupComment->text(), QString());
        QCOMPARE(f.directory.calls["NetGroupGetUsers"], reads);
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void userToGroups() {
        F f;
        fill(f.directory);
        f.directory.groups.push_back({u"Ghosts", u"", {u"jdoe"}});
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowComment = true;
        f.load();
        // Listed by the directory after the start: not a known group.
        f.directory.groups.push_back({u"Late", u"", {u"jdoe"}});
        w.cbxUsers->setEditText("  jdoe  ");
        w.bbtGetGroups->click();
        QCOMPARE(w.ledtFullName->text(), QString("John Doe"));
        QCOMPARE(w.ledtComment->text(), QString("Help desk"));
        QCOMPARE(F::items(w.chklbxGroups),
                 (QStringList{"Ghosts", "Helpdesk", "Late", F::item("Sales", "Sales, north")}));
        const int late = rowOf(w.chklbxGroups, "Late");
        QVERIFY(!w.chklbxGroups->accounts()->isItemEnabled(late));
        QCOMPARE(w.chklbxGroups->accounts()->checkState(late), Qt::PartiallyChecked);
    }

    void unknownUserTypedKeepsTheLines() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        w.cbxUsers->setEditText("jdoe");
        w.bbtGetGroups->click();
        QVERIFY(!F::items(w.chklbxGroups).isEmpty());
        w.cbxUsers->setEditText("nobody");
        w.bbtGetGroups->click();
        QVERIFY(F::items(w.chklbxGroups).isEmpty());
        QCOMPARE(w.ledtFullName->text(), QString("John Doe"));
        QCOMPARE(w.ledtComment->text(), QString("Help desk"));
    }

    void autoSelect_data() {
        QTest::addColumn<bool>("autoSelect");
        QTest::newRow("off") << false;
        QTest::newRow("on") << true;
    }
    void autoSelect() {
        QFETCH(bool, autoSelect);
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        w.FConfig.AutoSelectGroup = autoSelect;
        w.FConfig.AutoSelectUser = autoSelect;
        f.load();
        w.cbxGroups->setCurrentIndex(w.cbxGroups->findText("Sales"));
        emit w.cbxGroups->itemChosen();
        QCOMPARE(F::items(w.chklbxUsers).size(), autoSelect ? 4 : 0);
        w.cbxUsers->setCurrentIndex(w.cbxUsers->findText("jdoe"));
        emit w.cbxUsers->itemChosen();
        QCOMPARE(F::items(w.chklbxGroups).size(), autoSelect ? 2 : 0);
    }

    void checkingFollowsKnownNames() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        AccountListModel* list = w.chklbxUsers->accounts();
        // The user toggles a known member: it stays checked.
        const int bob = rowOf(w.chklbxUsers, "bob");
        QVERIFY(list->setData(list->index(bob), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(list->checkState(bob), Qt::Checked);
        // The greyed one's box cannot be toggled at all.
        const int computer = rowOf(w.chklbxUsers, "WS01$");
        QVERIFY(!list->setData(list->index(computer), Qt::Checked, Qt::CheckStateRole));
        QCOMPARE(list->checkState(computer), Qt::PartiallyChecked);
    }

    void selectAllLeavesGreyedItemsGreyed() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        w.bbtSelectAllUsers->click();
        AccountListModel* list = w.chklbxUsers->accounts();
        QCOMPARE(list->checkState(rowOf(w.chklbxUsers, "WS01$")), Qt::PartiallyChecked);
        for (const QString n : {"asmith", "bob", "JDoe"}) {
            QCOMPARE(list->checkState(rowOf(w.chklbxUsers, n)), Qt::Checked);
        }
        w.cbxUsers->setEditText("jdoe");
        f.directory.groups.push_back({u"Late", u"", {u"jdoe"}});
        w.bbtGetGroups->click();
        w.bbtSelectAlGroups->click();
        AccountListModel* groups = w.chklbxGroups->accounts();
        QCOMPARE(groups->checkState(rowOf(w.chklbxGroups, "Late")), Qt::PartiallyChecked);
        QCOMPARE(groups->checkState(rowOf(w.chklbxGroups, "Sales")), Qt::Checked);
    }

    void bothCompareButtonsPassTheSameNames() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = true;
        QStringList toGroups;
        QStringList toAttributes;
        QString server;
        auto names = [](const tyArrUsers& users) {
            QStringList r;
            for (const auto& u : users) {
                r << q(u);
            }
            return r;
        };
        w.CompareUsersGroups = [&](MainServices&, const QString& s, const tyArrUsers& users) {
            server = s;
            toGroups = names(users);
        };
        w.CompareUsersAttributes = [&](MainServices&, const QString&, const tyArrUsers& users) {
            toAttributes = names(users);
        };
        w.hooksChanged();
        f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        w.bbtSelectAllUsers->click();
        w.bbtCompareUsers->click();
        w.bbtUserLock->click();
        // In list order, names only, the greyed member never.
        QCOMPARE(toGroups, (QStringList{"asmith", "bob", "JDoe"}));
        QCOMPARE(toAttributes, toGroups);
        QCOMPARE(server, QString("\\\\DC1"));
    }

    void compareGroupsPassesCommentsTheWindowHolds() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        tyArrGroup1 passed;
        w.CompareGroupsUsers = [&](MainServices&, const QString&, const tyArrGroup1& g) {
            passed = g;
        };
        w.hooksChanged();
        f.load();
        w.cbxUsers->setEditText("jdoe");
        w.bbtGetGroups->click();
        w.bbtSelectAlGroups->click();
        w.bbtCompareGroups->click();
        QCOMPARE(passed.size(), size_t(2));
        QCOMPARE(q(passed[0].Name), QString("Helpdesk"));
        QCOMPARE(q(passed[1].Comment), QString("Sales, north"));
    }

    void doubleClicks_data() {
        QTest::addColumn<bool>("warn");
        QTest::newRow("warning on") << true;
        QTest::newRow("warning off") << false;
    }
    void doubleClicks() {
        QFETCH(bool, warn);
        F f;
        fill(f.directory);
        TfrmMain& w = f.make();
        w.FConfig.ShowWarnUserUnkn = warn;
        w.FConfig.MainDet.ShowFullName = true;
        f.load();
        w.cbxGroups->setEditText("Sales");
        w.bbtGetUsers->click();
        // A known member listed with its full name: the whole item goes to
        // the users combo box, and the right pane shows that user.
        const QString jdoeItem = F::item("JDoe", "John Doe");
        w.chklbxUsers->setCurrentIndex(w.chklbxUsers->accounts()->index(rowOf(w.chklbxUsers, jdoeItem)));
        w.chklbxUsersDblClick();
        QCOMPARE(w.cbxUsers->currentText(), jdoeItem);
        QCOMPARE(w.ledtFullName->text(), QString("John Doe"));
        QCOMPARE(F::items(w.chklbxGroups).size(), 2);

        w.chklbxUsers->setCurrentIndex(w.chklbxUsers->accounts()->index(rowOf(w.chklbxUsers, "WS01$")));
        w.chklbxUsersDblClick();
        QCOMPARE(f.desktop.texts(),
                 warn ? QStringList{"The user \"WS01$\" is unknown."} : QStringList{});

        // A group of the right pane goes to the left pane.
        w.chklbxGroups->setCurrentIndex(w.chklbxGroups->accounts()->index(rowOf(w.chklbxGroups, "Helpdesk")));
        w.chklbxGroupsDblClick();
        QCOMPARE(w.cbxGroups->currentText(), QString("Helpdesk"));
        QCOMPARE(F::items(w.chklbxUsers), QStringList{F::item("jdoe", "John Doe")});
    }

    void doubleClickOnAnUnknownGroupDoesNothing() {
        F f;
        fill(f.directory);
        TfrmMain& w = f.load();
        f.directory.groups.push_back({u"Late", u"", {u"jdoe"}});
        w.cbxUsers->setEditText("jdoe");
        w.bbtGetGroups->click();
        w.cbxGroups->setEditText("Sales");
        w.chklbxGroups->setCurrentIndex(w.chklbxGroups->accounts()->index(rowOf(w.chklbxGroups, "Late")));
        w.chklbxGroupsDblClick();
        QCOMPARE(w.cbxGroups->currentText(), QString("Sales"));
        QVERIFY(f.desktop.messages.isEmpty());
    }

    void copyToClipboard() {
        F f;
        f.directory.addUser(u"alice");
        f.directory.addUser(u"bob", u"Bob Smith");
        f.directory.addGroup(u"Two", u"", {u"bob", u"alice"});
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = true;
        f.load();
        w.bbtCopyUsersToClipboardClick();
        QVERIFY(!f.desktop.clipboardSet);  // an empty list leaves it alone
        w.cbxGroups->setEditText("Two");
        w.bbtGetUsers->click();
        w.bbtCopyUsersToClipboard->click();
        QCOMPARE(f.desktop.clipboard, "alice\r\n" + F::item("bob", "Bob Smith") + "\r\n");
    }

    // ---- start-up load over real back-ends ------------------------------

    void demoDomain() {
        LdifBackend backend(
            (qEnvironmentVariable("ZENTORY_SOURCE_DIR") + "/data/demo/demo-domain.ldif").toStdString());
        RecordingDesktop desktop;
        DesktopReporter reporter(desktop);
        DirectoryQueries queries(backend, reporter);
        TfrmMain w(queries, desktop, nullptr);
        w.FormShow();
        QCOMPARE(w.domainName(), QString("HARBOR"));
        QCOMPARE(w.dcName(), QString("\\\\DC01"));
        QCOMPARE(w.allUsers().size(), size_t(212));
        QCOMPARE(F::items(w.cbxGroups).size(), 44);
        w.cbxGroups->setEditText("All Staff");
        w.bbtGetUsers->click();
        QCOMPARE(F::items(w.chklbxUsers).size(), 207);
        QVERIFY(w.UserExist(QString::fromUtf8("RENÉ.lefèvre")));
        QVERIFY(desktop.messages.isEmpty());
    }

    // ---- bottom bar, layout ----------------------------------------------

    void domainWindowShowsTheNamesAsGiven() {
        auto w = MakeDomainDC(nullptr, "ZENTORY", "");
        QCOMPARE(w->windowTitle(), QString("Domain & DC"));
        QCOMPARE(w->ledtDomainName->text(), QString("ZENTORY"));
        QCOMPARE(w->ledtDCName->text(), QString());
        QVERIFY(w->ledtDomainName->isReadOnly());
        QCOMPARE(w->bbtClose->text(), QString("&Fermer"));
        QCOMPARE(w->findChild<QLabel*>("ledtDomainNameLabel")->text(), QString("Domain"));
        QCOMPARE(w->findChild<QLabel*>("ledtDCNameLabel")->text(), QString("Domain Controller"));
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->ledtDCName->setFocus();
        QTest::keyClick(w->ledtDCName, Qt::Key_Escape);
        QTRY_VERIFY(!w->isVisible());
    }

    void paneWidths_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("800") << 800 << 396 << 396;
        QTest::newRow("801") << 801 << 396 << 397;
        QTest::newRow("760") << 760 << 376 << 376;
    }
    void paneWidths() {
        QFETCH(int, width);
        QFETCH(int, left);
        QFETCH(int, right);
        F f;
        TfrmMain& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(width, 480);
        QTRY_COMPARE(w.width(), width);
        QCOMPARE(w.Splitter->sizes(), (QList<int>{left, right}));
    }

    void dragThenResizeRecentres() {
        F f;
        TfrmMain& w = f.make();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(900, 480);
        QTRY_COMPARE(w.width(), 900);
        w.Splitter->setSizes({500, 392});
        QCOMPARE(w.Splitter->sizes().first(), 500);
        // Neither pane goes below 376.
        w.Splitter->setSizes({100, 792});
        QVERIFY(w.Splitter->sizes().first() >= 376);
        w.resize(1000, 480);
        QTRY_COMPARE(w.width(), 1000);
        QCOMPARE(w.Splitter->sizes(), (QList<int>{496, 496}));
        w.Splitter->setSizes({600, 392});
        w.SplitterDblClick();
        QCOMPARE(w.Splitter->sizes(), (QList<int>{496, 496}));
    }

    void donationReminder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("shown");
        QTest::newRow("0") << 0 << false;
        QTest::newRow("5") << 5 << false;
        QTest::newRow("49") << 49 << false;
        QTest::newRow("50") << 50 << true;
        QTest::newRow("51") << 51 << false;
        QTest::newRow("100") << 100 << true;
        QTest::newRow("-50") << -50 << false;
    }
    void donationReminder() {
        QFETCH(int, count);
        QFETCH(bool, shown);
        F f;
        TfrmMain& w = f.make();
        QCOMPARE(w.tmrPleaseDonate->interval(), 300000);
        QVERIFY(w.tmrPleaseDonate->isActive());
        w.FConfig.NbExecution = count;
        f.desktop.answers.push_back(DesktopServices::Button::Ok);
        w.tmrPleaseDonateTimer();
        QVERIFY(!w.tmrPleaseDonate->isActive());
        if (!shown) {
            QVERIFY(f.desktop.messages.isEmpty());
            return;
        }
        QCOMPARE(f.desktop.messages.size(), 1);
        const auto& m = f.desktop.messages[0];
        QCOMPARE(m.kind, DesktopServices::MessageKind::Information);
        QCOMPARE(m.buttons, DesktopServices::Button::Ok | DesktopServices::Button::Cancel);
        QCOMPARE(m.text, "Dear user, \r\nYou have executed this program more " +
                             QString::number(count) +
                             " times, so  I think you consider this \r\napplication useful for "
                             "you.\r\nI will be very satisfied if you consider my work and make "
                             "me a donation to \r\nencourage me to continue to maintain this "
                             "application.\r\nThank you a lot !");
        QCOMPARE(f.desktop.openedUrls.size(), 1);
    }

    void donationCancelledOpensNothing() {
        F f;
        TfrmMain& w = f.make();
        w.FConfig.NbExecution = 50;
        f.desktop.answers.push_back(DesktopServices::Button::Cancel);
        w.tmrPleaseDonateTimer();
        QCOMPARE(f.desktop.messages.size(), 1);
        QVERIFY(f.desktop.openedUrls.isEmpty());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
