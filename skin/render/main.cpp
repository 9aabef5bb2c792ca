// Writes every skin picture as a PNG file, at 100 % and at 200 %, so the
// artwork can be looked at without starting the program; and the two bundles
// (pictures@1x, pictures@2x) that the program's build carries as resources.
#include "Skin.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QGuiApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        QTextStream(stderr) << "usage: " << args.value(0) << " OUTPUT-FOLDER\n";
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.mkpath(QStringLiteral("."))) {
        QTextStream(stderr) << "cannot create " << out.absolutePath() << '\n';
        return 1;
    }
    int failures = 0;
    for (qreal dpr : {1.0, 2.0}) {
        const QHash<QString, QImage> pictures = Skin::paintAll(dpr);
        const QString suffix = dpr == 1.0 ? QString() : QStringLiteral("@2x");
        for (const SkinPictureSpec &entry : Skin::catalogue()) {
            const QString file = out.filePath(entry.name + suffix + QStringLiteral(".png"));
            if (!pictures.value(entry.name).save(file)) {
                QTextStream(stderr) << "cannot write " << file << '\n';
                ++failures;
            }
        }
        const QString bundleFile = out.filePath(QFileInfo(Skin::bundleResource(dpr)).fileName());
        QSaveFile bundle(bundleFile);
        if (!bundle.open(QIODevice::WriteOnly) || bundle.write(Skin::bundle(pictures, Skin::bundlePacking(dpr))) < 0 || !bundle.commit()) {
            QTextStream(stderr) << "cannot write " << bundleFile << '\n';
            ++failures;
        }
    }
    QTextStream(stdout) << "pictures written to " << out.absolutePath() << '\n';
    return failures == 0 ? 0 : 1;
}
