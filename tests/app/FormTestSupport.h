#pragma once

// Helpers for the tests that drive the main window's commands: files on disk, the boxes answered
// from the queue, the outside programs replaced by a recorder, and TWindowTest, what every window
// test starts from.

#include "app/AppUtils.h"
#include "app/FileDialog.h"
#include "app/L_Sizeing.h"
#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "widgets/Cp932Text.h"
#include "widgets/SHBFFEX.h"

#include <QApplication>
#include <QCursor>
#include <QFile>
#include <QSignalSpy>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

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
    TMiniForm& Form() { return *form_; }
    TXStringGrid& Grid() { return *form_->XStringGrid; }

    // Makes (col, row) on the items page current with its cell editor open and focused, as a
    // click does.
    bool GoTo(int col, int row) {
        Form().PageControl->setCurrentIndex(TMiniForm::pgItems);
        Grid().EndCellEdit(true);
        Grid().FocusWithoutEditing();
        if (!Grid().FocusCell(col, row, true)) return false;
        return QTest::qWaitFor([] {
            auto* editor = qobject_cast<TComboInplace*>(QApplication::focusWidget());
            return editor && editor->isVisible();
        });
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<TMiniForm> form_;
};

} // namespace formtest
