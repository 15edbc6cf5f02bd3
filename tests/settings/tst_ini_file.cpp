#include "settings/ini_file.h"
#include "settings/ini_numbers.h"
#include "support/test_files.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tw;
using tw::test::readBytes;
using tw::test::sjis;
using tw::test::writeBytes;

class TestIniFile : public QObject {
    Q_OBJECT

private slots:
    void missingFileSectionOrKeyReadEmpty();
    void namesCompareCaseInsensitively();
    void readLimit_data();
    void readLimit();
    void valuesAreNotTrimmed();
    void keysBeforeFirstSectionAreComments();
    void writeKeepsCommentsAndOtherKeys();
    void writeCreatesFile();
    void lineBreaksInValuesBecomeBlanks();
    void undecodableBytesSurviveWrite();
    void wholeNumbers_data();
    void wholeNumbers();
    void truthValues_data();
    void truthValues();
    void singleText_data();
    void singleText();

private:
    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
};

void TestIniFile::missingFileSectionOrKeyReadEmpty()
{
    const QString file = path(u"missing.ini"_s);
    QCOMPARE(readIniValue(u"PREF"_s, u"A"_s, 255, file), QString());
    QVERIFY(writeBytes(file, "[PREF]\r\nA=1\r\n"));
    QCOMPARE(readIniValue(u"PREF"_s, u"A"_s, 255, file), u"1"_s);
    QCOMPARE(readIniValue(u"PREF"_s, u"B"_s, 255, file), QString());
    QCOMPARE(readIniValue(u"OTHER"_s, u"A"_s, 255, file), QString());
}

void TestIniFile::namesCompareCaseInsensitively()
{
    const QString file = path(u"case.ini"_s);
    QVERIFY(writeBytes(file, "[Pref]\r\nStatusValues=11\r\n"));
    QCOMPARE(readIniValue(u"PREF"_s, u"statusvalues"_s, 12, file), u"11"_s);
    QVERIFY(writeIniValue(u"pref"_s, u"STATUSVALUES"_s, u"3"_s, file));
    QCOMPARE(readBytes(file), QByteArray("[Pref]\r\nSTATUSVALUES=3\r\n"));
}

void TestIniFile::readLimit_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");

    QTest::newRow("fits") << QByteArray("abc") << 4 << u"abc"_s;
    QTest::newRow("cut ascii") << QByteArray("abcdef") << 4 << u"abc"_s;
    QTest::newRow("size 1 keeps nothing") << QByteArray("abc") << 1 << QString();
    // Three bytes allowed: the second double-byte character would need bytes 3 and 4.
    QTest::newRow("no half character") << sjis("アイウ") << 4 << u"ア"_s;
    QTest::newRow("double byte fits") << sjis("アイウ") << 5 << u"アイ"_s;
    QTest::newRow("single byte kana") << sjis("ｱｲｳｴ") << 4 << u"ｱｲｳ"_s;
    QTest::newRow("5C trail byte") << sjis("表示") << 3 << u"表"_s;
    // "ＭＳ Ｐゴシック" is exactly 15 bytes.
    QTest::newRow("fifteen byte name") << sjis("ＭＳ Ｐゴシック") << 16 << u"ＭＳ Ｐゴシック"_s;
    QTest::newRow("nul ends value") << QByteArray("ab\0cd", 5) << 255 << u"ab"_s;
}

void TestIniFile::readLimit()
{
    QFETCH(QByteArray, stored);
    QFETCH(int, size);
    QFETCH(QString, expected);
    const QString file = path(u"limit.ini"_s);
    QVERIFY(writeBytes(file, "[S]\r\nK=" + stored + "\r\n"));
    QCOMPARE(readIniValue(u"S"_s, u"K"_s, size, file), expected);
}

void TestIniFile::valuesAreNotTrimmed()
{
    const QString file = path(u"spaces.ini"_s);
    QVERIFY(writeIniValue(u"S"_s, u"K"_s, u"  two  "_s, file));
    QCOMPARE(readIniValue(u"S"_s, u"K"_s, 255, file), u"  two  "_s);
    // Blanks around a name do not matter.
    QVERIFY(writeBytes(file, " [ S ] \r\n K =v\r\n"));
    QCOMPARE(readIniValue(u"S"_s, u"K"_s, 255, file), u"v"_s);
}

void TestIniFile::keysBeforeFirstSectionAreComments()
{
    IniDocument doc;
    doc.setBytes("K=top\r\n[S]\r\n;K=comment\r\nK=real\r\n[T]\r\nK=other\r\n");
    QCOMPARE(doc.value(u"S", u"K"), u"real"_s);
    QCOMPARE(doc.value(u"T", u"K"), u"other"_s);
    QVERIFY(!doc.contains(u"S", u"L"));
}

void TestIniFile::writeKeepsCommentsAndOtherKeys()
{
    const QString file = path(u"keep.ini"_s);
    const QByteArray before = sjis("'-----\r\n'  コメント\r\n\r\n[A]\r\nx=1\r\n; note\r\n\r\n"
                                   "[B]\r\ny=2\r\n");
    QVERIFY(writeBytes(file, before));
    QVERIFY(writeIniValue(u"A"_s, u"x"_s, u"10"_s, file));
    QVERIFY(writeIniValue(u"A"_s, u"new"_s, u"n"_s, file));
    QVERIFY(writeIniValue(u"B"_s, u"y"_s, u"20"_s, file));
    QVERIFY(writeIniValue(u"C"_s, u"z"_s, u"設定"_s, file));
    QCOMPARE(readBytes(file),
             sjis("'-----\r\n'  コメント\r\n\r\n[A]\r\nx=10\r\n; note\r\nnew=n\r\n\r\n"
                  "[B]\r\ny=20\r\n\r\n[C]\r\nz=設定\r\n"));
}

void TestIniFile::writeCreatesFile()
{
    const QString file = path(u"created.ini"_s);
    QVERIFY(writeIniValue(u"PREF"_s, u"A"_s, u"1"_s, file));
    QVERIFY(writeIniValue(u"PREF"_s, u"B"_s, QString(), file));
    QCOMPARE(readBytes(file), QByteArray("[PREF]\r\nA=1\r\nB=\r\n"));
    // A folder that cannot hold the file.
    QVERIFY(!writeIniValue(u"PREF"_s, u"A"_s, u"1"_s, file + u"/sub.ini"_s));
}

void TestIniFile::lineBreaksInValuesBecomeBlanks()
{
    const QString file = path(u"breaks.ini"_s);
    QVERIFY(writeIniValue(u"S"_s, u"K"_s, u"a\r\nb\nc"_s, file));
    QVERIFY(writeIniValue(u"S"_s, u"L"_s, u"after"_s, file));
    QCOMPARE(readIniValue(u"S"_s, u"K"_s, 255, file), u"a  b c"_s);
    QCOMPARE(readIniValue(u"S"_s, u"L"_s, 255, file), u"after"_s);
}

void TestIniFile::undecodableBytesSurviveWrite()
{
    const QString file = path(u"raw.ini"_s);
    // A lone lead byte, a bare LF line end and no line end at the very end.
    QVERIFY(writeBytes(file, "[S]\nraw=\x81\xff\x80\nK=1"));
    QVERIFY(writeIniValue(u"S"_s, u"K"_s, u"2"_s, file));
    QCOMPARE(readBytes(file), QByteArray("[S]\r\nraw=\x81\xff\x80\r\nK=2\r\n"));
    IniDocument doc;
    QCOMPARE(doc.load(file), IniDocument::LoadResult::Loaded);
    doc.setValue(u"S", u"copy", doc.value(u"S", u"raw"));
    QVERIFY(doc.bytes().contains("copy=\x81\xff\x80\r\n"));
}

void TestIniFile::wholeNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("value");

    QTest::newRow("plain") << u"123"_s << false << true << 123;
    QTest::newRow("negative") << u"-32768"_s << false << true << -32768;
    QTest::newRow("max 16") << u"32767"_s << false << true << 32767;
    QTest::newRow("over 16") << u"40000"_s << false << false << 0;
    QTest::newRow("rounds over 16") << u"32767.5"_s << false << false << 0;
    QTest::newRow("wide") << u"40000"_s << true << true << 40000;
    QTest::newRow("tie to even down") << u"10.5"_s << false << true << 10;
    QTest::newRow("tie to even up") << u"11.5"_s << false << true << 12;
    QTest::newRow("negative tie") << u"-2.5"_s << false << true << -2;
    QTest::newRow("fraction") << u"1234.6"_s << true << true << 1235;
    QTest::newRow("blanks") << u" 7 "_s << false << true << 7;
    QTest::newRow("exponent") << u"1.5E+03"_s << true << true << 1500;
    QTest::newRow("empty") << QString() << false << false << 0;
    QTest::newRow("letters") << u"abc"_s << false << false << 0;
    QTest::newRow("trailing letters") << u"12px"_s << true << false << 0;
    QTest::newRow("group separator") << u"1,234"_s << true << false << 0;
    QTest::newRow("lone dot") << u"."_s << true << false << 0;
    QTest::newRow("infinite") << u"1e999"_s << true << false << 0;
    QTest::newRow("over 32") << u"2147483648"_s << true << false << 0;
    QTest::newRow("min 32") << u"-2147483648"_s << true << true << int(-2147483647 - 1);
}

void TestIniFile::wholeNumbers()
{
    QFETCH(QString, text);
    QFETCH(bool, wide);
    QFETCH(bool, ok);
    QFETCH(int, value);
    const std::optional<qint32> result = wide ? toInt32(text) : toInt16(text);
    QCOMPARE(result.has_value(), ok);
    if (ok)
        QCOMPARE(*result, value);
}

void TestIniFile::truthValues_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("expected"); // -1 no conversion

    QTest::newRow("True") << u"True"_s << 1;
    QTest::newRow("False") << u"False"_s << 0;
    QTest::newRow("lower case") << u"true"_s << 1;
    QTest::newRow("zero") << u"0"_s << 0;
    QTest::newRow("minus one") << u"-1"_s << 1;
    QTest::newRow("empty") << QString() << -1;
    QTest::newRow("word") << u"Yes"_s << -1;
}

void TestIniFile::truthValues()
{
    QFETCH(QString, text);
    QFETCH(int, expected);
    const std::optional<bool> result = toTruthValue(text);
    QCOMPARE(result.has_value(), expected >= 0);
    if (result)
        QCOMPARE(int(*result), expected);
}

void TestIniFile::singleText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("whole") << 9600.0 << u"9600"_s;
    QTest::newRow("fraction") << 1234.5 << u"1234.5"_s;
    QTest::newRow("single precision") << 1234.1 << u"1234.1"_s;
    QTest::newRow("negative") << -15.25 << u"-15.25"_s;
    QTest::newRow("zero") << 0.0 << u"0"_s;
}

void TestIniFile::singleText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(tw::singleText(value), text);
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_ini_file.moc"
