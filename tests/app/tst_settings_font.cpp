// The stored list font in the toolkit's terms.
#include <QtTest>

#include <QGuiApplication>

#include "ListFontQt.h"

Q_DECLARE_METATYPE(tyListFont)

class TestSettingsFont : public QObject {
    Q_OBJECT

private slots:
    void toQFontAndBack_data() {
        QTest::addColumn<tyListFont>("font");
        QTest::newRow("design font") << tyListFont{};
        tyListFont styled;
        styled.Name = u"Courier New";
        styled.Size = 12;
        styled.Bold = styled.Underline = true;
        QTest::newRow("bold and underlined") << styled;
        tyListFont other;
        other.Name = u"Schrift \"Ä\"";
        other.Size = 30;
        other.Italic = other.StrikeOut = true;
        other.Color = RgbColor(1, 2, 3);
        QTest::newRow("italic, struck out, RGB") << other;
    }
    void toQFontAndBack() {
        QFETCH(tyListFont, font);
        const QFont q = ToQFont(font);
        QCOMPARE(q.family(), QString::fromStdU16String(font.Name));
        QCOMPARE(q.pointSize(), font.Size);
        QCOMPARE(q.bold(), font.Bold);
        QCOMPARE(q.italic(), font.Italic);
        QCOMPARE(q.underline(), font.Underline);
        QCOMPARE(q.strikeOut(), font.StrikeOut);
        QVERIFY(FromQFont(q, font.Color) == font);
    }

    void sizeThatIsNotPositiveGivesTheDesignSize() {
        tyListFont font;
        font.Size = -11;
        QCOMPARE(ToQFont(font).pointSize(), 8);
    }

    void pixelSizedFontIsConvertedAt96Dpi() {
        QFont q("Tahoma");
        q.setPixelSize(11);
        QCOMPARE(FromQFont(q, kColorWindowText).Size, 8);
        q.setPixelSize(16);
        QCOMPARE(FromQFont(q, kColorWindowText).Size, 12);
    }

    void colours() {
        QPalette palette;
        palette.setColor(QPalette::Active, QPalette::Text, QColor(10, 20, 30));
        palette.setColor(QPalette::Active, QPalette::Highlight, QColor(40, 50, 60));
        palette.setColor(QPalette::Disabled, QPalette::Text, QColor(70, 80, 90));
        QCOMPARE(ToQColor(kColorWindowText, palette), QColor(10, 20, 30));
        QCOMPARE(ToQColor(kSystemColorFlag | 13, palette), QColor(40, 50, 60));  // highlight
        QCOMPARE(ToQColor(kSystemColorFlag | 17, palette), QColor(70, 80, 90));  // grey text
        QCOMPARE(ToQColor(kSystemColorFlag | 200, palette), QColor(10, 20, 30));  // unknown index
        QCOMPARE(ToQColor(RgbColor(0x12, 0x34, 0x56), palette), QColor(0x12, 0x34, 0x56));
        QCOMPARE(ToQColor(0x00563412, palette), QColor(0x12, 0x34, 0x56));
        QCOMPARE(FromQColor(QColor(0x12, 0x34, 0x56)), tyColor(0x00563412));
        QCOMPARE(FromQColor(QColor::fromHsv(0, 255, 255)), RgbColor(255, 0, 0));
        QVERIFY(IsSystemColor(kColorWindowText));
        QVERIFY(!IsSystemColor(RgbColor(255, 255, 255)));
    }
};

QTEST_MAIN(TestSettingsFont)
#include "tst_settings_font.moc"
