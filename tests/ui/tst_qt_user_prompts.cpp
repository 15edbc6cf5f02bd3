#include "ui/list_font_dialog.h"
#include "ui/qt_translations.h"
#include "ui/qt_user_prompts.h"
#include "ui/twips.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tw;

namespace {

void createFiles(const QTemporaryDir& dir, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
}

FileDialogRequest openRequest(const QString& folder)
{
    FileDialogRequest request;
    request.title = QStringLiteral("リストを開く");
    request.filter = QStringLiteral("すべてのファイル(*.*)|*.*");
    request.initialFolder = folder;
    request.mustExist = true;
    return request;
}

// Types text as the file name into the file dialog that opens next and presses Enter.
void typeInNextFileDialog(const QString& text)
{
    QTimer::singleShot(0, qApp, [text] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->setText(text);
        QTest::keyClick(name, Qt::Key_Return);
    });
}

} // namespace

class TestQtUserPrompts : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void nameFilters();
    void messageBoxes_data();
    void messageBoxes();
    void qtTextsAreJapanese();
    void openDialogTakesTypedNameAsItIs_data();
    void openDialogTakesTypedNameAsItIs();
    void openDialogTakesSeveralFilesInTheirOrder();
    void windowsColors_data();
    void windowsColors();
    void fontDialogKeepsInitialFont();
    void twipsAtLogicalDpi();
};

void TestQtUserPrompts::initTestCase()
{
    // As the program runs.
    QVERIFY(installQtJapanese(*qApp));
}

void TestQtUserPrompts::nameFilters()
{
    const QStringList filters = qtNameFilters(
        QStringLiteral("すべてのファイル(*.*)|*.*|アクセスログ(access_log*)|access_log*|"
                       "テキスト(*.txt;*.log)|*.txt;*.log|odd"));
    QCOMPARE(filters, (QStringList{QStringLiteral("すべてのファイル(*.*) (*)"),
                                   QStringLiteral("アクセスログ(access_log*) (access_log*)"),
                                   QStringLiteral("テキスト(*.txt;*.log) (*.txt *.log)")}));
}

void TestQtUserPrompts::messageBoxes_data()
{
    QTest::addColumn<MessageButtons>("buttons");
    QTest::addColumn<MessageAnswer>("defaultAnswer");
    QTest::addColumn<int>("key");
    QTest::addColumn<MessageAnswer>("expected");
    QTest::newRow("ok, enter") << MessageButtons::Ok << MessageAnswer::Ok << int(Qt::Key_Return)
                               << MessageAnswer::Ok;
    QTest::newRow("yes/no, enter takes the default No")
        << MessageButtons::YesNo << MessageAnswer::No << int(Qt::Key_Return) << MessageAnswer::No;
    QTest::newRow("yes/no, enter with Yes default")
        << MessageButtons::YesNo << MessageAnswer::Yes << int(Qt::Key_Return) << MessageAnswer::Yes;
    QTest::newRow("yes/no, escape")
        << MessageButtons::YesNo << MessageAnswer::Yes << int(Qt::Key_Escape) << MessageAnswer::No;
    QTest::newRow("ok/cancel, enter takes the default Cancel")
        << MessageButtons::OkCancel << MessageAnswer::Cancel << int(Qt::Key_Return)
        << MessageAnswer::Cancel;
}

void TestQtUserPrompts::messageBoxes()
{
    QFETCH(MessageButtons, buttons);
    QFETCH(MessageAnswer, defaultAnswer);
    QFETCH(int, key);
    QFETCH(MessageAnswer, expected);
    QtUserPrompts prompts;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        QTest::keyClick(box, Qt::Key(key));
    });
    const MessageAnswer answer =
        prompts.message(QStringLiteral("エラー"), QStringLiteral("一行目\r\n二行目"),
                        MessageIcon::Warning, buttons, defaultAnswer);
    QCOMPARE(answer, expected);
    QCOMPARE(title, QStringLiteral("エラー"));
    QCOMPARE(text, QStringLiteral("一行目\n二行目"));
    QCOMPARE(icon, QMessageBox::Warning);
}

void TestQtUserPrompts::qtTextsAreJapanese()
{
    QtUserPrompts prompts;
    QStringList buttons;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* b : box->buttons())
            buttons.append(b->text());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    prompts.message(QStringLiteral("確認"), QStringLiteral("続けますか？"), MessageIcon::Question,
                    MessageButtons::YesNo, MessageAnswer::No);
    buttons.sort();
    QCOMPARE(buttons, (QStringList{QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}));
}

void TestQtUserPrompts::openDialogTakesTypedNameAsItIs_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("log without extension")
        << QStringLiteral("access_log") << QStringLiteral("access_log");
    QTest::newRow("extension added when missing")
        << QStringLiteral("list") << QStringLiteral("list.twv");
    QTest::newRow("extension typed") << QStringLiteral("list.twv") << QStringLiteral("list.twv");
}

void TestQtUserPrompts::openDialogTakesTypedNameAsItIs()
{
    QFETCH(QString, typed);
    QFETCH(QString, chosen);
    QTemporaryDir dir;
    // Before the fix the extension was added to access_log too, which opened the other file.
    createFiles(dir, {"access_log", "access_log.twv", "list.twv"});
    FileDialogRequest request = openRequest(dir.path());
    request.defaultExtension = QStringLiteral("twv");
    typeInNextFileDialog(typed);
    QtUserPrompts prompts;
    QCOMPARE(prompts.openFileName(request), dir.filePath(chosen));
}

void TestQtUserPrompts::openDialogTakesSeveralFilesInTheirOrder()
{
    QTemporaryDir dir;
    createFiles(dir, {"a.log", "b.log", "c.log"});
    typeInNextFileDialog(QStringLiteral("\"c.log\" \"a.log\""));
    QtUserPrompts prompts;
    QCOMPARE(prompts.openFileNames(openRequest(dir.path())),
             (QStringList{dir.filePath(QStringLiteral("c.log")),
                          dir.filePath(QStringLiteral("a.log"))}));
}

void TestQtUserPrompts::windowsColors_data()
{
    QTest::addColumn<qint32>("value");
    QTest::addColumn<QColor>("color");
    QTest::newRow("black") << 0 << QColor(0, 0, 0);
    QTest::newRow("red") << 255 << QColor(255, 0, 0);
    QTest::newRow("green") << 256 * 128 << QColor(0, 128, 0);
    QTest::newRow("blue") << 65536 * 200 << QColor(0, 0, 200);
    QTest::newRow("mixed") << (10 + 256 * 20 + 65536 * 30) << QColor(10, 20, 30);
}

void TestQtUserPrompts::windowsColors()
{
    QFETCH(qint32, value);
    QFETCH(QColor, color);
    QCOMPARE(colorOf(value), color);
    QCOMPARE(windowsColorOf(color), value);
}

void TestQtUserPrompts::fontDialogKeepsInitialFont()
{
    ListFont initial;
    initial.name = QStringLiteral("Noto Sans CJK JP");
    initial.size = 12;
    initial.bold = 1;
    initial.underline = 1;
    initial.color = 255;
    ListFontDialog dialog(initial);
    const ListFont chosen = dialog.chosen();
    QCOMPARE(chosen.size, 12);
    QCOMPARE(chosen.bold, 1);
    QCOMPARE(chosen.italic, 0);
    QCOMPARE(chosen.underline, 1);
    QCOMPARE(chosen.color, 255);
    QCOMPARE(chosen.pointSizeF, 12.0);
}

void TestQtUserPrompts::twipsAtLogicalDpi()
{
    QWidget w;
    const int dpi = w.logicalDpiX();
    QCOMPARE(twipsToPixelsX(&w, 1440), dpi);
    QCOMPARE(twipsToPixelsX(&w, 0), 0);
    QCOMPARE(pixelsToTwipsX(&w, dpi), 1440.0);
    QCOMPARE(twipsToPixelsY(&w, 720), w.logicalDpiY() / 2);
}

QTEST_MAIN(TestQtUserPrompts)
#include "tst_qt_user_prompts.moc"
