// Reads and writes the shared INI file: sections and keys exactly as named, never
// the native settings store. Every access to the INI goes through these functions,
// so how the file is parsed and written is decided here alone. An unwritable INI
// loses the writes, nothing more.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Profile {
public:
    // defaultValue when the key is missing or not a number.
    static int getInt(const QString& section, const QString& key, int defaultValue);
    // The whole text of the value, commas included.
    static QString getString(
        const QString& section, const QString& key, const QString& defaultValue = {});
    static QStringList getStringList(const QString& section, const QString& key);
    static QByteArray getByteArray(const QString& section, const QString& key);

    // False when the value could not be stored (for instance a read-only INI).
    static bool writeInt(const QString& section, const QString& key, int value);
    static bool writeString(const QString& section, const QString& key, const QString& value);
    static bool writeStringList(
        const QString& section, const QString& key, const QStringList& value);
    static bool writeByteArray(const QString& section, const QString& key, const QByteArray& value);
    // Deletes the key; false when the INI could not be written.
    static bool remove(const QString& section, const QString& key);
};
