// Writes the icon at the sizes of the desktop's icon theme, for the install:
//   icon_sizes ICON.png FOLDER SIZE...
// gives FOLDER/<SIZE>x<SIZE>/apps/<name of ICON>.png for each SIZE. Exit status 1 on any failure.

#include <QDir>
#include <QFileInfo>
#include <QImage>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: icon_sizes ICON.png FOLDER SIZE...\n", stderr);
        return 1;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QImage icon(source);
    if (icon.isNull()) {
        std::fprintf(stderr, "icon_sizes: cannot read %s\n", argv[1]);
        return 1;
    }
    for (int at = 3; at < argc; ++at) {
        const int size = QByteArray(argv[at]).toInt();
        const QString folder =
            QString::fromLocal8Bit(argv[2]) + QStringLiteral("/%1x%1/apps").arg(size);
        const QString target = folder + u'/' + QFileInfo(source).fileName();
        const QImage scaled =
            icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (size <= 0 || !QDir().mkpath(folder) || !scaled.save(target, "PNG")) {
            std::fprintf(stderr, "icon_sizes: cannot write the %s pixel icon\n", argv[at]);
            return 1;
        }
    }
    return 0;
}
