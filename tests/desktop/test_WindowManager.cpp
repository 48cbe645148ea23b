// The editor's windows under a window manager (run by with_window_manager.sh on the xcb
// platform): the placement kept across starts, the message boxes' buttons and place, and what the
// screen shows of the grid. Every wait is for a condition, with a generous timeout, since the
// machine may be busy.

#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "text/IniFile.h"
#include "widgets/L_CCmbo.h"
#include "widgets/L_Theme.h"
#include "widgets/XStringGrid.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int Patience = 20000; // ms to wait for the window manager or the window

// Runs `action` on the modal box once the window manager has framed it; a box still without a
// frame after the patience runs out gets the action all the same, so that no test hangs.
void WhenBoxIsFramed(std::function<void(QWidget*)> action) {
    // Owned by the application, so a poll whose box never came goes with it.
    auto* poll = new QTimer(qApp);
    QElapsedTimer waited;
    waited.start();
    QObject::connect(poll, &QTimer::timeout, [poll, waited, action] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) return;
        if (box->frameGeometry() == box->geometry() && !waited.hasExpired(Patience)) return;
        poll->deleteLater();
        poll->stop();
        action(box);
    });
    poll->start(20);
}

// A property of a window as the X server holds it, by xprop.
QString XProperty(const QWidget* window, const QString& name) {
    QProcess xprop;
    xprop.start(u"xprop"_s, {u"-id"_s, QString::number(window->winId()), name});
    xprop.waitForFinished(Patience);
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

// Presses keys through the X server, as a keyboard does (xdotool). The program sees them in that
// order while the test waits for what they do.
void XKeys(const QStringList& keys) {
    for (const QString& key : keys)
        QProcess::execute(u"xdotool"_s, {u"key"_s, u"--delay"_s, u"30"_s, key});
}

} // namespace

class TestWindowManager : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;

    // Shows the editor and waits until the window manager has framed it and its start-up is done.
    static bool StartEditor(TMiniForm& form) {
        QSignalSpy finished(&form, &TMiniForm::StartupFinished);
        form.show();
        return finished.wait(Patience) && QTest::qWaitForWindowExposed(&form, Patience) &&
               QTest::qWaitFor([&form] { return form.frameGeometry() != form.geometry(); },
                               Patience);
    }

    static QString StoredPlacement() {
        TIniFile ini(IniFileName);
        if (!ini.Load()) return u"unreadable"_s;
        QStringList values;
        for (const char* key : {"szWindowState", "szLeft", "szTop", "szWidth", "szHeight"})
            values << QString::number(ini.ReadInteger("Sz_MiniForm", key, -1));
        return values.join(u',');
    }

private slots:
    void initTestCase() { QApplication::setFont(JapaneseUiFont()); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        IniFileName = dir_->filePath(u"orvanix.ini"_s).toStdString();
        TMsgDlg::ClearQueuedAnswers();
    }

    void cleanup() { dir_.reset(); }

    // Closing and starting again, maximized or not, keeps the stored rectangle where it was.
    void placementSurvivesRestarts_data() {
        QTest::addColumn<bool>("startMaximized");
        QTest::addColumn<bool>("maximizeAtFirst");
        QTest::newRow("normal") << false << false;
        QTest::newRow("maximized") << true << false;
        QTest::newRow("maximized by the user") << false << true;
    }

    void placementSurvivesRestarts() {
        QFETCH(bool, startMaximized);
        QFETCH(bool, maximizeAtFirst);
        {
            TIniFile ini(IniFileName);
            ini.WriteInteger("Sz_MiniForm", "szWindowState", startMaximized ? 1 : 0);
            ini.WriteInteger("Sz_MiniForm", "szLeft", 300);
            ini.WriteInteger("Sz_MiniForm", "szTop", 100);
            ini.WriteInteger("Sz_MiniForm", "szWidth", 819);
            ini.WriteInteger("Sz_MiniForm", "szHeight", 602);
            QVERIFY(ini.Save().Ok());
        }
        const bool maximized = startMaximized || maximizeAtFirst;
        const QString stored = u"%1,300,100,819,602"_s.arg(maximized ? 1 : 0);
        for (int start = 1; start <= 3; ++start) {
            TMiniForm form;
            QVERIFY(StartEditor(form));
            if (start == 1 && maximizeAtFirst) {
                QTRY_COMPARE_WITH_TIMEOUT(form.pos(), QPoint(300, 100), Patience);
                form.showMaximized();
            }
            QTRY_COMPARE_WITH_TIMEOUT(form.isMaximized(), maximized, Patience);
            if (!maximized) QTRY_COMPARE_WITH_TIMEOUT(form.pos(), QPoint(300, 100), Patience);
            // The maximized window has been given the whole work area.
            if (maximized)
                QTRY_VERIFY_WITH_TIMEOUT(form.width() > 1000 && form.frameGeometry().y() <= 0,
                                         Patience);
            QVERIFY(form.close());
            QVERIFY2(StoredPlacement() == stored,
                     qPrintable(u"start %1 stored %2"_s.arg(start).arg(StoredPlacement())));
        }
    }

    // A message box asks the window manager for a title and a close button only, and cannot be
    // maximized.
    void boxOffersOnlyClosing() {
        QString actions, hints;
        WhenBoxIsFramed([&](QWidget* box) {
            (void)QTest::qWaitFor(
                [&] {
                    actions = XProperty(box, u"_NET_WM_ALLOWED_ACTIONS"_s);
                    return actions.contains(u"_NET_WM_ACTION_CLOSE"_s);
                },
                Patience);
            hints = XProperty(box, u"_MOTIF_WM_HINTS"_s);
            box->close();
        });
        ShowMsg(u"保存が完了しました。"_s);
        QVERIFY2(actions.contains(u"_NET_WM_ACTION_CLOSE"_s), qPrintable(actions));
        QVERIFY2(!actions.contains(u"_NET_WM_ACTION_MAXIMIZE"_s), qPrintable(actions));
        // "flags, functions, decorations, ...": functions and decorations are given, without
        // "all" (bit 0), and name neither minimise nor maximise.
        const QStringList fields = hints.section(u'=', 1).split(u',');
        QVERIFY2(fields.size() >= 3, qPrintable(hints));
        const auto field = [&fields](int i) { return fields[i].trimmed().toUInt(nullptr, 16); };
        constexpr unsigned All = 0x01, MinimizeFunction = 0x08, MaximizeFunction = 0x10;
        constexpr unsigned MinimizeButton = 0x20, MaximizeButton = 0x40;
        QCOMPARE(field(0) & 0x3, 0x3u);
        QCOMPARE(field(1) & (All | MinimizeFunction | MaximizeFunction), 0u);
        QCOMPARE(field(2) & (All | MinimizeButton | MaximizeButton), 0u);
    }

    // A box with a long line is centred over the window like a short one.
    void longBoxIsCentredOverTheWindow_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("short") << u"これ以上の挿入は行えません。"_s;
        QTest::newRow("long path")
            << u"テーブルファイルとRSSファイルの保存が完了しました。\r\n\r\nRSSファイルの名前 : "_s +
                   u"/home/hinata/ウェブサイト/公開用/お知らせ/2026年/12月/"_s.repeated(2) +
                   u"news.rdf"_s;
    }

    void longBoxIsCentredOverTheWindow() {
        QFETCH(QString, text);
        TMiniForm form;
        QVERIFY(StartEditor(form));
        // A message often follows a dialog that has just closed, as the save report follows the
        // save dialog, before the window manager has given the window back its activation.
        QDialog before(&form);
        WhenBoxIsFramed([](QWidget* dialog) { dialog->close(); });
        before.exec();
        QPoint offset;
        WhenBoxIsFramed([&](QWidget* box) {
            // The box may still be moved to its final place once its size is known, which a busy
            // machine may take its time over.
            (void)QTest::qWaitFor(
                [&] {
                    offset = box->frameGeometry().center() - form.frameGeometry().center();
                    return offset.manhattanLength() <= 24;
                },
                Patience);
            box->close();
        });
        ShowMsg(text);
        QVERIFY2(offset.manhattanLength() <= 24,
                 qPrintable(u"off centre by %1,%2"_s.arg(offset.x()).arg(offset.y())));
    }

    // After 新規 from the keyboard the screen shows no editor of the old current cell.
    void newLeavesNoEditorOnScreen() {
        TMiniForm form;
        QVERIFY(StartEditor(form));
        TXStringGrid& grid = *form.findChild<TXStringGrid*>(u"XStringGrid"_s);
        QVERIFY(grid.FocusCell(1, 24, true));
        QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<TComboInplace*>(QApplication::focusWidget()),
                                 Patience);
        QTRY_VERIFY_WITH_TIMEOUT(QGuiApplication::focusWindow() == form.windowHandle(), Patience);
        XKeys({u"2"_s, u"0"_s, u"slash"_s, u"1"_s});
        const auto* editor = qobject_cast<TComboInplace*>(QApplication::focusWidget());
        QTRY_COMPARE_WITH_TIMEOUT(editor->text(), u"20/1"_s, Patience);
        const QRect oldCell = grid.CellRect(1, 24);
        // The edit is committed, so 新規 asks first: the user answers the real box.
        XKeys({u"alt+f"_s});
        QTRY_VERIFY_WITH_TIMEOUT(form.findChild<QMenu*>(u"File1"_s)->isVisible(), Patience);
        WhenBoxIsFramed([](QWidget* box) {
            const QPointer<QWidget> open(box);
            XKeys({u"Return"_s});
            // Under load the key may reach the box before it has the focus: press again, and
            // close the box (Cancel) rather than wait for ever.
            if (!QTest::qWaitFor([&open] { return !open || !open->isVisible(); }, 2000))
                XKeys({u"Return"_s});
            if (!QTest::qWaitFor([&open] { return !open || !open->isVisible(); }, Patience) && open)
                open->close();
        });
        XKeys({u"n"_s});
        QTRY_COMPARE_WITH_TIMEOUT(grid.Row(), 1, Patience);
        // What the X server shows of the old cell matches what the grid paints there.
        const QRect onScreen(grid.viewport()->mapToGlobal(oldCell.topLeft()), oldCell.size());
        QImage shown, painted;
        const bool same = QTest::qWaitFor(
            [&] {
                shown = form.screen()
                            ->grabWindow(0, onScreen.x(), onScreen.y(), onScreen.width(),
                                         onScreen.height())
                            .toImage()
                            .convertToFormat(QImage::Format_RGB32);
                painted =
                    grid.viewport()->grab(oldCell).toImage().convertToFormat(QImage::Format_RGB32);
                shown.setDevicePixelRatio(1);
                painted.setDevicePixelRatio(1);
                return shown == painted;
            },
            Patience);
        if (!same) {
            shown.save(dir_->filePath(u"shown.png"_s));
            painted.save(dir_->filePath(u"painted.png"_s));
        }
        QVERIFY(same);
    }
};

QTEST_MAIN(TestWindowManager)
#include "test_WindowManager.moc"
