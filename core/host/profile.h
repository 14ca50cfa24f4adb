// Reads and writes the shared INI file: sections and keys exactly as named, never
// the native settings store. Every access to the INI goes through these functions,
// and the file is edited in place (IniFile), so the host's own lines stay as they
// are. An unreadable or unwritable INI loses the writes, nothing more.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Profile {
public:
    // defaultValue when the key is missing or not a number.
    static int getInt(const QString& section, const QString& key, int defaultValue);
    // The whole text of the value, commas, semicolons and backslashes included;
    // a pair of quotes round all of it is dropped.
    static QString getString(
        const QString& section, const QString& key, const QString& defaultValue = {});
    // A comma-separated list; empty when the key is missing or empty.
    static QStringList getStringList(const QString& section, const QString& key);
    // Stored as base64 text; empty when missing or not base64.
    static QByteArray getByteArray(const QString& section, const QString& key);

    // False when the value could not be stored: a read-only or unreadable INI, or
    // a value holding a line break or NUL, which would split the line. Inside a
    // Batch the file is written when the batch ends.
    static bool writeInt(const QString& section, const QString& key, int value);
    static bool writeString(const QString& section, const QString& key, const QString& value);
    static bool writeStringList(
        const QString& section, const QString& key, const QStringList& value);
    static bool writeByteArray(const QString& section, const QString& key, const QByteArray& value);
    // Deletes the key; false when the INI could not be written.
    static bool remove(const QString& section, const QString& key);

    // While one exists, the INI is read once and every access goes to that copy;
    // the last one to end writes the file once, if anything changed. Several keys
    // written together thus cost one rewrite instead of one each.
    class Batch {
    public:
        Batch();
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
    };
};
