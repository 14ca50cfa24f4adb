#include "core/host/hosttools.h"

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
    const QFileInfo info(path);
    return info.exists() && info.isFile();
}
