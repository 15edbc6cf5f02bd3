#include "analysis/file_tool_commands.h"
#include "core/log_repair.h"
#include "core/shared_file_dialog.h"
#include "settings/settings.h"
#include "support/scripted_prompts.h"
#include "support/test_files.h"

#include <QFile>
#include <QTest>

using namespace tw;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(tw::MessageIcon)

namespace {

struct Rig {
    Rig() { settings.InitDir = dir.path(); }
    QString file(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        test::writeBytes(path, bytes);
        return path;
    }

    QTemporaryDir dir;
    test::ScriptedPrompts prompts;
    SharedFileDialog dialog{prompts};
    Settings settings;
};

const QString kConfirmation = u"壊れていると思われるログファイルを修正します。\r\nヘルプを読んでこ"
                              u"のコマンドの仕組みを理解し、"
                              u"ログファイルの構造を理解している上で使用してください。"_s;

} // namespace

class TestFileToolCommands : public QObject {
    Q_OBJECT

private slots:
    void repairConfirmationCancelEnds()
    {
        Rig rig;
        rig.prompts.answers.enqueue(MessageAnswer::Cancel);
        bool ran = false;
        runRepairLogCommand(rig.dialog, rig.prompts, rig.settings,
                            [&](const QString&) { return ran = true, 0; });
        QCOMPARE(rig.prompts.boxes.size(), 1);
        const auto& box = rig.prompts.boxes[0];
        QCOMPARE(box.caption, u"情報"_s);
        QCOMPARE(box.text, kConfirmation);
        QCOMPARE(box.icon, MessageIcon::Information);
        QCOMPARE(box.buttons, MessageButtons::OkCancel);
        QCOMPARE(box.defaultAnswer, MessageAnswer::Cancel);
        QVERIFY(rig.prompts.dialogs.isEmpty());
        QVERIFY(!ran);
    }

    void repairDialogCancelEndsSilently()
    {
        Rig rig;
        rig.prompts.answers.enqueue(MessageAnswer::Ok);
        runRepairLogCommand(rig.dialog, rig.prompts, rig.settings);
        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.dialogs.size(), 1);
        const FileDialogRequest& r = rig.prompts.dialogs[0].request;
        QVERIFY(!rig.prompts.dialogs[0].save);
        QCOMPARE(r.title, u"ログ修正を行いたいファイル"_s);
        QCOMPARE(r.filter, saveListFilter());
        QCOMPARE(r.filterIndex, 3);
        QCOMPARE(r.initialFolder, rig.dir.path());
        QVERIFY(r.mustExist);
    }

    void repairResultBoxes_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("text");
        QTest::addColumn<MessageIcon>("icon");
        QTest::newRow("done") << int(RepairDone) << u"終了しました。"_s << MessageIcon::Information;
        QTest::newRow("not a log")
            << int(RepairNotLogFile)
            << u"エラーです。Tallyweaverで読み込めるログファイルでは無い可能性があります。"_s
            << MessageIcon::Warning;
        QTest::newRow("empty") << int(RepairEmptyLog) << u"空のログファイルが指定されました。"_s
                               << MessageIcon::Information;
        QTest::newRow("convert failed")
            << int(RepairConvertFailed)
            << u"ログファイルの処理中に処理できないデータが見つかりました。処理は中断されました。"_s
            << MessageIcon::Warning;
        QTest::newRow("not writable")
            << kErrPathFileAccess << u"ファイルが書き込めませんでした。"_s << MessageIcon::Warning;
        QTest::newRow("bad labels")
            << kErrInvalidArgument << errorDescriptionJapanese(kErrInvalidArgument)
            << MessageIcon::Warning;
    }

    void repairResultBoxes()
    {
        QFETCH(int, result);
        QFETCH(QString, text);
        QFETCH(MessageIcon, icon);
        Rig rig;
        rig.prompts.answers.enqueue(MessageAnswer::Ok);
        rig.prompts.fileNames.enqueue(rig.file(u"access_log"_s, "x"));
        QString repaired;
        runRepairLogCommand(rig.dialog, rig.prompts, rig.settings, [&](const QString& path) {
            repaired = path;
            return result;
        });
        QCOMPARE(repaired, rig.dir.filePath(u"access_log"_s));
        QCOMPARE(rig.prompts.boxes.size(), 2);
        QCOMPARE(rig.prompts.boxes[1].caption, u"ログ修正"_s);
        QCOMPARE(rig.prompts.boxes[1].text, text);
        QCOMPARE(rig.prompts.boxes[1].icon, icon);
    }

    void repairRewritesTheChosenFile()
    {
        Rig rig;
        const QByteArray record =
            test::sjis("ブラウザ:Mozilla\tホスト:h\tIP:1\t日付時間:d\t前回頁:p\r\n");
        const QString path = rig.file(u"access_log"_s, record);
        rig.prompts.answers.enqueue(MessageAnswer::Ok);
        rig.prompts.fileNames.enqueue(path);
        runRepairLogCommand(rig.dialog, rig.prompts, rig.settings);
        QCOMPARE(rig.prompts.boxes.last().text, u"終了しました。"_s);
        QVERIFY(test::readBytes(path).startsWith("#Tallyweaver_Header\r\n" + record));
    }

    void conversion_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<bool>("converted");
        QTest::newRow("bare LF") << QByteArray("a\nb\n") << true;
        QTest::newRow("already CR LF") << QByteArray("a\r\nb\r\n") << false;
    }

    void conversion()
    {
        QFETCH(QByteArray, input);
        QFETCH(bool, converted);
        Rig rig;
        const QString source = rig.file(u"access_log"_s, input);
        const QString copy = rig.dir.filePath(u"crlf_access_log"_s);
        rig.prompts.fileNames.enqueue(source);
        runConvertLfCommand(rig.dialog, rig.prompts, rig.settings);

        const FileDialogRequest& r = rig.prompts.dialogs.at(0).request;
        QCOMPARE(r.title, u"LF(UNIX改行コード)からCRLFに変換させたいファイル"_s);
        QCOMPARE(r.filterIndex, 3);
        QCOMPARE(r.defaultExtension, u"twv"_s);
        QVERIFY(r.mustExist);
        QCOMPARE(rig.prompts.boxes.size(), 1);
        const auto& box = rig.prompts.boxes[0];
        if (converted) {
            QCOMPARE(box.caption, u"情報"_s);
            QCOMPARE(box.text, u"終了\r\n-> "_s + copy);
            QCOMPARE(box.icon, MessageIcon::Information);
        } else {
            QCOMPARE(box.caption, u"エラー"_s);
            QCOMPARE(box.text, u"失敗しました"_s);
            QCOMPARE(box.icon, MessageIcon::Warning);
        }
        QVERIFY(QFile::exists(copy));
    }

    void conversionCancelAndWriteFailure()
    {
        Rig rig;
        runConvertLfCommand(rig.dialog, rig.prompts, rig.settings);
        QVERIFY(rig.prompts.boxes.isEmpty());

        // The copy's place is taken by a folder, so the copy cannot be written.
        const QString source = rig.file(u"log"_s, "a\nb\n");
        QVERIFY(QDir(rig.dir.path()).mkdir(u"crlf_log"_s));
        rig.prompts.fileNames.enqueue(source);
        runConvertLfCommand(rig.dialog, rig.prompts, rig.settings);
        QCOMPARE(rig.prompts.boxes.size(), 1);
        QCOMPARE(rig.prompts.boxes[0].caption, u"エラー"_s);
        QCOMPARE(rig.prompts.boxes[0].text, u"ファイルが書き込めませんでした。"_s);
    }
};

QTEST_GUILESS_MAIN(TestFileToolCommands)
#include "tst_file_tool_commands.moc"
