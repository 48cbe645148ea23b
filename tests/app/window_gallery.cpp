// Renders the editor's three pages, filled from the example table file, into PNG files so that
// their looks can be checked by eye: window_gallery <output folder> [table file]
// The file names tell the style and the scale. Run it under Xvfb at 100% and 200%, in the Fusion
// and the plain Windows style, with tests/app/window_screenshots.sh.

#include "L_Sizeing.h"
#include "L_Theme.h"
#include "MiniForm.h"
#include "Startup.h"

#include <QDir>
#include <QEventLoop>
#include <QStyle>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

using namespace Qt::StringLiterals;

int main(int argc, char** argv) {
    TOrvanixApplication application(argc, argv);
    QApplication::setFont(JapaneseUiFont());
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: window_gallery <output folder> [table file]\n";
        return 2;
    }
    const QDir output(args[1]);
    QDir().mkpath(output.path());
    // The pictures never depend on, or change, the settings of a real installation.
    QTemporaryDir settings;
    IniFileName = settings.filePath(u"orvanix.ini"_s).toStdString();

    TMiniForm form;
    form.CommandLineParams.clear();
    QEventLoop loop;
    QObject::connect(&form, &TMiniForm::StartupFinished, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();
    if (args.size() > 2) form.LoadTableFile(args[2].toStdString());

    const QString look = QApplication::style()->name() + u'-' +
                         qEnvironmentVariable("QT_SCALE_FACTOR", u"1"_s) + u'x';
    const QStringList pages{u"channel"_s, u"items"_s, u"confirm"_s};
    for (int page = 0; page < pages.size(); ++page) {
        form.PageControl->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QString path = output.filePath(u"window-%1-%2.png"_s.arg(look, pages[page]));
        if (!form.grab().save(path)) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
        QTextStream(stdout) << path << "\n";
    }
    return 0;
}
