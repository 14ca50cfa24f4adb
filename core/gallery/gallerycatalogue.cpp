#include "core/gallery/gallerycatalogue.h"

#include "core/host/profile.h"
#include "core/host/securefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <sys/stat.h>

namespace {

const QLatin1String catalogueName("bracket.csv");

// No real catalogue line comes near this; a longer one is binary junk whose
// picture name cannot exist, so it is skipped without holding it in memory.
constexpr qint64 maxLineBytes = 1 << 20;

// Lines are written as CR LF, the line end of the Windows machines that share the
// gallery, so the file keeps one line-end style.
const QByteArray lineEnd("\r\n");

// Decodes line by line rather than per file: a catalogue first written in CP932
// and then appended to by this program holds lines of both encodings.
class LineDecoder {
public:
    LineDecoder()
        : m_utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless)
    {
    }

    QString decode(const QByteArray& bytes)
    {
        m_utf8.resetState();
        QString text = m_utf8.decode(bytes);
        if (!m_utf8.hasError())
            return text;
        // A fresh decoder per line: Qt's ICU-backed decoders keep their error
        // flag across resetState(), so one bad line would turn every later
        // CP932 line into replacement characters.
        QStringDecoder cp932("CP932", QStringDecoder::Flag::Stateless);
        if (cp932.isValid()) {
            QString legacy = cp932.decode(bytes);
            if (!cp932.hasError())
                return legacy;
        }
        // Neither encoding fits: keep the UTF-8 reading, with replacement
        // characters for the bad bytes, so the rest of the line stays usable.
        return text;
    }

private:
    QStringDecoder m_utf8;
};

// Reads the next line, without its LF (and a CR before it), into `line`. Returns
// false at the end of the device. An overlong line is consumed and reported as
// skipped through `overlong`.
bool readLine(QIODevice& in, QByteArray& buffer, QByteArray& line, bool& overlong)
{
    overlong = false;
    if (in.atEnd())
        return false;
    // One buffer for the whole file: QIODevice::readLine(maxSize) would allocate
    // (and fault in) a megabyte for every line.
    if (buffer.size() < maxLineBytes + 2)
        buffer.resize(maxLineBytes + 2);
    const qint64 got = in.readLine(buffer.data(), maxLineBytes + 2);
    // Every line but an empty last one holds at least its LF; nothing read here
    // means the end or a read error.
    if (got <= 0)
        return false;
    line = QByteArray(buffer.constData(), int(got));
    if (!line.endsWith('\n') && !in.atEnd()) {
        overlong = true;
        while (!in.atEnd()) {
            const qint64 rest = in.readLine(buffer.data(), maxLineBytes + 2);
            if (rest <= 0 || buffer.at(int(rest) - 1) == '\n')
                break;
        }
        line.clear();
        return true;
    }
    if (line.endsWith('\n'))
        line.chop(1);
    if (line.endsWith('\r'))
        line.chop(1);
    return true;
}

} // namespace

QString GalleryCatalogue::ConfiguredFolder()
{
    return Profile::getString(QStringLiteral("DB_DIR"), QStringLiteral("GALLERY"));
}

QString GalleryCatalogue::GalleryFolder()
{
    const QString configured = ConfiguredFolder();
    if (!configured.isEmpty()) {
        // Doubled separators mean one to Windows, and a server name's leading
        // pair can only be the root here.
        QString folder = FolderPrefix(configured);
        while (folder.contains(QLatin1String("//")))
            folder.replace(QLatin1String("//"), QLatin1String("/"));
        return folder;
    }
    return DefaultFolder(QCoreApplication::applicationDirPath());
}

QString GalleryCatalogue::DefaultFolder(const QString& programDir)
{
    const QString beside = FolderPrefix(programDir) + QStringLiteral("Gallery/");
    if (QFileInfo(beside).isDir())
        return beside;
    const QString installed
        = QDir::cleanPath(FolderPrefix(programDir) + QStringLiteral("../share/kestrin/Gallery"))
        + QLatin1Char('/');
    // With neither present, the "not found" message names the folder beside
    // the program, where a build puts it.
    return QFileInfo(installed).isDir() ? installed : beside;
}

QString GalleryCatalogue::CatalogueFile() { return GalleryFolder() + catalogueName; }

QString GalleryCatalogue::FolderPrefix(const QString& folder)
{
    QString prefix = folder;
    prefix.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (!prefix.isEmpty() && !prefix.endsWith(QLatin1Char('/')))
        prefix += QLatin1Char('/');
    return prefix;
}

int GalleryCatalogue::SplitFields(const QString& line, QChar separator, QStringList& fields)
{
    int count = 0;
    qsizetype start = 0;
    for (;;) {
        const qsizetype found = line.indexOf(separator, start);
        if (found < 0)
            break;
        fields.append(line.mid(start, found - start));
        ++count;
        start = found + 1;
    }
    fields.append(line.mid(start));
    return count + 1;
}

bool GalleryCatalogue::LoadCatalogue(
    const QString& folder, const QString& catalogueFile, QVector<GalleryEntry>& entries)
{
    entries.clear();
    // A FIFO or device under the catalogue's name would block or never end.
    if (!QFileInfo(catalogueFile).isFile())
        return false;
    QFile file(catalogueFile);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ReadCatalogue(folder, file, entries);
    return true;
}

void GalleryCatalogue::ReadCatalogue(
    const QString& folder, QIODevice& in, QVector<GalleryEntry>& entries)
{
    const QString prefix = FolderPrefix(folder);
    LineDecoder decoder;
    QByteArray buffer, bytes;
    bool overlong = false;
    bool first = true;
    while (readLine(in, buffer, bytes, overlong)) {
        if (first && bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
        first = false;
        if (overlong)
            continue;
        QStringList fields;
        SplitFields(decoder.decode(bytes), QLatin1Char(','), fields);
        // A NUL would cut the name short at the file system and find some other
        // file; such a line cannot name a picture.
        if (fields.first().isEmpty() || fields.first().contains(QChar(0)))
            continue;
        GalleryEntry entry = GalleryEntry::fromFields(prefix, fields);
        // Unlike the markers, a gallery may hold links to pictures kept elsewhere.
        if (!QFileInfo(entry.picturePath).isFile())
            continue;
        entries.append(std::move(entry));
    }
}

bool GalleryCatalogue::SaveCatalogue(
    const QString& catalogueFile, const QVector<GalleryEntry>& entries)
{
    QByteArray bytes;
    for (const GalleryEntry& entry : entries)
        bytes += entry.catalogueLine().toUtf8() + lineEnd;

    // Through a link the target is rewritten, so the practice's link stays; the
    // file keeps its mode, since a gallery may be shared with a group.
    const QFileInfo info(catalogueFile);
    const QString target
        = info.isSymLink() && info.exists() ? info.canonicalFilePath() : catalogueFile;
    mode_t mode = SecureFile::ordinaryMode();
    struct stat old { };
    if (stat(QFile::encodeName(target).constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return false;
        mode = old.st_mode & 07777;
    }
    // A short write or failed flush (full disk) is refused before the old file
    // is replaced.
    return SecureFile::writeFile(target, bytes, mode) == SecureFile::NoError;
}

QString GalleryCatalogue::NextPictureName(const QString& folder)
{
    const QString prefix = FolderPrefix(folder);
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("bracket%1.png").arg(n, 4, 10, QLatin1Char('0'));
        const QFileInfo info(prefix + name);
        // Anything under that name, even a dangling link or a folder, keeps the
        // number taken.
        if (!info.exists() && !info.isSymLink())
            return name;
    }
}

int GalleryCatalogue::CountLinesAndTerminate(QFile& catalogue)
{
    if (!catalogue.seek(0))
        return -1;
    int lines = 0;
    char last = '\n';
    bool empty = true;
    char chunk[64 * 1024];
    for (;;) {
        const qint64 got = catalogue.read(chunk, sizeof chunk);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        empty = false;
        for (qint64 i = 0; i < got; ++i)
            if (chunk[i] == '\n')
                ++lines;
        last = chunk[got - 1];
    }
    if (!empty && last != '\n') {
        ++lines;
        if (!catalogue.seek(catalogue.size()) || catalogue.write(lineEnd) != lineEnd.size())
            return -1;
    }
    return lines;
}

QString GalleryCatalogue::AppendEntry(const QString& folder, const QString& catalogueFile,
    const QString& bracketName, const QString& material, const QString& wire)
{
    if (!QFileInfo(catalogueFile).isFile())
        return QString();
    QFile file(catalogueFile);
    // ReadWrite without creating: the add must not bring a catalogue into being.
    // Unbuffered, so that a failed write can be cut off again at once instead of
    // lingering in a buffer that every later call tries to flush.
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return QString();

    const qint64 oldSize = file.size();
    const int lines = CountLinesAndTerminate(file);
    const QString name = NextPictureName(folder);
    bool ok = lines >= 0;
    if (ok) {
        GalleryEntry entry;
        entry.picturePath = name;
        entry.bracketName = bracketName;
        entry.material = material;
        entry.wire = wire;
        const QString number = QStringLiteral("%1").arg(lines, 4, 10, QLatin1Char('0'));
        entry.vendor = QStringLiteral("Vendor") + number;
        entry.memo = QStringLiteral("Memo") + number;
        entry.side = QStringLiteral("outer");
        const QByteArray line = entry.catalogueLine().toUtf8() + lineEnd;
        ok = file.seek(file.size()) && file.write(line) == line.size() && file.flush();
    }
    if (!ok) {
        // Never leave half a line behind: it would merge with the next append.
        if (!file.resize(oldSize)) {
            file.close();
            QFile::resize(catalogueFile, oldSize);
        }
        return QString();
    }
    return FolderPrefix(folder) + name;
}

QString GalleryCatalogue::DecodeLine(const QByteArray& bytes)
{
    LineDecoder decoder;
    return decoder.decode(bytes);
}
