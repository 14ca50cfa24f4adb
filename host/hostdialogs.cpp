#include "host/hostdialogs.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

QString HostDialogs::tempFolder()
{
    QString folder = qEnvironmentVariable("MOLVEX_TEMP");
    if (folder.isEmpty()) {
        QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (base.isEmpty())
            base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        folder = base + "/Molvex/temp";
        if (QDir().mkpath(folder))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        QDir().mkpath(folder);
    }
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}
