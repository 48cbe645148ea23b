// The window's recovery copy: written a moment after a change, gone once nothing is unsaved, and
// offered at the next start when the editor that wrote it no longer runs.

#include "FormTestSupport.h"
#include "app/FilePaths.h"
#include "app/RecoveryKeeper.h"
#include "app/Settings.h"
#include "document/Recovery.h"
#include "document/TableFile.h"
#include "widgets/L_CCmbo.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;
using namespace formtest;

namespace {

const QString Offer = u"前回保存されなかった変更が残っています。復元しますか？\r\n\r\n「%1」"_s;

TFeedDocument LeftDocument(const std::string& fileName) {
    TFeedDocument document;
    document.Channel.Title = Cp(u"喫茶ひなた"_s);
    document.Row(3) = {Cp(u"秋の新メニュー"_s), "2005-10-01", "http://hinata.example/", ""};
    document.FileName = fileName;
    return document;
}

} // namespace

class TestRecoveryKeeper : public TWindowTest {
    Q_OBJECT

private:
    QString Folder() const { return TempPath(u"orvanix/recovery"_s); }
    QStringList CopiesOnDisk() const {
        return QDir(Folder()).entryList({u"*.recovery"_s}, QDir::Files, QDir::Name);
    }

private slots:
    void init() {
        QVERIFY(BeginCase(false));
        qputenv("XDG_STATE_HOME", dir_->path().toUtf8());
    }

    void cleanup() { EndCase(); }

    // Typing that never pauses is copied all the same, text still open in a cell included; a
    // save, 新規, the window's end, erasing the typing and undoing it remove the copy.
    void copyFollowsUnsavedChanges_data() {
        QTest::addColumn<QString>("settle"); // what ends the unsaved state
        QTest::newRow("save") << u"save"_s;
        QTest::newRow("new, not saved") << u"new"_s;
        QTest::newRow("window closed, not saved") << u"close"_s;
        QTest::newRow("typing erased") << u"erase"_s;
        QTest::newRow("undone to the saved state") << u"undo"_s;
    }

    void copyFollowsUnsavedChanges() {
        QFETCH(QString, settle);
        std::unique_ptr<TMiniForm> form;
        QVERIFY(StartForm(form));
        const QString table = TempPath(u"news.tbl"_s);
        Save(*form, table);
        const QByteArray saved = ReadAll(table);
        QTRY_VERIFY(qobject_cast<TComboInplace*>(QApplication::focusWidget()));
        // Moving around changes nothing: it starts no copy.
        QSignalSpy changes(form.get(), &TMiniForm::DocumentChanged);
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Right, Qt::Key_Up, Qt::Key_Left})
            QTest::keyClick(QApplication::focusWidget(), key);
        QCOMPARE(changes.size(), 0);
        // One key every 200 ms, far less than the copy's delay, until a copy is there.
        const QString typed = u"Opening of the new shop on the hill, with coffee and cake"_s;
        qsizetype keys = 0;
        while (CopiesOnDisk().isEmpty() && keys < typed.size()) {
            QTest::keyClick(QApplication::focusWidget(), typed[keys++].toLatin1());
            QTest::qWait(200);
        }
        QCOMPARE(CopiesOnDisk().size(), 1);
        auto& keeper = Child<TRecoveryKeeper>(*form, u"RecoveryKeeper"_s);
        keeper.WaitForDisk();

        TRecoveryCopy copied;
        QVERIFY(ReadRecoveryCopy(copied, keeper.CopyPath()));
        const QString copiedTitle = QString::fromStdString(copied.Document.Row(1).Title);
        QVERIFY(!copiedTitle.isEmpty() && typed.startsWith(copiedTitle));
        QCOMPARE(copied.Document.FileName, FileSystemPath(table));
        QCOMPARE(ReadAll(table), saved);

        if (settle == u"save") {
            Save(*form);
            QVERIFY(!form->Modified());
        } else if (settle == u"erase") {
            while (keys-- > 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backspace);
        } else if (settle == u"undo") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(form->Modified());
            Trigger(*form, u"Mn_LineUndo2"_s);
            QVERIFY(!form->Modified());
        } else {
            TMsgDlg::QueueAnswer(mrNo);
            if (settle == u"new")
                Trigger(*form, u"N2"_s);
            else
                QVERIFY(form->close());
        }
        AnsweredTexts();
        if (settle == u"close") form.reset();
        if (form) QTRY_COMPARE_WITH_TIMEOUT(CopiesOnDisk(), QStringList(), 5000);
        QCOMPARE(CopiesOnDisk(), QStringList());
        // Nothing unsaved: the delay after the last change writes nothing.
        if (form) QTest::qWait(TRecoveryKeeper::WriteDelay + 300);
        QCOMPARE(CopiesOnDisk(), QStringList());
    }

    // At start, a copy whose editor is gone is offered: はい restores it unsaved under its own
    // name, いいえ removes it, キャンセル keeps it for the next start. A copy that cannot be read
    // is reported and kept. Once one is restored, no other is offered. A restored copy's first save
    // asks before it replaces a table file that another editor saved after the copy's editor had
    // loaded it.
    void leftCopyIsOffered_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: a copy of LeftDocument
        QTest::addColumn<int>("answer");       // mrNone: not asked
        QTest::addColumn<bool>("restored");
        QTest::addColumn<int>("copiesLeft");
        QTest::addColumn<bool>("savedElsewhere"); // the table file changed after it was loaded
        QTest::addColumn<bool>("olderCopy");      // an older copy is left too
        QTest::newRow("yes") << QByteArray() << int(mrYes) << true << 1 << false << false;
        QTest::newRow("yes, an older copy left")
            << QByteArray() << int(mrYes) << true << 2 << false << true;
        QTest::newRow("yes, saved elsewhere since")
            << QByteArray() << int(mrYes) << true << 1 << true << false;
        QTest::newRow("no") << QByteArray() << int(mrNo) << false << 0 << false << false;
        QTest::newRow("cancel") << QByteArray() << int(mrCancel) << false << 1 << false << false;
        QTest::newRow("unreadable")
            << QByteArray("1.00\r\ncut short") << int(mrNone) << false << 1 << false << false;
    }

    void leftCopyIsOffered() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, answer);
        QFETCH(bool, restored);
        QFETCH(int, copiesLeft);
        QFETCH(bool, savedElsewhere);
        QFETCH(bool, olderCopy);
        const std::string table = FileSystemPath(TempPath(u"news.tbl"_s));
        const TFeedDocument left = LeftDocument(table);
        std::optional<TDiskState> loaded;
        if (savedElsewhere) {
            QVERIFY(WriteAll(ShownPath(table), QByteArray::fromStdString(TableFileText({}))));
            loaded = ReadDiskState(table);
            QVERIFY(WriteAll(ShownPath(table), "1.00\r\nsaved by another editor\r\n"));
        }
        const QByteArray onDisk = ReadAll(ShownPath(table));
        QVERIFY(QDir().mkpath(Folder()));
        if (olderCopy) {
            QFile older(Folder() + u"/editor-0-0.recovery"_s);
            QVERIFY(older.open(QIODevice::WriteOnly));
            older.write(QByteArray::fromStdString(RecoveryCopyText({LeftDocument("/old.tbl")})));
            QVERIFY(older.setFileTime(QDateTime::currentDateTime().addSecs(-3600),
                                      QFileDevice::FileModificationTime));
        }
        QVERIFY(WriteAll(
            Folder() + u"/editor-1-1.recovery"_s,
            bytes.isEmpty() ? QByteArray::fromStdString(RecoveryCopyText({left, loaded})) : bytes));
        if (answer != mrNone)
            TMsgDlg::QueueAnswer(answer);
        else
            TMsgDlg::QueueAnswer(mrOk);

        std::unique_ptr<TMiniForm> form;
        QVERIFY(StartForm(form));
        const QStringList boxes = AnsweredTexts();
        QCOMPARE(boxes.size(), 1);
        if (answer != mrNone)
            QCOMPARE(boxes[0], Offer.arg(u"news"_s));
        else
            QVERIFY(boxes[0].startsWith(u"復元用のコピーを読み込むことができません。"_s));
        QCOMPARE(form->Modified(), restored);
        QCOMPARE(form->FileName(), restored ? table : std::string());
        if (restored) {
            QCOMPARE(TableFileText(form->DocumentAsShown()), TableFileText(left));
            QCOMPARE(form->windowTitle(), u"Orvane Lite版 [*news]"_s);
        }
        if (savedElsewhere) {
            TMsgDlg::QueueAnswer(mrCancel);
            Trigger(*form, u"Save2"_s);
            QCOMPARE(
                AnsweredTexts(),
                QStringList{u"ファイルが他のプログラムで変更されています。上書きしますか？"_s});
        }
        QCOMPARE(ReadAll(ShownPath(table)), onDisk);
        QCOMPARE(CopiesOnDisk().size(), copiesLeft);
        form.reset();
        // The restored copy was this editor's own, and goes with it.
        QCOMPARE(CopiesOnDisk().size(), restored ? copiesLeft - 1 : copiesLeft);
    }

    // A copy of an editor that still runs is never offered.
    void copyOfARunningEditorIsNotOffered() {
        TRecoverySlot running;
        QVERIFY(running.Open(Folder().toStdString()));
        QVERIFY(running.Write({LeftDocument("/elsewhere/news.tbl")}));
        std::unique_ptr<TMiniForm> form;
        QVERIFY(StartForm(form));
        QCOMPARE(AnsweredTexts(), QStringList());
        QCOMPARE(CopiesOnDisk().size(), 1);
    }
};

QTEST_MAIN(TestRecoveryKeeper)
#include "test_RecoveryKeeper.moc"
