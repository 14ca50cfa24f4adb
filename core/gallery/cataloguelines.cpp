#include "core/gallery/cataloguelines.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QByteArray byteOrderMark("\xEF\xBB\xBF");

bool hasHighByte(const QByteArray& bytes)
{
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

QList<QByteArray> rawFields(const QByteArray& line) { return line.split(','); }

} // namespace

CatalogueLines CatalogueLines::Parse(const QByteArray& file)
{
    CatalogueLines lines;
    qsizetype start = 0;
    while (start < file.size()) {
        const qsizetype feed = file.indexOf('\n', start);
        Line line;
        if (feed < 0) {
            line.bytes = file.mid(start);
            start = file.size();
        } else {
            line.bytes = file.mid(start, feed - start);
            line.end = "\n";
            if (line.bytes.endsWith('\r')) {
                line.bytes.chop(1);
                line.end = "\r\n";
            }
            start = feed + 1;
        }
        lines.m_lines.append(line);
    }
    if (hasHighByte(file)) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        // decode() is lazy: only the conversion to a string runs the decoder.
        const QString checked = utf8.decode(file);
        lines.m_encoding = utf8.hasError() ? Encoding::Cp932 : Encoding::Utf8;
    }
    return lines;
}

QByteArray CatalogueLines::Bytes() const
{
    QByteArray bytes;
    for (const Line& line : m_lines)
        bytes += line.bytes + line.end;
    return bytes;
}

QStringList CatalogueLines::Fields(int index) const
{
    if (index < 0 || index >= Count())
        return {};
    QByteArray bytes = m_lines[index].bytes;
    if (index == 0 && bytes.startsWith(byteOrderMark))
        bytes.remove(0, byteOrderMark.size());
    return Decode(bytes, m_encoding).split(QLatin1Char(','));
}

QVector<QStringList> CatalogueLines::AllFields() const
{
    QByteArray joined;
    for (const Line& line : m_lines)
        joined += line.bytes + '\n';
    if (joined.startsWith(byteOrderMark))
        joined.remove(0, byteOrderMark.size());
    // LF is never part of a multi-byte character either, so the decoded text
    // has exactly one LF per line.
    QStringList texts = Decode(joined, m_encoding).split(QLatin1Char('\n'));
    QVector<QStringList> fields;
    fields.reserve(Count());
    for (int i = 0; i < Count() && i < texts.size(); ++i)
        fields.append(texts[i].split(QLatin1Char(',')));
    return fields;
}

bool CatalogueLines::SetField(int index, int field, const QString& text)
{
    QByteArray bytes;
    if (index < 0 || index >= Count() || field < 0 || !Encode(text, m_encoding, bytes))
        return false;
    QList<QByteArray> fields = rawFields(m_lines[index].bytes);
    while (fields.size() <= field)
        fields.append(QByteArray());
    fields[field] = bytes;
    m_lines[index].bytes = fields.join(',');
    return true;
}

// The file keeps ending as it did, with or without a final line break: the
// last line's end passes to whichever line becomes last.
void CatalogueLines::Remove(int index)
{
    if (index < 0 || index >= Count())
        return;
    if (index == Count() - 1 && index > 0)
        m_lines[index - 1].end = m_lines[index].end;
    m_lines.remove(index);
}

bool CatalogueLines::Append(const QString& text)
{
    Line line;
    if (!Encode(text, m_encoding, line.bytes))
        return false;
    line.end = lineEnd();
    if (!m_lines.isEmpty() && m_lines.last().end.isEmpty()) {
        m_lines.last().end = line.end;
        line.end.clear();
    }
    m_lines.append(line);
    return true;
}

QByteArray CatalogueLines::lineEnd() const
{
    for (const Line& line : m_lines)
        if (!line.end.isEmpty())
            return line.end;
    return QByteArrayLiteral("\r\n");
}

QString CatalogueLines::Decode(const QByteArray& bytes, Encoding encoding)
{
    if (encoding == Encoding::Utf8)
        return QString::fromUtf8(bytes);
    // A fresh converter each time: the ICU-backed ones keep their error state.
    QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
    return cp932.isValid() ? cp932.decode(bytes) : QString::fromLatin1(bytes);
}

bool CatalogueLines::Encode(const QString& text, Encoding encoding, QByteArray& bytes)
{
    if (encoding == Encoding::Utf8) {
        bytes = text.toUtf8();
        return true;
    }
    QStringEncoder cp932("CP932", QStringEncoder::Flag::Stateless);
    if (!cp932.isValid())
        return false;
    QByteArray encoded = cp932.encode(text);
    if (cp932.hasError())
        return false;
    // The converter substitutes a character it cannot map instead of failing;
    // text that does not come back unchanged is looked at character by
    // character (a few, such as the wave dash, come back as their Windows twin).
    if (Decode(encoded, encoding) != text && !Unwritable(text, encoding).isEmpty())
        return false;
    bytes = encoded;
    return true;
}

QString CatalogueLines::Unwritable(const QString& text, Encoding encoding)
{
    QString found;
    if (encoding == Encoding::Utf8)
        return found;
    const QList<uint> codePoints = text.toUcs4();
    for (const uint codePoint : codePoints) {
        const char32_t wide = codePoint;
        const QString character = QString::fromUcs4(&wide, 1);
        QStringEncoder cp932("CP932", QStringEncoder::Flag::Stateless);
        const QByteArray bytes = cp932.encode(character);
        const bool substituted = bytes.isEmpty() || cp932.hasError()
            || (Decode(bytes, encoding) != character
                && (bytes == "?" || bytes == "\x1a" || bytes == "\xfc\xfc"));
        if (substituted && !found.contains(character))
            found += character;
    }
    return found;
}
