#pragma once

// Helpers for the tests that drive the main window as its user does: its controls found by the
// names they were designed with (their objectName, listed in docs/DESIGN.md), typing, clicks, menu
// commands and table files opened and saved through the window's own dialogs; files on disk, the
// boxes answered from the queue, the outside programs replaced by a recorder, and TWindowTest,
// what every window test starts from. No helper sets the window's state behind its back.

#include "app/AppUtils.h"
#include "app/FeedCheckList.h"
#include "app/FileDialog.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "document/SaveDocument.h"
#include "document/TableFile.h"
#include "widgets/Cp932Text.h"
#include "widgets/L_CCmbo.h"
#include "widgets/SHBFFEX.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <algorithm>
#include <memory>
#include <string>

namespace formtest {

inline std::string Cp(const QString& text) {
    return ToCp932(text);
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The part of `widget` that its parents leave visible, in its own coordinates.
inline QRect VisiblePart(const QWidget* widget) {
    QRect visible = widget->rect();
    for (const QWidget* inner = widget; !inner->isWindow(); inner = inner->parentWidget()) {
        const QWidget* parent = inner->parentWidget();
        const QPoint offset = widget->mapTo(parent, QPoint(0, 0));
        visible &= parent->rect().translated(-offset);
    }
    return visible;
}

// The texts of the boxes answered from the queue since the last call.
inline QStringList AnsweredTexts() {
    QStringList texts;
    for (const TMsgDlgRecord& box : TMsgDlg::TakeAnsweredBoxes())
        texts << box.Text;
    return texts;
}

// The window's component called `name`. A name the window does not have is a fault of the test
// itself: the test program stops there.
template <class T = QWidget> T& Child(const QObject& form, const QString& name) {
    T* found = form.findChild<T*>(name);
    if (!found)
        qFatal("the window has no %s called %s", T::staticMetaObject.className(), qPrintable(name));
    return *found;
}

inline TPaintEdit& Field(const QObject& form, const QString& name) {
    return Child<TPaintEdit>(form, name);
}

inline TXStringGrid& GridOf(const QObject& form) {
    return Child<TXStringGrid>(form, QStringLiteral("XStringGrid"));
}

// Chooses the menu item (or toolbar command) called `action`.
inline void Trigger(const QObject& form, const QString& action) {
    Child<QAction>(form, action).trigger();
}

// Sets the items of the menu called `menu` as its opening does.
inline void OpenMenu(const QObject& form, const QString& menu) {
    emit Child<QMenu>(form, menu).aboutToShow();
}

// Turns to the page with a click on its tab.
inline void ShowPage(const QObject& form, int page) {
    QTabBar& tabs = *Child<QTabWidget>(form, QStringLiteral("PageControl")).tabBar();
    QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(page).center());
    QCOMPARE(tabs.currentIndex(), page);
}

// Clicks the feed file's extension on the channel page: 0 rdf, 1 xml.
inline void ClickExtension(const QObject& form, int index) {
    ShowPage(form, TMiniForm::pgChannel);
    QAbstractButton& button =
        *Child(form, QStringLiteral("RadioGroup_Ext")).findChildren<QAbstractButton*>().at(index);
    button.setFocus(Qt::MouseFocusReason); // as the press of the mouse gives it
    button.click();
}

inline int CurrentPage(const QObject& form) {
    return Child<QTabWidget>(form, QStringLiteral("PageControl")).currentIndex();
}

// Gives `box` the text an input method commits, which is how Japanese comes.
inline void Commit(QWidget& box, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(&box, &commit);
}

// Types `text` into `box`: keys where they spell it, else committed by the input method.
inline void Type(QWidget& box, const QString& text) {
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c < u'\x7f'; }))
        QTest::keyClicks(&box, text);
    else
        Commit(box, text);
}

// Types `text` over everything `box` holds; an empty text deletes it.
inline void Retype(QWidget& box, const QString& text) {
    QTest::keyClick(&box, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(&box, Qt::Key_Delete);
    else
        Type(box, text);
}

// Opens the table file at `path` with ファイル > 開く, the dialog answered with it. False when the
// window did not take it up.
inline bool OpenTable(TMiniForm& form, const QString& path) {
    TFileDialog::QueueAnswer(path);
    Trigger(form, QStringLiteral("R1"));
    return form.FileName() == QFile::encodeName(path).toStdString();
}

// Saves `document` as the table file at `path` with its feed, as an earlier save left them, and
// opens it so.
inline bool OpenDocument(TMiniForm& form, const QString& path, TFeedDocument document) {
    const TSaveResult saved = SaveDocumentFiles(document, QFile::encodeName(path).toStdString(),
                                                CurrentFeedTime(), "test");
    return saved.Outcome != TSaveOutcome::TableFailed && OpenTable(form, path);
}

// Saves with 上書き保存, or given a path with 名前を付けて保存 and the dialog answered with it;
// the save's report is answered with OK. The texts of the boxes answered.
inline QStringList Save(const QObject& form, const QString& path = {}) {
    if (!path.isEmpty()) TFileDialog::QueueAnswer(path);
    TMsgDlg::QueueAnswer(mrOk);
    Trigger(form, path.isEmpty() ? QStringLiteral("Save2") : QStringLiteral("Save1"));
    return AnsweredTexts();
}

// Double-clicks the line of the feed check's list whose place ("3行目", "チャンネル") and field
// are given. False when the list has no such line.
inline bool DoubleClickFinding(TFeedCheckList& list, const QString& place, const QString& field) {
    QTableWidget& table = *list.List;
    for (int line = 0; line < table.rowCount(); ++line) {
        if (table.item(line, 1)->text() != place || table.item(line, 2)->text() != field) continue;
        const QRect cell = table.visualItemRect(table.item(line, 3));
        // A widget gets a double click as press, release, then the double click itself.
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
        return true;
    }
    return false;
}

// Makes (col, row) on the items page current with its cell editor open and focused, as a click
// does. False when the editor did not get the focus.
inline bool GoToCell(TMiniForm& form, int col, int row) {
    ShowPage(form, TMiniForm::pgItems);
    TXStringGrid& grid = GridOf(form);
    grid.EndCellEdit(true);
    grid.FocusWithoutEditing();
    if (!grid.FocusCell(col, row, true)) return false;
    return QTest::qWaitFor([] {
        auto* editor = qobject_cast<TComboInplace*>(QApplication::focusWidget());
        return editor && editor->isVisible();
    });
}

// Makes `form` a new main window, shown, active and through its start-up timer, as a user finds
// it. False when it did not get there in time.
inline bool StartForm(std::unique_ptr<TMiniForm>& form) {
    form = std::make_unique<TMiniForm>();
    QSignalSpy finished(form.get(), &TMiniForm::StartupFinished);
    form->show();
    return finished.wait(5000) && QTest::qWaitForWindowActive(form.get());
}

// A message box that opens with no answer queued fails the running test at once and is answered
// with Cancel, instead of waiting for a person until the test's time runs out.
inline void FailOnUnexpectedBoxes() {
    TMsgDlg::SetUnqueuedBoxHandler([](const TMsgDlgRecord& box) {
        QTest::qFail(qPrintable(QStringLiteral("unexpected message box: ") + box.Text), __FILE__,
                     __LINE__);
        return int(mrCancel);
    });
}

// Stands in for the desktop: records every program started and every address opened, with the
// cursor shape the user saw at that moment.
struct THandOverRecorder {
    struct THandOver {
        QString program; // empty for an opened address
        QStringList arguments;
        QUrl url;
        bool busyCursor = false;
    };
    QList<THandOver> handOvers;
    bool programsStart = true;

    void Install() {
        handOvers.clear();
        programsStart = true;
        SetProgramLauncher(
            [this](const QString& program, const QStringList& arguments, const TStartFailure&) {
                handOvers.append({program, arguments, {}, IsBusy()});
                return programsStart ? QString() : QStringLiteral("not found");
            });
        SetUrlOpener([this](const QUrl& url) {
            handOvers.append({{}, {}, url, IsBusy()});
            return QString();
        });
    }

    static bool IsBusy() {
        const QCursor* cursor = QApplication::overrideCursor();
        return cursor && cursor->shape() == Qt::WaitCursor;
    }
};

// The base of a window test: each case gets a folder of its own holding the settings file, empty
// answer queues, and a failure for any message box it did not answer in advance. Call BeginCase
// from init() and EndCase from cleanup().
class TWindowTest : public QObject {
protected:
    // With `startForm`, Form() is a new main window through its start-up. False when it did not
    // get there in time.
    [[nodiscard]] bool BeginCase(bool startForm) {
        dir_ = std::make_unique<QTemporaryDir>();
        IniFileName = TempPath(QStringLiteral("orvanix.ini")).toStdString();
        FailOnUnexpectedBoxes();
        TMsgDlg::ClearQueuedAnswers();
        TMsgDlg::TakeAnsweredBoxes();
        TFileDialog::ClearQueuedAnswers();
        TSHBrowseForFolderEx::ClearQueuedAnswers();
        return !startForm || StartForm(form_);
    }

    // Fails the case when a queued answer was left unused; the window and the folder go.
    void EndCase() {
        const int unused = TMsgDlg::QueuedAnswerCount();
        TMsgDlg::ClearQueuedAnswers();
        form_.reset();
        dir_.reset();
        QCOMPARE(unused, 0);
    }

    QString TempPath(const QString& name) const { return dir_->filePath(name); }
    // Writes `document` as the table file `name` in the case's folder, without its feed; the path.
    QString WriteTable(const QString& name, const TFeedDocument& document = {}) const {
        WriteAll(TempPath(name), QByteArray::fromStdString(TableFileText(document)));
        return TempPath(name);
    }
    TMiniForm& Form() { return *form_; }
    TXStringGrid& Grid() { return GridOf(*form_); }
    template <class T = QWidget> T& Control(const QString& name) { return Child<T>(*form_, name); }

    bool GoTo(int col, int row) { return GoToCell(Form(), col, row); }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TMiniForm> form_;
};

} // namespace formtest
