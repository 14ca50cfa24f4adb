// What both fuzz targets share: a Qt application object for the image plugins,
// and a private folder with a few files whose names the inputs can hit.
#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdlib>

namespace fuzzfixture {

// Lives until the process ends; libFuzzer never returns to main.
inline QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "kestrin-fuzz";
    static char* argv[] = { name, nullptr };
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    return *app;
}

// A gallery folder holding bracket0001.png and bracket0002.png, so that
// catalogue lines naming them produce entries. Ends with "/".
inline const QString& folder()
{
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        for (const char* name : { "bracket0001.png", "bracket0002.png" }) {
            QFile file(d->filePath(QString::fromLatin1(name)));
            if (!file.open(QIODevice::WriteOnly))
                std::abort();
        }
        return d;
    }();
    static const QString path = dir->path() + QLatin1Char('/');
    return path;
}

// Keeps the photo database and the INI out of the user's home: both are looked
// up on the way, and neither is part of the input.
inline void isolateHost()
{
    qputenv("MOLVEX_PHOTODB", (folder() + QStringLiteral("no-such.db")).toLocal8Bit());
    qputenv("MOLVEX_INI", (folder() + QStringLiteral("Molvex.ini")).toLocal8Bit());
    qputenv("MOLVEX_TEMP", folder().toLocal8Bit());
}

} // namespace fuzzfixture
