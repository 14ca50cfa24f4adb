#include "core/output/photoregistration.h"

#include "core/host/hostdialogs.h"

#include <QFile>

QString PhotoRegistration::registerComposite(const std::function<bool(const QString& path)>& save)
{
    char path1[HostDialogs::PathBufferSize] = {};
    char path2[HostDialogs::PathBufferSize] = {};
    HostDialogs::addImage(nullptr, nullptr, 0, path1, path2);
    const QString target = QString::fromUtf8(path1);
    // Without a path the save would land as ".jpg" in whatever folder is current.
    if (target.isEmpty() || !save)
        return {};
    if (!save(target)) {
        HostDialogs::cancelImage(target);
        return {};
    }

    QFile marker(HostDialogs::tempFolder() + QStringLiteral("ImgADD.TMP"));
    if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate))
        marker.close();

    const QString copy = QString::fromUtf8(path2);
    if (!copy.isEmpty()) {
        // The host's copy is overwritten; a failed copy is not reported.
        if (QFile::exists(copy))
            QFile::remove(copy);
        QFile::copy(target, copy);
    }
    return target;
}
