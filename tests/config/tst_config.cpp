// The configuration dialog through EditConfiguration over a real main
// window: its warnings, the check list, Default, the list font, the result,
// and the round trip from the main window's configuration button.

#include <QtTest>
#include <functional>

#include "../app/MainWindowFixture.h"
#include "ListFontQt.h"
#include "SettingsFile.h"
#include "uConfig.h"

using F = MainWindowFixture;
using Button = DesktopServices::Button;

namespace {

const QString kGroupsQuestion =
    "Enabling this setting may cause the application to crash\nif there are many groups to "
    "process.\n\nDo you want to keep this option enabled?";
const QString kUsersQuestion =
    "Enabling this setting may cause the application to crash\nif there are many users to "
    "process.\n\nDo you want to keep this option enabled?";

// Acts on the configuration dialog once it is open modally, as the user
// would, then lets EditConfiguration go on. The dialog must have opened by
// the end of the test (ran).
class WhileOpen : public QObject {
public:
    explicit WhileOpen(std::function<void(TfrmConfiguration&)> action) : m_action(std::move(action)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* d = qobject_cast<TfrmConfiguration*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                ran = true;
                m_action(*d);
                // A check that failed inside the action returned early:
                // leave no dialog open for the test to hang on.
                if (d->isVisible()) {
                    d->reject();
                }
            }
        });
        m_timer.start(0);
    }
    bool ran = false;

private:
    std::function<void(TfrmConfiguration&)> m_action;
    QTimer m_timer;
};

void ok(TfrmConfiguration& d) {
    d.BitBtn1->click();
}

QCheckBox* box(TfrmConfiguration& d, const QString& name) {
    return d.findChild<QCheckBox*>(name);
}

QList<int> checkedItems(const QListWidget* list) {
    QList<int> r;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->checkState() == Qt::Checked) {
            r << i;
        }
    }
    return r;
}

// Every shown setting away from its default, and FirstExec and NbExecution
// set, so that a change of any of them shows.
tyConfig unusual() {
    tyConfig c;
    c.FirstExec = 45000.0;
    c.NbExecution = 49;
    c.MainDet = {false, false};  // no questions when the dialog opens
    c.CompDet = {false, true};
    c.ShowWarnDCNotFound = false;
    c.ShowWarnUserUnkn = true;
    c.ShowWarnGrpUnkn = false;
    c.ValCheck.Name = true;
    c.ValCheck.Priv = true;
    c.ValCheck.Flags.LOCKOUT = true;
    c.ValCheck.AuthFlags.SERVER = true;
    c.ValCheck.HomeDirDrive = true;
    c.AutoSelectGroup = true;
    c.AutoSelectUser = false;
    return c;
}

tyListFont courierBold() {
    tyListFont f;
    f.Name = u"Courier";
    f.Size = 12;
    f.Bold = true;
    f.Color = RgbColor(200, 0, 0);
    return f;
}

// The nine boxes and the fields they edit.
struct BoxField {
    const char* box;
    bool& (*field)(tyConfig&);
};
const BoxField kBoxes[] = {
    {"chkMainShowComment", [](tyConfig& c) -> bool& { return c.MainDet.ShowComment; }},
    {"chkMainShowFullName", [](tyConfig& c) -> bool& { return c.MainDet.ShowFullName; }},
    {"chkShowWarnDCNotFound", [](tyConfig& c) -> bool& { return c.ShowWarnDCNotFound; }},
    {"chkShowWarnUserUnkn", [](tyConfig& c) -> bool& { return c.ShowWarnUserUnkn; }},
    {"chkShowWarnGrpUnkn", [](tyConfig& c) -> bool& { return c.ShowWarnGrpUnkn; }},
    {"chkCompShowFullName", [](tyConfig& c) -> bool& { return c.CompDet.ShowFullName; }},
    {"chkCompShowComment", [](tyConfig& c) -> bool& { return c.CompDet.ShowComment; }},
    {"chkAutoGroup", [](tyConfig& c) -> bool& { return c.AutoSelectGroup; }},
    {"chkAutoUser", [](tyConfig& c) -> bool& { return c.AutoSelectUser; }},
};

}  // namespace

class TestConfig : public QObject {
    Q_OBJECT

private slots:
    void componentsAndTexts() {
        F f;
        TfrmMain& w = f.make();
        auto d = MakeConfiguration(w, w.FConfig, 0);
        QCOMPARE(d->windowTitle(), QString("Configuration"));
        QCOMPARE(d->size(), QSize(315, 413));
        QCOMPARE(d->PageControl->count(), 3);
        const QStringList tabs{"General", "Comparison", "Check"};
        const QList<QWidget*> pages{d->tshGeneral, d->tshCompare, d->tshCheck};
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(d->PageControl->tabText(i), tabs[i]);
            QCOMPARE(d->PageControl->widget(i), pages[i]);
            QVERIFY(!d->PageControl->tabIcon(i).isNull());
        }
        const QList<QPair<QString, QString>> boxes{
            {"chkMainShowComment", "Show group comment"},
            {"chkMainShowFullName", "Show user full name"},
            {"chkShowWarnDCNotFound", "Could not find domain controller"},
            {"chkShowWarnUserUnkn", "User unknown"},
            {"chkShowWarnGrpUnkn", "Group unknown"},
            {"chkAutoGroup", "Group"},
            {"chkAutoUser", "User"},
            {"chkCompShowComment", "Show group comment"},
            {"chkCompShowFullName", "Show user full name"},
        };
        for (const auto& [name, caption] : boxes) {
            QCheckBox* c = box(*d, name);
            QVERIFY2(c, qPrintable(name));
            QCOMPARE(c->text(), caption);
        }
        QVERIFY(d->tshCompare->isAncestorOf(d->chkCompShowComment));
        QVERIFY(d->tshGeneral->isAncestorOf(d->gbxAutoSelect));
        QCOMPARE(d->gbxAutoSelect->title(), QString("Auto-Select"));
        QCOMPARE(d->BitBtn3->text(), QString("Font for Combo and lists"));
        QCOMPARE(d->bbtSelectAll->text(), QString("All"));
        QCOMPARE(d->bbtSelectNone->text(), QString("None"));
        QCOMPARE(d->btDefault->text(), QString("Default"));
        QCOMPARE(d->BitBtn1->text(), QString("OK"));
        QCOMPARE(d->BitBtn2->text(), QString("Cancel"));
        QVERIFY(d->BitBtn1->isDefault());
        QCOMPARE(d->ListBox->count(), 8);

        QStringList expected{"Name", "PasswordAge", "Priv", "HomeDir", "Comment"};
        for (const char* flag :
             {"SCRIPT", "ACCOUNTDISABLE", "HOMEDIR_REQUIRED", "PASSWD_NOTREQD", "PASSWD_CANT_CHANGE",
              "LOCKOUT", "DONT_EXPIRE_PASSWD", "ENCRYPTED_TEXT_PASSWORD_ALLOWED", "NOT_DELEGATED",
              "SMARTCARD_REQUIRED", "USE_DES_KEY_ONLY", "DONT_REQUIRE_PREAUTH",
              "TRUSTED_FOR_DELEGATION", "PASSWORD_EXPIRED",
              "TRUSTED_TO_AUTHENTICATE_FOR_DELEGATION", "NORMAL_ACCOUNT", "TEMP_DUPLICATE_ACCOUNT",
              "WORKSTATION_TRUST_ACCOUNT", "SERVER_TRUST_ACCOUNT", "INTERDOMAIN_TRUST_ACCOUNT"}) {
            expected << QString("Flag ") + flag;
        }
        expected << "ScriptPath" << "AuthFlag PRINT" << "AuthFlag COMM" << "AuthFlag SERVER"
                 << "AuthFlag ACCOUNTS";
        expected << "FullName" << "UsrComment" << "Workstations" << "LastLogon" << "LastLogoff"
                 << "AcctExpires" << "MaxStorage" << "UnitsPerWeek" << "LogonHours" << "BadPwCount"
                 << "NumLogons" << "LogonServer" << "CountryCode" << "CodePage" << "UserId"
                 << "PrimaryGroupId" << "Profile" << "HomeDirDrive" << "PasswordExpired";
        QCOMPARE(expected.size(), 49);
        QStringList items;
        for (int i = 0; i < d->CheckListBox->count(); ++i) {
            items << d->CheckListBox->item(i)->text();
        }
        QCOMPARE(items, expected);
    }

    void eachBoxEditsItsField_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("from");
        for (int i = 0; i < int(std::size(kBoxes)); ++i) {
            for (bool from : {false, true}) {
                QTest::newRow(qPrintable(QString(kBoxes[i].box) + (from ? " off" : " on")))
                    << i << from;
            }
        }
    }
    void eachBoxEditsItsField() {
        QFETCH(int, index);
        QFETCH(bool, from);
        const BoxField& b = kBoxes[index];
        F f;
        TfrmMain& w = f.make();
        tyConfig c = unusual();
        b.field(c) = from;
        tyConfig expected = c;
        b.field(expected) = !from;
        f.desktop.answers = {Button::Yes};
        WhileOpen act([&](TfrmConfiguration& d) {
            QCOMPARE(box(d, b.box)->isChecked(), from);
            box(d, b.box)->setChecked(!from);
            ok(d);
        });
        QVERIFY(EditConfiguration(w, c, 0));
        QVERIFY(act.ran);
        QVERIFY(c == expected);
    }

    // Each item edits its own field: the ends of each run of the list.
    void itemsEditTheirFields_data() {
        QTest::addColumn<int>("item");
        for (int i : {1, 4, 5, 18, 24, 25, 26, 29, 30, 48}) {
            QTest::newRow(qPrintable(QString::number(i))) << i;
        }
    }
    void itemsEditTheirFields() {
        QFETCH(int, item);
        F f;
        TfrmMain& w = f.make();
        tyConfig c = w.FConfig;
        c.ValCheck = tyValidCheck{};
        WhileOpen act([&](TfrmConfiguration& d) {
            d.CheckListBox->item(item)->setCheckState(Qt::Checked);
            ok(d);
        });
        QVERIFY(EditConfiguration(w, c, 2));
        QVERIFY(act.ran);
        tyValidCheck expected;
        expected.Name = true;
        switch (item) {
        case 1: expected.PasswordAge = true; break;
        case 4: expected.Comment = true; break;
        case 5: expected.Flags.SCRIPT = true; break;
        case 18: expected.Flags.PASSWORD_EXPIRED = true; break;
        case 24: expected.Flags.INTERDOMAIN_TRUST_ACCOUNT = true; break;
        case 25: expected.ScriptPath = true; break;
        case 26: expected.AuthFlags.PRINT = true; break;
        case 29: expected.AuthFlags.ACCOUNTS = true; break;
        case 30: expected.FullName = true; break;
        case 48: expected.PasswordExpired = true; break;
        }
        QVERIFY(c.ValCheck == expected);
    }

    void checkListShowsTheRecord() {
        F f;
        TfrmMain& w = f.make();
        auto d = MakeConfiguration(w, unusual(), 2);
        QCOMPARE(checkedItems(d->CheckListBox), (QList<int>{0, 2, 10, 28, 47}));
    }

    // ---- the two warnings -------------------------------------------------

    void warningAskedBeforeTheDialogAppears_data() {
        QTest::addColumn<bool>("comment");  // else the full name
        QTest::newRow("group comment") << true;
        QTest::newRow("user full name") << false;
    }
    void warningAskedBeforeTheDialogAppears() {
        QFETCH(bool, comment);
        F f;
        TfrmMain& w = f.make();
        tyConfig c = w.FConfig;
        (comment ? c.MainDet.ShowComment : c.MainDet.ShowFullName) = true;
        const QString name = comment ? "chkMainShowComment" : "chkMainShowFullName";
        bool dialogWasShown = true;
        f.desktop.duringMessage = [&] {
            auto* d = w.findChild<TfrmConfiguration*>();
            dialogWasShown = !d || d->isVisible() || QApplication::activeModalWidget();
        };
        f.desktop.answers = {Button::No};
        WhileOpen act([&](TfrmConfiguration& d) {
            QVERIFY(!box(d, name)->isChecked());
            // Asked once per opening: checking it again asks nothing.
            box(d, name)->setChecked(true);
            box(d, name)->setChecked(false);
            ok(d);
        });
        QVERIFY(EditConfiguration(w, c, 0));
        QVERIFY(act.ran);
        QVERIFY(!dialogWasShown);
        QCOMPARE(f.desktop.messages.size(), 1);
        QCOMPARE(f.desktop.messages[0].kind, DesktopServices::MessageKind::Warning);
        QCOMPARE(f.desktop.messages[0].text, comment ? kGroupsQuestion : kUsersQuestion);
        QCOMPARE(f.desktop.messages[0].buttons, Button::Yes | Button::No);
        QVERIFY(!c.MainDet.ShowComment);
        QVERIFY(!c.MainDet.ShowFullName);

        // A new opening asks again; Yes keeps the box checked.
        (comment ? c.MainDet.ShowComment : c.MainDet.ShowFullName) = true;
        f.desktop.answers = {Button::Yes};
        WhileOpen again([&](TfrmConfiguration& d) {
            QVERIFY(box(d, name)->isChecked());
            ok(d);
        });
        QVERIFY(!EditConfiguration(w, c, 0));
        QVERIFY(again.ran);
        QCOMPARE(f.desktop.messages.size(), 2);
        QVERIFY(comment ? c.MainDet.ShowComment : c.MainDet.ShowFullName);
    }

    void bothQuestionsEachOnce() {
        F f;
        TfrmMain& w = f.make();
        tyConfig c = w.FConfig;
        // Opening with both on: the groups question comes first.
        c.MainDet = {true, true};
        f.desktop.answers = {Button::Yes, Button::No};
        WhileOpen act([&](TfrmConfiguration& d) {
            QVERIFY(d.chkMainShowComment->isChecked());
            QVERIFY(!d.chkMainShowFullName->isChecked());
            d.chkMainShowFullName->setChecked(true);
            d.chkMainShowComment->setChecked(false);
            d.chkMainShowComment->setChecked(true);
            ok(d);
        });
        EditConfiguration(w, c, 0);
        QVERIFY(act.ran);
        QCOMPARE(f.desktop.texts(), (QStringList{kGroupsQuestion, kUsersQuestion}));
        QVERIFY(c.MainDet.ShowComment);
        QVERIFY(c.MainDet.ShowFullName);
    }

    void checkingOneBoxAsksOnlyItsQuestion_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("question");
        QTest::newRow("full name") << "chkMainShowFullName" << kUsersQuestion;
        QTest::newRow("comment") << "chkMainShowComment" << kGroupsQuestion;
    }
    void checkingOneBoxAsksOnlyItsQuestion() {
        QFETCH(QString, name);
        QFETCH(QString, question);
        F f;
        TfrmMain& w = f.make();
        tyConfig c = w.FConfig;
        f.desktop.answers = {Button::No};
        WhileOpen act([&](TfrmConfiguration& d) {
            QVERIFY(f.desktop.messages.isEmpty());
            QTest::mouseClick(box(d, name), Qt::LeftButton);
            QVERIFY(!box(d, name)->isChecked());
            // The comparison tab's boxes ask nothing.
            d.chkCompShowFullName->setChecked(!d.chkCompShowFullName->isChecked());
            d.chkCompShowComment->setChecked(!d.chkCompShowComment->isChecked());
            ok(d);
        });
        EditConfiguration(w, c, 0);
        QVERIFY(act.ran);
        QCOMPARE(f.desktop.texts(), QStringList{question});
    }

    // ---- the check list -----------------------------------------------------

    void allNoneAndName() {
        F f;
        TfrmMain& w = f.make();
        tyConfig c = unusual();
        c.ValCheck.Name = false;  // as a hand-edited settings file may hold it
        QList<int> afterAll, afterNone, afterToggle;
        WhileOpen act([&](TfrmConfiguration& d) {
            QCOMPARE(d.CheckListBox->item(0)->checkState(), Qt::Checked);
            d.bbtSelectAll->click();
            afterAll = checkedItems(d.CheckListBox);
            d.bbtSelectNone->click();
            afterNone = checkedItems(d.CheckListBox);
            // Name toggled off with the space bar, as the user would.
            d.PageControl->setCurrentWidget(d.tshCheck);
            d.CheckListBox->setFocus();
            d.CheckListBox->setCurrentRow(0);
            QTest::keyClick(d.CheckListBox, Qt::Key_Space);
            d.CheckListBox->setCurrentRow(3);
            QTest::keyClick(d.CheckListBox, Qt::Key_Space);
            afterToggle = checkedItems(d.CheckListBox);
            ok(d);
        });
        QVERIFY(EditConfiguration(w, c, 2));
        QVERIFY(act.ran);
        QCOMPARE(afterAll.size(), 49);
        QCOMPARE(afterNone, QList<int>{0});
        QCOMPARE(afterToggle, (QList<int>{0, 3}));
        tyValidCheck expected;
        expected.Name = true;
        expected.HomeDir = true;
        QVERIFY(c.ValCheck == expected);
    }

    void nameIsStoredTrueWithoutCountingAsAChange() {
        F f;
        TfrmMain& w = f.make();
        tyConfig c = unusual();
        c.ValCheck.Name = false;
        WhileOpen act(ok);
        QVERIFY(!EditConfiguration(w, c, 2));
        QVERIFY(act.ran);
        QVERIFY(c.ValCheck.Name);
    }

    // ---- Default, Cancel, OK --------------------------------------------

    void defaultThenCancelChangesNothing_data() {
        QTest::addColumn<QString>("wayOut");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("title bar") << "close";
    }
    void defaultThenCancelChangesNothing() {
        QFETCH(QString, wayOut);
        F f;
        TfrmMain& w = f.make();
        w.setListFont(courierBold());
        const QFont shown = w.chklbxGroups->font();
        tyConfig c = unusual();
        const tyConfig before = c;
        WhileOpen act([&](TfrmConfiguration& d) {
            d.btDefault->click();
            d.chkAutoUser->setChecked(true);
            if (wayOut == "cancel") {
                d.BitBtn2->click();
            } else if (wayOut == "escape") {
                QTest::keyClick(&d, Qt::Key_Escape);
            } else {
                d.close();
            }
        });
        QVERIFY(!EditConfiguration(w, c, 0));
        QVERIFY(act.ran);
        QVERIFY(c == before);
        QVERIFY(w.listFont() == courierBold());
        QCOMPARE(w.chklbxGroups->font(), shown);
        QVERIFY(!w.findChild<TfrmConfiguration*>());  // destroyed on the way out
    }

    void defaultThenOkStoresTheDefaults() {
        F f;
        TfrmMain& w = f.make();
        w.setListFont(courierBold());
        tyConfig c = unusual();
        tyListFont preview;
        WhileOpen act([&](TfrmConfiguration& d) {
            d.btDefault->click();
            preview = d.previewFont();
            QCOMPARE(d.ListBox->font().family(), QString("Tahoma"));
            ok(d);
        });
        QVERIFY(EditConfiguration(w, c, 0));
        QVERIFY(act.ran);
        tyConfig expected;
        w.SetDefaultConfig(expected);
        expected.FirstExec = 45000.0;
        expected.NbExecution = 49;
        QVERIFY(c == expected);
        QVERIFY(preview == tyListFont{});
        QVERIFY(w.listFont() == tyListFont{});
        QCOMPARE(w.cbxUsers->font().family(), QString("Tahoma"));
        QCOMPARE(w.cbxUsers->font().pointSize(), 8);
        QVERIFY(!w.cbxUsers->font().bold());
    }

    void okWithoutChangeStillSetsTheFontOnTheFourLists() {
        F f;
        TfrmMain& w = f.make();
        w.setListFont(courierBold());
        // Lists that show something else: OK puts the list font back on all
        // four, changed or not.
        QFont other("Serif");
        other.setPointSize(20);
        for (QWidget* list : std::initializer_list<QWidget*>{w.cbxUsers, w.cbxGroups,
                                                             w.chklbxUsers, w.chklbxGroups}) {
            list->setFont(other);
        }
        tyConfig c = unusual();
        const tyConfig before = c;
        WhileOpen act(ok);
        QVERIFY(!EditConfiguration(w, c, 0));
        QVERIFY(act.ran);
        QVERIFY(c == before);
        const QFont expected = ToQFont(courierBold());
        for (QWidget* list : std::initializer_list<QWidget*>{w.cbxUsers, w.cbxGroups,
                                                             w.chklbxUsers, w.chklbxGroups}) {
            QCOMPARE(list->font(), expected);
            QCOMPARE(list->palette().color(QPalette::Text), QColor(200, 0, 0));
        }
    }

    void listFontChanges_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("changed");
        QTest::newRow("face and size") << "face" << true;
        QTest::newRow("italic only") << "italic" << true;
        QTest::newRow("colour only") << "colour" << true;
        QTest::newRow("font dialog cancelled") << "cancelled" << false;
        QTest::newRow("same font confirmed") << "same" << false;
    }
    void listFontChanges() {
        QFETCH(QString, what);
        QFETCH(bool, changed);
        F f;
        TfrmMain& w = f.make();
        w.setListFont(courierBold());
        tyListFont expected = courierBold();
        QFont chosen = ToQFont(courierBold());
        if (what == "face") {
            chosen = QFont("Serif");
            chosen.setPointSize(14);
            expected.Name = u"Serif";
            expected.Size = 14;
            expected.Bold = false;
        } else if (what == "italic") {
            chosen.setItalic(true);
            expected.Italic = true;
        }
        if (what == "colour") {
            f.desktop.colors.push_back(QColor(0, 0, 255));
            expected.Color = RgbColor(0, 0, 255);
        } else if (what != "cancelled") {
            f.desktop.fonts.push_back(chosen);
        }
        tyConfig c = unusual();
        const tyConfig before = c;
        QColor previewColour;
        WhileOpen act([&](TfrmConfiguration& d) {
            (what == "colour" ? d.bbtFontColor : d.BitBtn3)->click();
            previewColour = d.ListBox->palette().color(QPalette::Text);
            // The lists change only on OK.
            QVERIFY(w.listFont() == courierBold());
            ok(d);
        });
        QCOMPARE(EditConfiguration(w, c, 0), changed);
        QVERIFY(act.ran);
        QVERIFY(c == before);
        QVERIFY(w.listFont() == expected);
        QCOMPARE(previewColour, ToQColor(expected.Color, QApplication::palette()));
    }

    void pageIndexOpensItsTab_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("tab");
        QTest::newRow("0") << 0 << "tshGeneral";
        QTest::newRow("1") << 1 << "tshCompare";
        QTest::newRow("2") << 2 << "tshCheck";
    }
    void pageIndexOpensItsTab() {
        QFETCH(int, page);
        QFETCH(QString, tab);
        F f;
        TfrmMain& w = f.make();
        tyConfig c = w.FConfig;
        QString shown;
        WhileOpen act([&](TfrmConfiguration& d) {
            shown = d.PageControl->currentWidget()->objectName();
            ok(d);
        });
        EditConfiguration(w, c, page);
        QVERIFY(act.ran);
        QCOMPARE(shown, tab);
    }

    // ---- from the main window -------------------------------------------

    void mainWindowConfigButton() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("settings.reg");
        F f;
        f.directory.addGroup(u"Sales", u"Sales, north", {});
        SettingsFile settings(path, "206");
        f.window = std::make_unique<TfrmMain>(f.queries, f.desktop, &settings);
        TfrmMain& w = *f.window;
        QVERIFY(!w.bbtConfig->isEnabled());
        w.ConfigurationDialog = EditConfiguration;
        w.hooksChanged();
        QVERIFY(w.bbtConfig->isEnabled());
        f.load();
        QCOMPARE(F::items(w.cbxGroups), QStringList{"Sales"});
        f.desktop.answers = {Button::Yes};
        WhileOpen act([&](TfrmConfiguration& d) {
            QCOMPARE(d.PageControl->currentIndex(), 0);
            d.chkMainShowComment->setChecked(true);
            ok(d);
        });
        w.bbtConfig->click();
        QVERIFY(act.ran);
        QCOMPARE(f.desktop.texts(), QStringList{kGroupsQuestion});
        QVERIFY(w.FConfig.MainDet.ShowComment);
        QCOMPARE(F::items(w.cbxGroups), QStringList{F::item("Sales", "Sales, north")});
        // Stored at once, not only when the window closes.
        tyConfig stored;
        tyListFont font;
        SettingsFile(path, "206").load(stored, font);
        QVERIFY(stored.MainDet.ShowComment);
    }
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
