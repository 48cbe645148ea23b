#include "Startup.h"

#include "L_Dialog.h"
#include "L_Theme.h"
#include "MiniForm.h"
#include "Version.h"

#include <QScreen>

#include <exception>

using namespace Qt::StringLiterals;

const std::string VersionText = GetVersionText();

namespace {

constexpr int HighestRefusedColorDepth = 8; // 256 colours

QString ExceptionText(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return u"不明なエラーが発生しました。"_s;
    }
}

} // namespace

TOrvanixApplication::TOrvanixApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TOrvanixApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException();
        return false;
    }
}

void TOrvanixApplication::ShowCurrentException() {
    const QString text = ExceptionText(std::current_exception());
    // The box itself must not end the program either.
    try {
        ShowMsg(text, mtError);
    } catch (...) {
    }
}

int ColorDepth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 0;
}

bool IsShiftDown() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

int RunProgram(int argc, char** argv) {
    TOrvanixApplication application(argc, argv);
    QApplication::setFont(JapaneseUiFont());
    if (ColorDepth() <= HighestRefusedColorDepth) {
        ShowMsg(u"画面色をHigh Color(16ビット)以上に設定してください。"_s);
        return 0;
    }
    QGuiApplication::setApplicationDisplayName(u"Orvane (Lite版)"_s);
    QGuiApplication::setDesktopFileName(u"orvanix"_s);
    QGuiApplication::setWindowIcon(QIcon(u":/orvanix.png"_s));
    try {
        TMiniForm form;
        form.show();
        return application.exec();
    } catch (...) {
        TOrvanixApplication::ShowCurrentException();
        return 1;
    }
}
