#include "core/host/inifile.h"

#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <sys/stat.h>

namespace {

// An INI file beyond this is not a profile; reading it whole would only waste memory.
constexpr qint64 MaxIniBytes = 16 * 1024 * 1024;

const char cp932Name[] = "CP932";

QString sectionName(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(QLatin1Char('[')))
        return {};
    const int close = trimmed.indexOf(QLatin1Char(']'));
    return (close < 0 ? trimmed.mid(1) : trimmed.mid(1, close - 1)).trimmed();
}

bool isHeader(const QString& text) { return text.trimmed().startsWith(QLatin1Char('[')); }

// A key line has an '=' and is not a comment; the key is what comes before the
// first '=', trimmed, so key names may hold spaces.
bool splitKey(const QString& text, QString* key, int* valueStart)
{
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#'))
        || trimmed.startsWith(QLatin1Char('[')))
        return false;
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq < 0)
        return false;
    if (key)
        *key = text.left(eq).trimmed();
    if (valueStart)
        *valueStart = eq + 1;
    return true;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

} // namespace

bool IniFile::load(const QString& path)
{
    m_path = path;
    m_lines.clear();
    m_modified = false;
    m_encoding = Utf8;
    QByteArray data;
    bool exists = true;
    // The profile may legitimately be a link to a shared copy; a FIFO or device is
    // still refused without blocking.
    m_error = SecureFile::readFile(path, MaxIniBytes, &data, true, &exists);
    if (!exists) {
        m_error = SecureFile::NoError;
        return true;
    }
    if (m_error != SecureFile::NoError)
        return false;

    // Invalid UTF-8 does not survive the round trip (it becomes U+FFFD).
    m_encoding = QString::fromUtf8(data).toUtf8() == data ? Utf8 : Cp932;
    QStringDecoder cp932(cp932Name);

    int start = 0;
    while (start < data.size()) {
        int newline = data.indexOf('\n', start);
        Line line;
        if (newline < 0) {
            line.raw = data.mid(start);
            newline = data.size() - 1;
        } else {
            const bool crlf = newline > start && data.at(newline - 1) == '\r';
            line.raw = data.mid(start, newline - start - (crlf ? 1 : 0));
            line.end = crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
        }
        line.text = m_encoding == Utf8 ? QString::fromUtf8(line.raw) : cp932.decode(line.raw);
        if (m_lines.isEmpty() && line.text.startsWith(QChar(0xFEFF)))
            line.text.remove(0, 1);
        m_lines.append(line);
        start = newline + 1;
    }
    return true;
}

int IniFile::findSection(const QString& section, int from) const
{
    for (int i = from; i < m_lines.size(); ++i)
        if (isHeader(m_lines[i].text) && sameName(sectionName(m_lines[i].text), section))
            return i;
    return -1;
}

int IniFile::sectionEnd(int header) const
{
    int i = header + 1;
    while (i < m_lines.size() && !isHeader(m_lines[i].text))
        ++i;
    return i;
}

int IniFile::findKey(int header, const QString& key) const
{
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i) {
        QString name;
        if (splitKey(m_lines[i].text, &name, nullptr) && sameName(name, key))
            return i;
    }
    return -1;
}

QString IniFile::value(
    const QString& section, const QString& key, const QString& defaultValue, bool* found) const
{
    for (int header = findSection(section); header >= 0;
         header = findSection(section, header + 1)) {
        const int line = findKey(header, key);
        int valueStart = 0;
        if (line >= 0 && splitKey(m_lines[line].text, nullptr, &valueStart)) {
            if (found)
                *found = true;
            return m_lines[line].text.mid(valueStart).trimmed();
        }
    }
    if (found)
        *found = false;
    return defaultValue;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    bool found = false;
    value(section, key, {}, &found);
    return found;
}

QByteArray IniFile::encode(const QString& text) const
{
    if (m_encoding == Utf8)
        return text.toUtf8();
    QStringEncoder cp932(cp932Name);
    return cp932.encode(text);
}

QByteArray IniFile::lineEnd() const
{
    // New lines follow the file's own convention; a new file gets the one the
    // Windows programs sharing it write.
    for (const Line& line : m_lines)
        if (!line.end.isEmpty())
            return line.end;
    return QByteArrayLiteral("\r\n");
}

void IniFile::append(int at, const QString& text)
{
    const QByteArray end = lineEnd();
    // The line before an insertion point must be terminated, or the two would join.
    if (at > 0 && m_lines[at - 1].end.isEmpty())
        m_lines[at - 1].end = end;
    Line line;
    line.text = text;
    line.raw = encode(text);
    line.end = end;
    m_lines.insert(at, line);
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    m_modified = true;
    for (int header = findSection(section); header >= 0;
         header = findSection(section, header + 1)) {
        const int at = findKey(header, key);
        int valueStart = 0;
        if (at < 0 || !splitKey(m_lines[at].text, nullptr, &valueStart))
            continue;
        Line& line = m_lines[at];
        // Keeps the key's spelling and the spacing around '=' as they were.
        int keep = valueStart;
        while (keep < line.text.size()
            && (line.text.at(keep) == QLatin1Char(' ') || line.text.at(keep) == QLatin1Char('\t')))
            ++keep;
        line.text = line.text.left(keep) + value;
        line.raw = encode(line.text);
        return;
    }
    const int header = findSection(section);
    if (header < 0) {
        append(m_lines.size(), QLatin1Char('[') + section + QLatin1Char(']'));
        append(m_lines.size(), key + QLatin1Char('=') + value);
        return;
    }
    int after = header;
    const int end = sectionEnd(header);
    for (int i = header + 1; i < end; ++i)
        if (splitKey(m_lines[i].text, nullptr, nullptr))
            after = i;
    append(after + 1, key + QLatin1Char('=') + value);
}

bool IniFile::remove(const QString& section, const QString& key)
{
    bool removed = false;
    for (int header = findSection(section); header >= 0;
         header = findSection(section, header + 1)) {
        for (int at = findKey(header, key); at >= 0; at = findKey(header, key)) {
            m_lines.removeAt(at);
            removed = true;
        }
    }
    m_modified = m_modified || removed;
    return removed;
}

QByteArray IniFile::bytes() const
{
    QByteArray data;
    for (const Line& line : m_lines)
        data += line.raw + line.end;
    return data;
}

bool IniFile::save()
{
    // Through a link the target is replaced, so the link the practice set up stays.
    const QFileInfo info(m_path);
    const QString target = info.isSymLink() && info.exists() ? info.canonicalFilePath() : m_path;
    mode_t mode = 0600;
    struct stat old { };
    if (stat(QFile::encodeName(target).constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            m_error = SecureFile::NotRegular;
            return false;
        }
        mode = old.st_mode & 07777;
    }
    m_error = SecureFile::writeFile(target, bytes(), mode);
    if (m_error != SecureFile::NoError)
        return false;
    m_modified = false;
    return true;
}
