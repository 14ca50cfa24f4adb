#include "core/host/profile.h"

#include "core/host/hosttools.h"

std::unique_ptr<QSettings> Profile::open()
{
    return std::make_unique<QSettings>(HostTools::iniFileName(0), QSettings::IniFormat);
}

int Profile::getInt(const QString& section, const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = open()->value(section + '/' + key).toInt(&ok);
    return ok ? value : defaultValue;
}

QString Profile::getString(const QString& section, const QString& key, const QString& defaultValue)
{
    return open()->value(section + '/' + key, defaultValue).toString();
}

bool Profile::writeInt(const QString& section, const QString& key, int value)
{
    auto settings = open();
    settings->setValue(section + '/' + key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}

bool Profile::writeString(const QString& section, const QString& key, const QString& value)
{
    auto settings = open();
    settings->setValue(section + '/' + key, value);
    settings->sync();
    return settings->status() == QSettings::NoError;
}
