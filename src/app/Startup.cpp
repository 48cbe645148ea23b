#include "app/Startup.h"

#include "app/MiniForm.h"
#include "app/UserPlaces.h"
#include "dialogs/L_Dialog.h"
#include "text/Version.h"
#include "widgets/L_Theme.h"
#include "widgets/XComboEditAccessible.h"
#include "widgets/XStringGridAccessible.h"

#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

const std::string VersionText = GetVersionText();

namespace {

constexpr int HighestRefusedColorDepth = 8; // 256 colours
constexpr int NoDesktopExitCode = 1;
constexpr int UsageExitCode = 2;

constexpr const char* NoDesktopLine =
    "orvanix: デスクトップ(X11またはWayland)がないと起動できません。画面なしでフィードを作るには "
    "orvanix-feed を使ってください。 / orvanix needs a desktop (X11 or Wayland); without one, "
    "build the feed with orvanix-feed.\n";

// What Qt says while it opens the display is held back until the display is open: without one,
// Qt ends the program with a fatal message, and the user reads one line of ours instead of Qt's.
std::vector<QString>& HeldStartMessages() {
    static std::vector<QString> held;
    return held;
}

void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtFatalMsg) {
        std::fputs(NoDesktopLine, stderr);
        std::_Exit(NoDesktopExitCode);
    }
    HeldStartMessages().push_back(qFormatLogMessage(type, context, message));
}

void ReleaseStartMessages(QtMessageHandler previous) {
    qInstallMessageHandler(previous);
    for (const QString& line : HeldStartMessages())
        std::fprintf(stderr, "%s\n", qPrintable(line));
    HeldStartMessages().clear();
}

// The first argument before "--" that looks like an option; Qt has taken its own out already.
std::optional<QString> UnknownOption(const QStringList& arguments) {
    for (const QString& argument : arguments.mid(1)) {
        if (argument == u"--") break;
        if (argument.startsWith(u'-')) return argument;
    }
    return std::nullopt;
}

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
    const QtMessageHandler previousHandler = qInstallMessageHandler(HoldStartMessage);
    TOrvanixApplication application(argc, argv);
    ReleaseStartMessages(previousHandler);
    if (const std::optional<QString> option = UnknownOption(QCoreApplication::arguments())) {
        std::fprintf(stderr, "orvanix: unknown option %s\nTry 'orvanix --help'.\n",
                     qPrintable(*option));
        return UsageExitCode;
    }
    CreateUserFolders();
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
    InstallComboEditAccessibility();
    try {
        TMiniForm form(QCoreApplication::arguments().mid(1));
        form.show();
        return application.exec();
    } catch (...) {
        TOrvanixApplication::ShowCurrentException();
        return 1;
    }
}
