// A line-preserving editor for an INI file shared with Windows programs: values are
// read literally (a backslash is a character, ';' inside a value is part of it),
// names match case-insensitively, and saving changes only the lines of keys that
// were set or removed. Every other byte (comments, blank lines, order, repeated
// keys, the file's encoding and line ends) is written back as it was read.
#pragma once

#include "core/host/securefile.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class IniFile {
public:
    enum Encoding { Utf8, Cp932 };

    // Reads the file; a missing file reads as empty (and is created by save).
    // False, with error(), when it cannot be read or is not a regular file.
    bool load(const QString& path);
    QString fileName() const { return m_path; }
    SecureFile::Error error() const { return m_error; }
    // UTF-8 when the whole file is valid UTF-8, else CP932.
    Encoding encoding() const { return m_encoding; }

    // The value of the first `key` in the first `section` holding it, with the
    // spaces around it trimmed; `defaultValue` when there is none.
    QString value(const QString& section, const QString& key, const QString& defaultValue = {},
        bool* found = nullptr) const;
    bool contains(const QString& section, const QString& key) const;
    // Rewrites the value part of that line only; a missing key is added after the
    // last key of its section, a missing section at the end of the file.
    void setValue(const QString& section, const QString& key, const QString& value);
    // Removes every line of `key` in `section`; false when there was none.
    bool remove(const QString& section, const QString& key);
    bool isModified() const { return m_modified; }

    // Writes the lines to a new file in the same folder and renames it over the
    // old one (through a link, onto the link's target), keeping the file's mode.
    // On failure the old file stays as it was; error() says why.
    bool save();
    QByteArray bytes() const;

private:
    struct Line {
        QByteArray raw; // without its line end
        QByteArray end; // "\r\n", "\n" or empty on an unterminated last line
        QString text; // raw decoded
    };
    // Index of the header line of the first matching section, or -1.
    int findSection(const QString& section, int from = 0) const;
    // Index of the first line of `key` after section header `header`, or -1.
    int findKey(int header, const QString& key) const;
    int sectionEnd(int header) const;
    QByteArray encode(const QString& text) const;
    QByteArray lineEnd() const;
    void append(int at, const QString& text);

    QString m_path;
    QVector<Line> m_lines;
    Encoding m_encoding = Utf8;
    SecureFile::Error m_error = SecureFile::NoError;
    bool m_modified = false;
};
