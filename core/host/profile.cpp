#include "core/host/profile.h"

#include "core/host/hosttools.h"

#include <QSettings>
#include <QVariant>

#include <memory>

namespace {

std::unique_ptr<QSettings> openIni()
{
    return std::make_unique<QSettings>(HostTools::iniFileName(0), QSettings::IniFormat);
}

QVariant read(const QString& section, const QString& key)
{
    return openIni()->value(section + '/' + key);
}

bool write(const QString& section, const QString& key, const QVariant& value)
{
    auto settings = openIni();
    if (value.isValid())
        settings->setValue(section + '/' + key, value);
    else
        settings->remove(section + '/' + key);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

} // namespace

int Profile::getInt(const QString& section, const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = read(section, key).toInt(&ok);
    return ok ? value : defaultValue;
}

QString Profile::getString(const QString& section, const QString& key, const QString& defaultValue)
{
    const QVariant value = read(section, key);
    if (!value.isValid())
        return defaultValue;
    // An unquoted INI value with a comma comes back as a list; the text is still
    // the whole line.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QStringList Profile::getStringList(const QString& section, const QString& key)
{
    return read(section, key).toStringList();
}

QByteArray Profile::getByteArray(const QString& section, const QString& key)
{
    return read(section, key).toByteArray();
}

bool Profile::writeInt(const QString& section, const QString& key, int value)
{
    return write(section, key, value);
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    return write(section, key, value);
}

bool Profile::writeStringList(const QString& section, const QString& key, const QStringList& value)
{
    return write(section, key, value);
}

bool Profile::writeByteArray(const QString& section, const QString& key, const QByteArray& value)
{
    return write(section, key, value);
}

bool Profile::remove(const QString& section, const QString& key)
{
    return write(section, key, QVariant());
}
