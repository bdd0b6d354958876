// Name list files: their encodings, line ends and faults, the lines that a
// list's entries are matched by, and files that cannot be read.

#include <QtTest>

#include "NameList.h"

namespace {

QByteArray utf16(const QString& text, bool bigEndian) {
    QByteArray b;
    for (QChar c : text) {
        const char hi = char(c.unicode() >> 8);
        const char lo = char(c.unicode() & 0xFF);
        b += bigEndian ? QByteArray{&hi, 1} + QByteArray{&lo, 1}
                       : QByteArray{&lo, 1} + QByteArray{&hi, 1};
    }
    return b;
}

const QString kRene = QString::fromUtf8("René");

}  // namespace

class TestNameList : public QObject {
    Q_OBJECT

private slots:
    void decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QStringList two{kRene, "bob"};
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("utf-8 without mark")
            << (kRene + "\r\nbob").toUtf8() << two;
        QTest::newRow("utf-8 mark") << "\xEF\xBB\xBF" + (kRene + "\r\nbob\r\n").toUtf8() << two;
        QTest::newRow("utf-16 le") << "\xFF\xFE" + utf16(kRene + "\r\nbob\r\n", false) << two;
        QTest::newRow("utf-16 be") << "\xFE\xFF" + utf16(kRene + "\r\nbob", true) << two;
        QTest::newRow("utf-16 be, non-Latin")
            << "\xFE\xFF" + utf16(QString::fromUtf8("Ωmega\nЖуков"), true)
            << QStringList{QString::fromUtf8("Ωmega"), QString::fromUtf8("Жуков")};
        // Only the first mark is taken off: a second one is the first
        // line's text, which then matches nothing.
        QTest::newRow("second mark stays text")
            << "\xEF\xBB\xBF\xEF\xBB\xBF" + QByteArray("ann")
            << QStringList{QString(QChar(0xFEFF)) + "ann"};
        QTest::newRow("LF") << QByteArray("a\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("CR only") << QByteArray("a\rb\rc\r") << QStringList{"a", "b", "c"};
        QTest::newRow("mixed ends") << QByteArray("a\r\nb\rc\nd") << QStringList{"a", "b", "c", "d"};
        QTest::newRow("trailing break") << QByteArray("a\r\n") << QStringList{"a"};
        QTest::newRow("only a break") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("two breaks at the end") << QByteArray("a\n\n") << QStringList{"a", ""};
        QTest::newRow("empty line inside") << QByteArray("a\r\n\r\nb") << QStringList{"a", "", "b"};
        QTest::newRow("CR LF is one break, LF CR two")
            << QByteArray("a\n\rb") << QStringList{"a", "", "b"};
        QTest::newRow("invalid utf-8 goes on")
            << QByteArray("al\xFFice\nbob\xC3") << QStringList{QString("al") + QChar(0xFFFD) + "ice",
                                                               QString("bob") + QChar(0xFFFD)};
        QTest::newRow("odd last byte of utf-16")
            << "\xFF\xFE" + utf16("ab", false) + "x"
            << QStringList{QString("ab") + QChar(0xFFFD)};
        QTest::newRow("blanks are kept in the lines")
            << QByteArray(" ann \t\n") << QStringList{" ann \t"};
    }
    void decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(DecodeNameList(bytes), lines);
    }

    void readsAFileOfSeveralMegabytes() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("names.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const int n = 300000;
        for (int i = 0; i < n; ++i) {
            f.write(QByteArray("user") + QByteArray::number(i) + "\r\n");
        }
        f.close();
        QVERIFY(f.size() > 3 * 1000 * 1000);
        QStringList lines;
        QString error;
        QVERIFY(ReadNameList(path, lines, error));
        QCOMPARE(lines.size(), n);
        QCOMPARE(lines.last(), QString("user299999"));
        QStringList entries;
        for (int i = 0; i < 1000; ++i) {
            entries << "USER" + QString::number(i * 7);
        }
        const NameListMatch m = MatchNameList(lines, entries);
        QCOMPARE(int(m.taken.size()), 1000);
        QCOMPARE(m.taken.front(), 999);  // the last line first
        QCOMPARE(m.notFound.size(), n - 1000);
    }

    void cannotOpenNamesTheFileAndTheReason() {
        QTemporaryDir dir;
        QStringList lines{"kept"};
        QString error;
        const QString missing = dir.filePath("missing.txt");
        QVERIFY(!ReadNameList(missing, lines, error));
        QCOMPARE(error, "Cannot open file \"" + QDir::toNativeSeparators(missing) +
                            "\". No such file or directory.");
        QCOMPARE(lines, QStringList{"kept"});
    }

    void aSocketIsRefusedRatherThanOpened() {
        // A pipe or socket would block the read or never end it.
        QTemporaryDir dir;
        QLocalServer server;
        const QString path = dir.filePath("sock");
        QVERIFY(server.listen(path));
        QStringList lines;
        QString error;
        QVERIFY(!ReadNameList(path, lines, error));
        QCOMPARE(error, "Cannot open file \"" + QDir::toNativeSeparators(path) +
                            "\". It is not a regular file.");
    }

    void aReadErrorIsReported() {
        // A file that opens but fails to read: the start of this process's
        // memory, which is never mapped.
        const QString path = "/proc/self/mem";
        if (!QFileInfo(path).isFile()) {
            QSKIP("no /proc/self/mem here");
        }
        QStringList lines;
        QString error;
        QVERIFY(!ReadNameList(path, lines, error));
        QVERIFY2(error.startsWith("Cannot open file \"/proc/self/mem\". "), qPrintable(error));
        QVERIFY(error.size() > QString("Cannot open file \"/proc/self/mem\". ").size() + 1);
    }

    void trimming_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks and tabs") << " \t ann \t" << "ann";
        QTest::newRow("control characters") << QString("\x01\x1F") + "ann" + QChar(0) << "ann";
        QTest::newRow("no-break space stays")
            << QString(QChar(0xA0)) + "ann" + QChar(0xA0) << QString(QChar(0xA0)) + "ann" + QChar(0xA0);
        QTest::newRow("inner blanks stay") << " a b " << "a b";
        QTest::newRow("blank line") << "  " << "";
    }
    void trimming() {
        QFETCH(QString, line);
        QFETCH(QString, trimmed);
        QCOMPARE(TrimNameLine(line).toString(), trimmed);
    }

    void matching_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QList<int>>("taken");
        QTest::addColumn<QStringList>("notFound");
        QTest::newRow("last line takes the entry")
            << QStringList{"carol", "alice", "nobody", "Alice"} << QStringList{"alice", "carol"}
            << QList<int>{0, 1} << QStringList{"alice", "nobody"};
        QTest::newRow("untrimmed line reported as it stands")
            << QStringList{"  bob\t", " zed "} << QStringList{"bob"} << QList<int>{0}
            << QStringList{" zed "};
        QTest::newRow("bare name does not match an entry with its detail")
            << QStringList{"jdoe", QString("JDOE") + QString(3, QChar(0xA0)) + "(John Doe)"}
            << QStringList{QString("jdoe") + QString(3, QChar(0xA0)) + "(John Doe)"}
            << QList<int>{0} << QStringList{"jdoe"};
        QTest::newRow("empty line is not found") << QStringList{"a", "", "b"}
                                                 << QStringList{"a", "b"} << QList<int>{1, 0}
                                                 << QStringList{""};
        QTest::newRow("part of an entry finds nothing")
            << QStringList{"bo"} << QStringList{"bob"} << QList<int>{} << QStringList{"bo"};
        QTest::newRow("equal entries taken in list order")
            << QStringList{"x", "X"} << QStringList{"x", "X", "y"} << QList<int>{0, 1}
            << QStringList{};
        QTest::newRow("non-ASCII case ignored")
            << QStringList{QString::fromUtf8("RENÉ")} << QStringList{QString::fromUtf8("rené")}
            << QList<int>{0} << QStringList{};
    }
    void matching() {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, entries);
        QFETCH(QList<int>, taken);
        QFETCH(QStringList, notFound);
        const NameListMatch m = MatchNameList(lines, entries);
        QCOMPARE(QList<int>(m.taken.begin(), m.taken.end()), taken);
        QCOMPARE(m.notFound, notFound);
    }
};

QTEST_MAIN(TestNameList)
#include "tst_advcompare_namelist.moc"
