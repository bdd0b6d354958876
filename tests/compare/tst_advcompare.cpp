// The advanced comparison dialog over a real main window: the two lists and
// the four move buttons, the search, reading a name list with the
// names-not-found dialog, the three comparisons and the ways out.

#include <QtTest>
#include <functional>

#include "../app/MainWindowFixture.h"
#include "uAdvCompare.h"
#include "uNotFound.h"

using F = MainWindowFixture;
using Dialog = TfrmAdvancedComparison;

namespace {

// Acts on a dialog of type T once it is open modally, as the user would.
// Whatever the action leaves open is closed, so that a failed check inside
// it cannot hang the test.
template <class T>
class WhileOpen : public QObject {
public:
    explicit WhileOpen(std::function<void(T&)> action) : m_action(std::move(action)) {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            if (auto* d = qobject_cast<T*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                ++ran;
                m_action(*d);
                if (d->isVisible()) {
                    d->close();
                }
            }
        });
        m_timer.start(0);
    }
    int ran = 0;

private:
    std::function<void(T&)> m_action;
    QTimer m_timer;
};

// What reached the comparison window's entries.
struct Comparisons {
    struct Call {
        QString entry;
        QString server;
        QStringList names;
        QStringList comments;
    };
    QList<Call> calls;
    std::function<void()> during;

    ComparisonEntries entries() {
        ComparisonEntries e;
        e.groupsUsers = [this](MainServices&, const QString& server, const tyArrGroup1& groups) {
            Call c{"CompareGroupsUsers", server, {}, {}};
            for (const auto& g : groups) {
                c.names << q(g.Name);
                c.comments << q(g.Comment);
            }
            record(c);
        };
        auto users = [this](const char* entry) {
            return [this, entry](MainServices&, const QString& server, const tyArrUsers& names) {
                Call c{entry, server, {}, {}};
                for (const auto& n : names) {
                    c.names << q(n);
                }
                record(c);
            };
        };
        e.usersGroups = users("CompareUsersGroups");
        e.usersAttributes = users("CompareUsersAttributes");
        return e;
    }
    void record(const Call& c) {
        calls << c;
        if (during) {
            during();
        }
    }
};

QStringList texts(QListView* list) {
    return Dialog::items(list)->texts();
}

void selectRows(QListView* list, const QList<int>& rows) {
    list->selectionModel()->clearSelection();
    for (int r : rows) {
        list->selectionModel()->select(Dialog::items(list)->index(r), QItemSelectionModel::Select);
    }
}

QList<int> selected(QListView* list) {
    QList<int> rows;
    for (const QModelIndex& i : list->selectionModel()->selectedIndexes()) {
        rows << i.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void chooseKind(Dialog& d, int kind) {
    d.RadioItems->button(kind)->click();
}

// A main window with groups and users loaded, over the fake directory.
struct Fixture {
    F f;
    Comparisons comparisons;
    QTemporaryDir dir;

    TfrmMain& load(const std::vector<std::u16string>& groups, const std::vector<std::u16string>& users,
                   bool fullNames = false) {
        for (const auto& g : groups) {
            f.directory.addGroup(g, u"about " + g);
        }
        for (const auto& n : users) {
            f.directory.addUser(n, n == u"jdoe" ? u"John Doe" : u"");
        }
        TfrmMain& w = f.make();
        w.FConfig.MainDet.ShowFullName = fullNames;
        f.load();
        return w;
    }
    std::unique_ptr<Dialog> dialog() {
        return MakeAdvancedComparison(*f.window, f.window->dcName(), comparisons.entries());
    }
    QString file(const QByteArray& bytes) {
        const QString path = dir.filePath(QString("names%1.txt").arg(++m_files));
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }

private:
    int m_files = 0;
};

}  // namespace

class TestAdvancedComparison : public QObject {
    Q_OBJECT

private slots:
    void startState() {
        Fixture x;
        TfrmMain& w = x.load({u"Sales", u"admins", u"Zeta", u"backup"}, {u"jdoe"});
        auto d = x.dialog();
        QCOMPARE(d->windowTitle(), QString("Advanced comparison"));
        QCOMPARE(d->RadioGroup->title(), QString("Please select"));
        QCOMPARE(d->RadioItems->button(0)->text(), QString("Groups"));
        QCOMPARE(d->RadioItems->button(1)->text(), QString("Users"));
        QCOMPARE(d->comparisonKind(), 0);
        QCOMPARE(texts(d->SrcList), F::items(w.cbxGroups));
        QCOMPARE(texts(d->SrcList), (QStringList{"admins", "backup", "Sales", "Zeta"}));
        QVERIFY(texts(d->DstList).isEmpty());
        QVERIFY(d->bbtUserLock->isHidden());
        QVERIFY(d->pnlSearch->isHidden());
        QVERIFY(d->IncludeBtn->isEnabled());
        QVERIFY(d->IncAllBtn->isEnabled());
        QVERIFY(!d->ExcludeBtn->isEnabled());
        QVERIFY(!d->ExAllBtn->isEnabled());
        QVERIFY(!d->bbtCompare->isEnabled());
        QCOMPARE(d->bbtCompare->text(), QString("Compare"));
        QCOMPARE(d->bbtCompare->property("Tag").toInt(), 1);
        QCOMPARE(d->bbtUserLock->text(), QString("Check"));
        QCOMPARE(d->bbtUserLock->property("Tag").toInt(), 2);
        QCOMPARE(d->bbtClose->text(), QString("Close"));
        QCOMPARE(d->FDCName, QString("\\\\DC1"));
        for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
                 d->IncludeBtn, d->IncAllBtn, d->ExcludeBtn, d->ExAllBtn, d->bbtOpen, d->sbtSearch}) {
            QVERIFY(b->text().isEmpty());
            QVERIFY(!b->icon().isNull());
        }
        QCOMPARE(d->SrcList->font(), w.chklbxUsers->font());
        QCOMPARE(d->DstList->font(), w.chklbxUsers->font());
    }

    void switchingKindStartsAfresh() {
        Fixture x;
        TfrmMain& w = x.load({u"g1", u"g2"}, {u"alice", u"bob"});
        auto d = x.dialog();
        selectRows(d->SrcList, {0});
        d->IncludeBtn->click();
        QCOMPARE(texts(d->DstList), QStringList{"g1"});
        chooseKind(*d, 1);
        QCOMPARE(texts(d->SrcList), F::items(w.cbxUsers));
        QVERIFY(texts(d->DstList).isEmpty());
        QVERIFY(!d->bbtUserLock->isHidden());
        QVERIFY(!d->bbtCompare->isEnabled());
        selectRows(d->SrcList, {1});
        d->IncludeBtn->click();
        QCOMPARE(texts(d->DstList), QStringList{"bob"});
        QVERIFY(d->bbtUserLock->isEnabled());
        chooseKind(*d, 0);
        QCOMPARE(texts(d->SrcList), (QStringList{"g1", "g2"}));
        QVERIFY(texts(d->DstList).isEmpty());
        QVERIFY(d->bbtUserLock->isHidden());
    }

    void include_data() {
        QTest::addColumn<QList<int>>("select");
        QTest::addColumn<QStringList>("destination");
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("bob and dan") << QList<int>{1, 3} << QStringList{"dan", "bob"}
                                     << QStringList{"ann", "cid"} << QList<int>{1};
        QTest::newRow("nothing selected") << QList<int>{} << QStringList{}
                                          << QStringList{"ann", "bob", "cid", "dan"} << QList<int>{0};
        QTest::newRow("the last one") << QList<int>{3} << QStringList{"dan"}
                                      << QStringList{"ann", "bob", "cid"} << QList<int>{2};
        QTest::newRow("all four") << QList<int>{0, 1, 2, 3}
                                  << QStringList{"dan", "cid", "bob", "ann"} << QStringList{}
                                  << QList<int>{};
    }
    void include() {
        QFETCH(QList<int>, select);
        QFETCH(QStringList, destination);
        QFETCH(QStringList, source);
        QFETCH(QList<int>, selectedAfter);
        Fixture x;
        x.load({u"dan", u"bob", u"cid", u"ann"}, {});
        auto d = x.dialog();
        ::selectRows(d->SrcList, select);
        d->IncludeBtn->click();
        QCOMPARE(texts(d->DstList), destination);
        QCOMPARE(texts(d->SrcList), source);
        QCOMPARE(selected(d->SrcList), selectedAfter);
        QCOMPARE(d->IncludeBtn->isEnabled(), !source.isEmpty());
        QCOMPARE(d->ExcludeBtn->isEnabled(), !destination.isEmpty());
        QCOMPARE(d->bbtCompare->isEnabled(), !destination.isEmpty());
    }

    void excludeGoesBackToItsSortedPlace() {
        Fixture x;
        x.load({u"dan", u"bob", u"Cid", u"ann", u"eve"}, {});
        auto d = x.dialog();
        selectRows(d->SrcList, {1, 2, 4});  // bob, Cid, eve
        d->IncludeBtn->click();
        QCOMPARE(texts(d->DstList), (QStringList{"eve", "Cid", "bob"}));
        selectRows(d->SrcList, {1});  // dan stays selected in the source
        selectRows(d->DstList, {0, 1});
        d->ExcludeBtn->click();
        QCOMPARE(texts(d->SrcList), (QStringList{"ann", "Cid", "dan", "eve"}));
        QCOMPARE(texts(d->DstList), QStringList{"bob"});
        QCOMPARE(selected(d->DstList), QList<int>{0});
        QCOMPARE(selected(d->SrcList), QList<int>{2});
    }

    void includeAllAndExcludeAll() {
        Fixture x;
        x.load({u"dan", u"bob", u"cid", u"ann"}, {});
        auto d = x.dialog();
        selectRows(d->SrcList, {2});
        d->IncludeBtn->click();
        d->IncAllBtn->click();
        QCOMPARE(texts(d->DstList), (QStringList{"cid", "ann", "bob", "dan"}));
        QVERIFY(texts(d->SrcList).isEmpty());
        QVERIFY(!d->IncludeBtn->isEnabled());
        QVERIFY(!d->IncAllBtn->isEnabled());
        QVERIFY(d->ExAllBtn->isEnabled());
        d->ExAllBtn->click();
        QCOMPARE(texts(d->SrcList), (QStringList{"ann", "bob", "cid", "dan"}));
        QVERIFY(texts(d->DstList).isEmpty());
        QVERIFY(!d->ExcludeBtn->isEnabled());
        QVERIFY(!d->bbtCompare->isEnabled());
    }

    // Many entries coming back at scattered places: the source list is
    // rebuilt in one go, and what the user had selected there stays so.
    void excludeAllOfManyKeepsTheSourceSelection() {
        Fixture x;
        std::vector<std::u16string> groups;
        for (int i = 0; i < 300; ++i) {
            groups.push_back(u"g" + QString::number(1000 + i).toStdU16String());
        }
        x.load(groups, {});
        auto d = x.dialog();
        QList<int> odd;
        for (int i = 1; i < 300; i += 2) {
            odd << i;
        }
        selectRows(d->SrcList, odd);
        d->IncludeBtn->click();
        QCOMPARE(texts(d->SrcList).size(), 150);
        selectRows(d->SrcList, {10});  // g1020
        d->ExAllBtn->click();
        QStringList all;
        for (const auto& g : groups) {
            all << q(g);
        }
        QCOMPARE(texts(d->SrcList), all);
        QCOMPARE(selected(d->SrcList), QList<int>{20});
    }

    void listsShareTheWidth_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("440") << 440;
        QTest::newRow("441") << 441;
        QTest::newRow("700") << 700;
    }
    void listsShareTheWidth() {
        QFETCH(int, width);
        Fixture x;
        x.load({u"g"}, {});
        auto d = x.dialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        d->resize(width, 339);
        QTRY_COMPARE(d->width(), width);
        const int area = d->pnlLists->width();
        QCOMPARE(d->pnlSrc->width(), (area - d->pnlButtons->width()) / 2);
        QCOMPARE(d->pnlButtons->x(), d->pnlSrc->width());
        QCOMPARE(d->DstList->geometry().right(), area - 1);
        QVERIFY(qAbs(d->DstList->width() - d->pnlSrc->width()) <= 1);
        const QRect moves = d->pnlSelectButtons->geometry();
        QCOMPARE(moves.top(), (d->pnlButtons->height() - moves.height()) / 2);
        d->close();
    }

    void doubleClicks() {
        Fixture x;
        x.load({u"ann", u"bob"}, {});
        auto d = x.dialog();
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        const QRect second = d->SrcList->visualRect(Dialog::items(d->SrcList)->index(1));
        QTest::mouseClick(d->SrcList->viewport(), Qt::LeftButton, {}, second.center());
        QTest::mouseDClick(d->SrcList->viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(texts(d->DstList), QStringList{"bob"});
        const QRect first = d->DstList->visualRect(Dialog::items(d->DstList)->index(0));
        QTest::mouseClick(d->DstList->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(d->DstList->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(texts(d->SrcList), (QStringList{"ann", "bob"}));
        QVERIFY(texts(d->DstList).isEmpty());
        d->close();
    }

    void search_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("key");
        QTest::addColumn<QList<int>>("selectedAfter");
        QTest::newRow("BOB") << "BOB" << int(Qt::Key_Return) << QList<int>{0, 1};
        QTest::newRow("keypad Enter") << "bob" << int(Qt::Key_Enter) << QList<int>{0, 1};
        QTest::newRow("bo") << "bo" << int(Qt::Key_Return) << QList<int>{0};
        QTest::newRow("whole item with its detail")
            << F::item("jdoe", "John Doe") << int(Qt::Key_Return) << QList<int>{0, 2};
        QTest::newRow("another key") << "BOB" << int(Qt::Key_Tab) << QList<int>{0};
    }
    void search() {
        QFETCH(QString, text);
        QFETCH(int, key);
        QFETCH(QList<int>, selectedAfter);
        Fixture x;
        x.load({}, {u"alice", u"bob", u"jdoe"}, true);
        auto d = x.dialog();
        chooseKind(*d, 1);
        QCOMPARE(texts(d->SrcList),
                 (QStringList{"alice", "bob", F::item("jdoe", "John Doe")}));
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d.get()));
        QTest::mouseClick(d->sbtSearch, Qt::LeftButton);
        QVERIFY(d->pnlSearch->isVisible());
        QVERIFY(d->edtSearch->hasFocus());
        selectRows(d->SrcList, {0});
        QTest::keyClicks(d->edtSearch, text);
        QTest::keyClick(d->edtSearch, Qt::Key(key));
        QCOMPARE(selected(d->SrcList), selectedAfter);
        // Enter finds; it presses no button and closes nothing.
        QVERIFY(d->isVisible());
        QVERIFY(texts(d->DstList).isEmpty());
        QTest::mouseClick(d->sbtSearch, Qt::LeftButton);
        QVERIFY(!d->pnlSearch->isVisible());
        d->close();
    }

    // ---- name list files ---------------------------------------------------

    void readingANameList_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("fullNames");
        QTest::addColumn<QStringList>("destination");
        QTest::addColumn<QString>("notFound");  // the memo's text; null: no dialog
        QTest::newRow("last Alice takes the entry")
            << QByteArray("carol\r\nalice\r\nnobody\r\nAlice\r\n") << false
            << QStringList{"alice", "carol"} << "alice\nnobody";
        QTest::newRow("empty line")
            << QByteArray("alice\n\ncarol\nzed\n") << false << QStringList{"carol", "alice"}
            << "\nzed";
        QTest::newRow("every line matches") << QByteArray("  CAROL \r\nbob") << false
                                            << QStringList{"bob", "carol"} << QString();
        QTest::newRow("nothing matches") << QByteArray("x\ny") << false << QStringList{} << "x\ny";
        QTest::newRow("bare name against an item with its detail")
            << ("jdoe\n" + F::item("JDOE", "John Doe").toUtf8()) << true
            << QStringList{F::item("jdoe", "John Doe")} << "jdoe";
        QTest::newRow("utf-16 with a not-found item's separator")
            << QByteArray("\xFF\xFE", 2) +
                   QByteArray(reinterpret_cast<const char*>(F::item("zed", "Z").utf16()),
                              F::item("zed", "Z").size() * 2)
            << false << QStringList{} << F::item("zed", "Z");
    }
    void readingANameList() {
        QFETCH(QByteArray, file);
        QFETCH(bool, fullNames);
        QFETCH(QStringList, destination);
        QFETCH(QString, notFound);
        Fixture x;
        x.load({u"g1"}, {u"alice", u"bob", u"carol", u"jdoe"}, fullNames);
        auto d = x.dialog();
        chooseKind(*d, 1);
        selectRows(d->SrcList, {0});
        d->IncludeBtn->click();  // thrown away by the read
        x.f.desktop.fileNames = {x.file(file)};
        QString memo;
        QString clipboard;
        WhileOpen<TfrmNotFound> shown([&](TfrmNotFound& n) {
            QCOMPARE(n.windowTitle(), QString("Items not found"));
            memo = n.memoText().replace("\r\n", "\n");
            n.bbtCopyClipboard->click();
            clipboard = x.f.desktop.clipboard;
            n.BitBtn1->click();
        });
        d->bbtOpenClick();
        QCOMPARE(texts(d->DstList), destination);
        QStringList source = F::items(x.f.window->cbxUsers);
        for (const QString& e : destination) {
            source.removeOne(e);
        }
        QCOMPARE(texts(d->SrcList), source);
        QCOMPARE(d->bbtCompare->isEnabled(), !destination.isEmpty());
        QCOMPARE(d->bbtUserLock->isEnabled(), !destination.isEmpty());
        if (notFound.isNull()) {
            QCOMPARE(shown.ran, 0);
            return;
        }
        QCOMPARE(shown.ran, 1);
        QCOMPARE(memo, notFound);
        QCOMPARE(clipboard, QString(notFound).replace("\n", "\r\n"));
        QVERIFY(x.f.desktop.messages.isEmpty());
    }

    void noFileChosenKeepsTheLists_data() {
        QTest::addColumn<QString>("answer");
        QTest::newRow("cancelled") << "";
        QTest::newRow("does not exist") << "missing.txt";
        QTest::newRow("a folder") << ".";
    }
    void noFileChosenKeepsTheLists() {
        QFETCH(QString, answer);
        Fixture x;
        x.load({u"g1", u"g2"}, {});
        auto d = x.dialog();
        selectRows(d->SrcList, {1});
        d->IncludeBtn->click();
        x.f.desktop.fileNames = {answer.isEmpty() ? answer : x.dir.filePath(answer)};
        d->bbtOpenClick();
        QCOMPARE(texts(d->DstList), QStringList{"g2"});
        QCOMPARE(texts(d->SrcList), QStringList{"g1"});
        QVERIFY(x.f.desktop.messages.isEmpty());
    }

    void unreadableFileReportsAndStartsAfresh() {
        Fixture x;
        x.load({u"g1", u"g2"}, {});
        auto d = x.dialog();
        selectRows(d->SrcList, {1});
        d->IncludeBtn->click();
        QLocalServer socket;
        const QString path = x.dir.filePath("sock");
        QVERIFY(socket.listen(path));
        x.f.desktop.fileNames = {path};
        d->bbtOpenClick();
        QCOMPARE(x.f.desktop.messages.size(), 1);
        QCOMPARE(x.f.desktop.messages[0].kind, DesktopServices::MessageKind::Error);
        QVERIFY(x.f.desktop.messages[0].text.startsWith("Cannot open file \"" +
                                                        QDir::toNativeSeparators(path) + "\". "));
        QCOMPARE(texts(d->SrcList), (QStringList{"g1", "g2"}));
        QVERIFY(texts(d->DstList).isEmpty());
    }

    // ---- the comparisons -----------------------------------------------------

    void compareAndCheck_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("details");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("comments");
        QTest::newRow("groups") << 0 << "bbtCompare" << false << "CompareGroupsUsers"
                                << QStringList{"Zeta", "Sales"}
                                << QStringList{"about Zeta", "about Sales"};
        QTest::newRow("groups shown with comments")
            << 0 << "bbtCompare" << true << "CompareGroupsUsers" << QStringList{"Zeta", "Sales"}
            << QStringList{"about Zeta", "about Sales"};
        QTest::newRow("users, Compare") << 1 << "bbtCompare" << true << "CompareUsersGroups"
                                        << QStringList{"jdoe", "bob"} << QStringList{};
        QTest::newRow("users, Check") << 1 << "bbtUserLock" << false << "CompareUsersAttributes"
                                      << QStringList{"jdoe", "bob"} << QStringList{};
    }
    void compareAndCheck() {
        QFETCH(int, kind);
        QFETCH(QString, button);
        QFETCH(bool, details);
        QFETCH(QString, entry);
        QFETCH(QStringList, names);
        QFETCH(QStringList, comments);
        Fixture x;
        x.f.directory.addGroup(u"Sales", u"about Sales");
        x.f.directory.addGroup(u"Zeta", u"about Zeta");
        x.f.directory.addUser(u"bob");
        x.f.directory.addUser(u"jdoe", u"John Doe");
        TfrmMain& w = x.f.make();
        w.FConfig.MainDet.ShowFullName = details;
        w.FConfig.MainDet.ShowComment = details;
        x.f.load();
        auto d = x.dialog();
        chooseKind(*d, kind);
        selectRows(d->SrcList, {0, 1});
        d->IncludeBtn->click();
        const QStringList destination = texts(d->DstList);
        d->findChild<QPushButton*>(button)->click();
        QCOMPARE(x.comparisons.calls.size(), 1);
        const auto& c = x.comparisons.calls[0];
        QCOMPARE(c.entry, entry);
        QCOMPARE(c.server, QString("\\\\DC1"));
        QCOMPARE(c.names, names);
        QCOMPARE(c.comments, comments);
        // The same set can be compared again.
        QCOMPARE(texts(d->DstList), destination);
        QVERIFY(d->bbtCompare->isEnabled());
    }

    // ---- modal round trips ---------------------------------------------------

    void fromTheMainWindowsButton() {
        Fixture x;
        TfrmMain& w = x.load({u"Sales", u"Helpdesk"}, {u"bob"});
        QVERIFY(!w.bbtCompare->isEnabled());
        w.ShowAdvancedComparison = [&x](MainServices& m, const QString& server) {
            ShowAdvancedComparison(m, server, x.comparisons.entries());
        };
        w.hooksChanged();
        QVERIFY(w.bbtCompare->isEnabled());
        bool openDuringComparison = false;
        x.comparisons.during = [&] {
            openDuringComparison = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        };
        QStringList afterwards;
        WhileOpen<Dialog> act([&](Dialog& d) {
            d.IncAllBtn->click();
            d.bbtCompare->click();
            afterwards = texts(d.DstList);
            d.bbtClose->click();
        });
        w.bbtCompare->click();
        QCOMPARE(act.ran, 1);
        QVERIFY(openDuringComparison);
        QCOMPARE(x.comparisons.calls.size(), 1);
        QCOMPARE(x.comparisons.calls[0].names, (QStringList{"Helpdesk", "Sales"}));
        QCOMPARE(afterwards, (QStringList{"Helpdesk", "Sales"}));
        QVERIFY(!w.findChild<Dialog*>());
    }

    void escapeClosesTheDialog_data() {
        QTest::addColumn<QString>("focus");
        QTest::newRow("source list") << "SrcList";
        QTest::newRow("search box") << "edtSearch";
        QTest::newRow("Close button") << "bbtClose";
    }
    void escapeClosesTheDialog() {
        QFETCH(QString, focus);
        Fixture x;
        TfrmMain& w = x.load({u"Sales"}, {});
        bool closed = false;
        WhileOpen<Dialog> act([&](Dialog& d) {
            d.sbtSearch->click();
            auto* target = d.findChild<QWidget*>(focus);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            closed = !d.isVisible();
        });
        ShowAdvancedComparison(w, w.dcName(), x.comparisons.entries());
        QCOMPARE(act.ran, 1);
        QVERIFY(closed);
    }

    void notFoundDialog() {
        Fixture x;
        TfrmMain& w = x.load({}, {});
        bool stillOpenAfterEscape = false;
        QString copied;
        WhileOpen<TfrmNotFound> act([&](TfrmNotFound& n) {
            QCOMPARE(n.BitBtn1->text(), QString("&Close"));
            QCOMPARE(n.bbtCopyClipboard->text(), QString("Copy to clipboard"));
            QVERIFY(!n.memNotFound->isReadOnly());
            QCOMPARE(n.memNotFound->font(), w.chklbxUsers->font());
            QTest::keyClick(n.memNotFound, Qt::Key_Escape);
            stillOpenAfterEscape = n.isVisible();
            // What the user changed in the memo is what is copied.
            QTextCursor end = n.memNotFound->textCursor();
            end.movePosition(QTextCursor::End);
            n.memNotFound->setTextCursor(end);
            QTest::keyClick(n.memNotFound, Qt::Key_Return);
            QTest::keyClicks(n.memNotFound, "typed");
            n.bbtCopyClipboard->click();
            copied = x.f.desktop.clipboard;
            n.BitBtn1->click();
        });
        ShowNotFound(w, {F::item("zed", "Z Z"), "", "  nobody"});
        QCOMPARE(act.ran, 1);
        QVERIFY(stillOpenAfterEscape);
        QCOMPARE(copied, F::item("zed", "Z Z") + "\r\n\r\n  nobody\r\ntyped");
        QVERIFY(!w.findChild<TfrmNotFound*>());
    }
};

QTEST_MAIN(TestAdvancedComparison)
#include "tst_advcompare.moc"
