// A comparison table as a CSV file: the quoting of each cell, the bytes of
// a whole file, and a file that cannot be written.

#include <QtTest>

#include "CompareCsv.h"
#include "DirectoryAccounts.h"
#include "FakeDirectory.h"
#include "Queries.h"
#include "TestSupport.h"

namespace {

tyCompareTable table(const QList<QStringList>& rows) {
    tyCompareTable t;
    t.SetSize(int(rows.first().size()), int(rows.size()));
    for (int r = 0; r < t.RowCount; ++r) {
        for (int c = 0; c < t.ColCount; ++c) {
            t.SetCell(c, r, rows[r][c]);
        }
    }
    return t;
}

// The file as its definition reads: the fields of the cells joined by
// commas, CR LF after every row.
QByteArray reference(const tyCompareTable& t) {
    QString text;
    for (int r = 0; r < t.RowCount; ++r) {
        QStringList fields;
        for (int c = 0; c < t.ColCount; ++c) {
            fields << CsvField(t.Cells(c, r));
        }
        text += fields.join(u',') + "\r\n";
    }
    return "\xEF\xBB\xBF" + text.toUtf8();
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

class TestCompareCsv : public QObject {
    Q_OBJECT

private slots:
    void field_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("written");
        QTest::newRow("plain") << "alice"
                               << "alice";
        QTest::newRow("mark") << "X"
                              << "X";
        QTest::newRow("blanks stay") << " a b "
                                     << " a b ";
        QTest::newRow("empty") << ""
                               << "\"\"";
        QTest::newRow("comma") << "Sales, north"
                               << "\"Sales, north\"";
        QTest::newRow("double quote") << "John \"JJ\" Doe"
                                      << "\"John \"\"JJ\"\" Doe\"";
        QTest::newRow("only a double quote") << "\""
                                             << "\"\"\"\"";
        QTest::newRow("comma and double quotes") << "Buyers, \"North\""
                                                 << "\"Buyers, \"\"North\"\"\"";
        // CR LF inside a field becomes the spreadsheet's line break...
        QTest::newRow("CR LF") << "line 1\r\nline 2"
                               << "\"line 1\x0Bline 2\"";
        QTest::newRow("CR LF and comma") << "a,\r\nb"
                                         << "\"a,\x0B"
                                            "b\"";
        // ... except in a field already enclosed for its double quote, where
        // it only loses the CR.
        QTest::newRow("CR LF and double quote") << "say \"hi\"\r\nnow"
                                                << "\"say \"\"hi\"\"\nnow\"";
        QTest::newRow("CR alone") << "a\rb"
                                  << "\"a\rb\"";
        // A bare LF would end the line for every reader: enclosed.
        QTest::newRow("LF alone") << "a\nb"
                                  << "\"a\nb\"";
        QTest::newRow("non-ASCII") << "Zoë Okafor"
                                   << "Zoë Okafor";
    }
    void field() {
        QFETCH(QString, text);
        QFETCH(QString, written);
        QCOMPARE(CsvField(text), written);
    }

    // The groups' users example with only the group comments on, as the
    // window saves it.
    void exampleFileByteForByte() {
        FakeDirectory d;
        d.addUser(u"bob", u"Bob Builder");
        d.addUser(u"alice", u"Alice Smith");
        d.addUser(u"carol", u"Carol King");
        d.addGroup(u"Sales", u"Sales team", {u"bob", u"alice"});
        d.addGroup(u"Admins", u"", {u"Alice", u"carol"});
        RecordingReporter reporter;
        DirectoryQueries queries(d, reporter);
        tyConfig config;
        SetDefaultConfigValues(config, 45000);
        config.CompDet = {false, true};
        DirectoryAccounts a(queries, config);
        a.Load();
        const tyCompareTable t =
            BuildGroupsUsers(a, "\\\\DC1", {{u"Sales", u"Sales team"}, {u"Admins", u""}});
        QCOMPARE(CompareTableCsv(t), QByteArray("\xEF\xBB\xBF"
                                                "\"\",\"\",alice,bob,carol\r\n"
                                                "Sales,Sales team,X,X,\"\"\r\n"
                                                "Admins,\"\",X,\"\",X\r\n"));
    }

    void cellsAreQuotedInTheFile() {
        const tyCompareTable t =
            table({{"", "Sales, north", "Zoë \"Z\" Okafor"}, {"two\r\nlines", "X", ""}});
        QCOMPARE(CompareTableCsv(t),
                 QByteArray("\xEF\xBB\xBF") +
                     QString("\"\",\"Sales, north\",\"Zoë \"\"Z\"\" Okafor\"\r\n"
                             "\"two\x0Blines\",X,\"\"\r\n")
                         .toUtf8());
    }

    // Every field goes out whole whatever its length and wherever the
    // writer's buffer fills: rows wider than the buffer, fields of 16 bytes
    // and more ending a row, a field longer than the buffer, a cell set
    // twice, no columns at all.
    void largeTablesAsTheDefinitionReads_data() {
        QTest::addColumn<int>("cols");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("longEvery");
        QTest::newRow("no columns") << 0 << 3 << 0;
        QTest::newRow("one cell") << 1 << 1 << 1;
        QTest::newRow("wide rows, long fields") << 70000 << 4 << 7;
        QTest::newRow("a field longer than the buffer") << 3 << 2 << -1;
    }
    void largeTablesAsTheDefinitionReads() {
        QFETCH(int, cols);
        QFETCH(int, rows);
        QFETCH(int, longEvery);
        tyCompareTable t;
        t.SetSize(cols, rows);
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                QString text;
                if (longEvery < 0) {
                    text = c == cols - 1 ? QString(2 << 20, u'w') : QStringLiteral("short");
                } else if (longEvery > 0 && c % longEvery == 0) {
                    text = QStringLiteral("a name that is long, %1 \"%2\"").arg(c).arg(r);
                } else if ((c + r) % 3 == 0) {
                    text = kMembershipMark;
                }
                t.SetCell(c, r, QStringLiteral("first"));
                t.SetCell(c, r, text);
            }
        }
        const QByteArray expected = reference(t);
        QCOMPARE(CompareTableCsv(t), expected);
        QTemporaryDir dir;
        QString error;
        QVERIFY2(WriteCompareCsv(t, dir.filePath("t.csv"), error), qPrintable(error));
        QCOMPARE(readAll(dir.filePath("t.csv")), expected);
    }

    void writeReplacesAnExistingFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("out.csv");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'z'));
        }
        const tyCompareTable t = table({{"a", "b"}});
        QString error;
        QVERIFY2(WriteCompareCsv(t, path, error), qPrintable(error));
        QCOMPARE(readAll(path), CompareTableCsv(t));
        // A name without an extension is used as typed.
        QVERIFY(WriteCompareCsv(t, dir.filePath("plain"), error));
        QVERIFY(QFile::exists(dir.filePath("plain")));
    }

    void writeFailures_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << "no such folder/out.csv";
        QTest::newRow("a folder by that name") << "taken";
    }
    // The message names the file and gives the system's reason; nothing is
    // left behind, and what was there stays as it was.
    void writeFailures() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("taken"));
        {
            QFile keep(dir.filePath("taken/keep"));
            QVERIFY(keep.open(QIODevice::WriteOnly));
            keep.write("kept");
        }
        const QString path = dir.filePath(name);
        QString error;
        QVERIFY(!WriteCompareCsv(table({{"a"}}), path, error));
        QVERIFY2(error.startsWith("Cannot create file \"" + path + "\". "), qPrintable(error));
        QVERIFY2(error.size() > QString("Cannot create file \"" + path + "\". ").size(),
                 qPrintable(error));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"taken"});
        QCOMPARE(QDir(dir.filePath("taken")).entryList(QDir::Files), QStringList{"keep"});
    }
};

QTEST_GUILESS_MAIN(TestCompareCsv)
#include "tst_compare_csv.moc"
