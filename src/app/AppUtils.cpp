#include "AppUtils.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QProcess>

namespace {

TProgramLauncher& Launcher() {
    static TProgramLauncher launcher = [](const QString& program, const QStringList& arguments) {
        return QProcess::startDetached(program, arguments);
    };
    return launcher;
}

TUrlOpener& UrlOpener() {
    static TUrlOpener opener = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return opener;
}

// The desktop's own choice of browser or text editor stands in for the programs of those names.
QString DesktopProgramFor(const QString& program) {
    const QString name = program.toLower();
    return name == u"iexplore.exe" || name == u"notepad.exe" ? QStringLiteral("xdg-open") : program;
}

void ShowStartFailure(int code) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("エラー"),
                    QStringLiteral("指定のプロセスは実行出来ませんでした。Er=%1").arg(code),
                    QMessageBox::Ok);
    box.move(50, 50);
    box.exec();
}

} // namespace

int ExecProgram(const QString& program, const QString& parameter) {
    const QStringList arguments = parameter.isEmpty() ? QStringList() : QStringList{parameter};
    if (Launcher()(DesktopProgramFor(program), arguments)) return ExecSucceeded;
    ShowStartFailure(ExecFileNotFound);
    return ExecFileNotFound;
}

void OpenWithShell(const QString& target) {
    const QUrl url = QUrl::fromUserInput(target);
    UrlOpener()(url);
}

void SetProgramLauncher(TProgramLauncher launcher) {
    Launcher() = std::move(launcher);
}

void SetUrlOpener(TUrlOpener opener) {
    UrlOpener() = std::move(opener);
}
