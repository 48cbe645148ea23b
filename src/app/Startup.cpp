#include "app/Startup.h"

#include "app/MiniForm.h"
#include "dialogs/L_Dialog.h"
#include "text/Version.h"
#include "widgets/L_Theme.h"
#include "widgets/XStringGridAccessible.h"

#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

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

// Qt's own dialogs (file dialogs, standard buttons) speak Japanese like the rest of the program.
void LoadJapaneseQtTexts(QCoreApplication& application) {
    auto* translator = new QTranslator(&application);
    if (translator->load(u"qtbase_ja"_s, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        application.installTranslator(translator);
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
    // The application's title "Orvane (Lite版)" is the desktop entry's name: given to Qt as a
    // display name it would be appended to every window caption, and as the application name it
    // would become the window class that the desktop entry matches ("orvanix").
    LoadJapaneseQtTexts(application);
    QGuiApplication::setDesktopFileName(u"orvanix"_s);
    QGuiApplication::setWindowIcon(QIcon(u":/orvanix.png"_s));
    InstallGridAccessibility();
    try {
        TMiniForm form;
        form.show();
        return application.exec();
    } catch (...) {
        TOrvanixApplication::ShowCurrentException();
        return 1;
    }
}
