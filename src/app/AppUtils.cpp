#include "app/AppUtils.h"

#include "dialogs/L_Dialog.h"

#include <QElapsedTimer>
#include <QProcess>

#include <memory>

namespace {

// How long after its start an ending program still counts as failing to start.
constexpr qint64 StartFailureWindowMs = 5000;

TProgramLauncher& Launcher() {
    static TProgramLauncher launcher = StartWatchedProgram;
    return launcher;
}

const QString DesktopOpener = QStringLiteral("xdg-open");

// The desktop's opener takes web addresses and files alike.
TUrlOpener& UrlOpener() {
    static TUrlOpener opener = [](const QUrl& url) {
        const QString target =
            url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded);
        return StartWatchedProgram(DesktopOpener, {target});
    };
    return opener;
}

// The desktop's own choice of browser or text editor stands in for the programs of those names.
QString DesktopProgramFor(const QString& program) {
    const QString name = program.toLower();
    return name == u"iexplore.exe" || name == u"notepad.exe" ? DesktopOpener : program;
}

// The last line with text of a program's error output, read as it comes.
class TLastLine {
public:
    void Add(const QByteArray& output) {
        pending_ += output;
        const qsizetype end = pending_.lastIndexOf('\n');
        if (end < 0) return;
        const QByteArray complete = pending_.left(end).trimmed();
        pending_.remove(0, end + 1);
        const QByteArray line = complete.mid(complete.lastIndexOf('\n') + 1).trimmed();
        if (!line.isEmpty()) last_ = QString::fromLocal8Bit(line);
    }
    QString Text() const {
        const QByteArray rest = pending_.trimmed();
        return rest.isEmpty() ? last_ : QString::fromLocal8Bit(rest);
    }

private:
    QByteArray pending_; // an unfinished line
    QString last_;
};

} // namespace

void ShowStartFailure(int code, const QString& reason) {
    QString text = QStringLiteral("指定のプロセスは実行出来ませんでした。Er=%1").arg(code);
    if (!reason.isEmpty()) text += u'\n' + reason;
    ShowMsg(text, mtError);
}

QString StartWatchedProgram(const QString& program, const QStringList& arguments,
                            const TStartFailure& failed) {
    // Without a parent: the program (a browser the opener waits for) may outlive the editor, and
    // a QProcess that is destroyed ends its program. It deletes itself when the program ends.
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    auto errorOutput = std::make_shared<TLastLine>();
    auto sinceStart = std::make_shared<QElapsedTimer>();
    QObject::connect(process, &QProcess::readyReadStandardError, process,
                     [process, errorOutput] { errorOutput->Add(process->readAllStandardError()); });
    QObject::connect(
        process, &QProcess::finished, process,
        [process, errorOutput, sinceStart, failed](int exitCode, QProcess::ExitStatus status) {
            errorOutput->Add(process->readAllStandardError());
            process->deleteLater();
            const bool ended = status == QProcess::CrashExit || exitCode != 0;
            if (ended && sinceStart->elapsed() < StartFailureWindowMs)
                failed(exitCode, errorOutput->Text());
        });
    sinceStart->start();
    process->start();
    if (process->waitForStarted()) return {};
    const QString reason = process->errorString();
    delete process;
    return reason;
}

int ExecProgram(const QString& program, const QString& parameter) {
    const QStringList arguments = parameter.isEmpty() ? QStringList() : QStringList{parameter};
    const QString failure = Launcher()(DesktopProgramFor(program), arguments, ShowStartFailure);
    if (failure.isEmpty()) return ExecSucceeded;
    ShowStartFailure(ExecFileNotFound, failure);
    return ExecFileNotFound;
}

void OpenWithShell(const QString& target) {
    const QString failure = UrlOpener()(QUrl::fromUserInput(target));
    if (!failure.isEmpty()) ShowStartFailure(ExecFileNotFound, failure);
}

void OpenWithDesktop(const QString& path, const std::function<void()>& noProgram) {
    const TStartFailure gaveUp = [noProgram](int, const QString&) { noProgram(); };
    if (!Launcher()(DesktopOpener, {path}, gaveUp).isEmpty()) noProgram();
}

void SetProgramLauncher(TProgramLauncher launcher) {
    Launcher() = std::move(launcher);
}

void SetUrlOpener(TUrlOpener opener) {
    UrlOpener() = std::move(opener);
}
