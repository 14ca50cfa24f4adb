// The catalogue file as it was read: every line's bytes and line end exactly as on
// disk, and the one encoding the whole file is in. A change touches single lines,
// so what the program does not interpret (extra fields, lines naming missing
// pictures, "Inner", a missing final line break) is written back untouched.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

class CatalogueLines {
public:
    enum class Encoding { Cp932, Utf8 };

    // Splits `file` at every LF; the bytes before it (a CR included) stay with
    // the line, the end ("\r\n", "\n", or nothing for an unterminated last line)
    // is kept apart. A file of valid UTF-8 that holds any non-ASCII byte is
    // UTF-8; anything else, a plain-ASCII or empty file too, is CP932, the code
    // page of the Windows machines that share the gallery.
    static CatalogueLines Parse(const QByteArray& file);

    // The file again: Parse(bytes).Bytes() == bytes for any input.
    QByteArray Bytes() const;
    int Count() const { return int(m_lines.size()); }
    Encoding encoding() const { return m_encoding; }

    // The text of line `index` split at its commas, a leading byte-order mark
    // dropped. Commas are never part of a CP932 or UTF-8 character, so the
    // split is the same on bytes and on text.
    QStringList Fields(int index) const;

    // The fields of every line at once, decoded in one pass: loading a large
    // catalogue line by line would open a converter per line.
    QVector<QStringList> AllFields() const;

    // Replaces field `field` (0-based) of line `index` with `text`, keeping the
    // bytes of every other field; a short line gets empty fields up to it.
    // False, with nothing changed, when `text` cannot be written in the file's
    // encoding.
    bool SetField(int index, int field, const QString& text);

    void Remove(int index);

    // Adds a line in the file's line-end style (CR LF when it has none yet); an
    // unterminated last line gets that line end first. False, with nothing
    // changed, when `text` cannot be written in the file's encoding.
    bool Append(const QString& text);

    // The characters of `text` that `encoding` cannot hold, each once, in order.
    static QString Unwritable(const QString& text, Encoding encoding);
    static QString Decode(const QByteArray& bytes, Encoding encoding);
    // False when some character of `text` cannot be held (see Unwritable).
    static bool Encode(const QString& text, Encoding encoding, QByteArray& bytes);

private:
    QByteArray lineEnd() const;

    struct Line {
        QByteArray bytes; // without the line end
        QByteArray end;
    };
    QVector<Line> m_lines;
    Encoding m_encoding = Encoding::Cp932;
};
