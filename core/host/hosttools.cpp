#include "core/host/hosttools.h"

#include "core/host/securefile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString HostTools::iniFileName(int which)
{
    Q_UNUSED(which);
    QString path = qEnvironmentVariable("MOLVEX_INI");
    if (path.isEmpty()) {
        const QString config
            = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
        path = config + "/Molvex/Molvex.ini";
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    return path;
}

bool HostTools::fileExists(const QString& path)
{
    // Opened without following a link, as the markers are read: a link planted in
    // a shared folder must not make a marker seem present.
    return SecureFile::readFile(path, 0, nullptr) == SecureFile::NoError;
}
