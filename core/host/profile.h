// Reads and writes the shared INI file: sections and keys exactly as named, never
// the native settings store. An unwritable INI loses the writes, nothing more.
#pragma once

#include <QSettings>
#include <QString>

#include <memory>

class Profile {
public:
    // The shared INI file the host tools name.
    static std::unique_ptr<QSettings> open();

    static int getInt(const QString& section, const QString& key, int defaultValue);
    static QString getString(
        const QString& section, const QString& key, const QString& defaultValue = {});
    // False when the value could not be stored (for instance a read-only INI).
    static bool writeInt(const QString& section, const QString& key, int value);
    static bool writeString(const QString& section, const QString& key, const QString& value);
};
