#include "core/gallery/gallerycatalogue.h"

#include "core/gallery/cataloguelines.h"
#include "core/gallery/cataloguelock.h"
#include "core/host/imagekit.h"
#include "core/host/profile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QImage>
#include <QSet>

#include <functional>

#include <sys/stat.h>

namespace {

const QLatin1String catalogueName("bracket.csv");

// Far beyond any real catalogue (hundreds of lines of a few dozen bytes); a
// larger file is not one, and is refused rather than read into memory.
constexpr qint64 maxCatalogueBytes = 64 << 20;

// Field indexes of a catalogue line.
enum Field { PictureField, NameField, MaterialField, WireField, VendorField, MemoField, SideField };

QString fieldAt(const QStringList& fields, int index)
{
    return index < fields.size() ? fields.at(index) : QString();
}

// The messages name the folder, so that the user can tell which gallery (a
// shared one, the installed one) refused.
QString inFolder(const QString& text, const QString& folder)
{
    return text + QCoreApplication::translate("GalleryCatalogue", "\nフォルダ: ")
        + QDir::toNativeSeparators(folder);
}

GalleryChange unwritable(const QString& folder, SecureFile::Error error)
{
    const QString reason = error == SecureFile::NoSpace
        ? QCoreApplication::translate("GalleryCatalogue", "ディスクの空き容量が足りません")
        : QCoreApplication::translate(
            "GalleryCatalogue", "書き込みが許可されていないか、書き込みに失敗しました");
    return GalleryChange::Failed(GalleryChange::Unwritable,
        inFolder(QCoreApplication::translate("GalleryCatalogue",
                     "ギャラリーに保存できません（%1）。変更は保存されていません。")
                     .arg(reason),
            folder));
}

GalleryChange changedMeanwhile(const QString& folder)
{
    return GalleryChange::Failed(GalleryChange::Changed,
        inFolder(QCoreApplication::translate("GalleryCatalogue",
                     "この項目は他の端末で変更または削除されています。"
                     "変更は保存されていません。一覧を読み直します。"),
            folder));
}

GalleryChange unwritableText(const QString& characters)
{
    return GalleryChange::Failed(GalleryChange::UnwritableText,
        QCoreApplication::translate("GalleryCatalogue", "次の文字はbracket.csvに保存できません: %1")
            .arg(characters));
}

// Reads the whole catalogue; `exists` tells a missing file from an unreadable one.
bool readCatalogue(const QString& catalogueFile, QByteArray& bytes, bool& exists)
{
    exists = false;
    bytes.clear();
    return SecureFile::readFile(catalogueFile, maxCatalogueBytes, &bytes, true, &exists)
        == SecureFile::NoError;
}

// The line of `entry`: the first whose picture is the entry's and whose texts
// are still those the entry was loaded with; -1 when none is.
int findLine(const CatalogueLines& lines, const QString& prefix, const GalleryEntry& entry)
{
    for (int i = 0; i < lines.Count(); ++i) {
        const QStringList fields = lines.Fields(i);
        if (GalleryEntry::fromFields(prefix, fields) == entry)
            return i;
    }
    return -1;
}

// Runs one change under the lock: `apply` changes the freshly read lines (and
// may write a picture), then the old file is kept as the backup and the new one
// takes its place.
GalleryChange changeCatalogue(const QString& folder, const QString& catalogueFile,
    const std::function<GalleryChange(CatalogueLines&, bool exists)>& apply,
    const std::function<void()>& undo = {})
{
    CatalogueLock lock(catalogueFile);
    switch (lock.Acquire(GalleryCatalogue::LockTimeoutMs)) {
    case CatalogueLock::Taken:
        break;
    case CatalogueLock::Busy:
        return GalleryChange::Failed(GalleryChange::Busy,
            inFolder(QCoreApplication::translate("GalleryCatalogue",
                         "ギャラリーは他の端末で変更中です。変更は保存されていません。"
                         "しばらくしてからやり直してください。"),
                folder));
    case CatalogueLock::Unwritable:
        return unwritable(folder, SecureFile::NoPermission);
    }
    QByteArray old;
    bool exists = false;
    if (!readCatalogue(catalogueFile, old, exists) && exists)
        return unwritable(folder, SecureFile::NoPermission);
    CatalogueLines lines = CatalogueLines::Parse(old);
    const GalleryChange change = apply(lines, exists);
    if (!change.ok())
        return change;
    SecureFile::Error error = SecureFile::NoError;
    if ((exists
            && !GalleryCatalogue::SaveCatalogue(
                catalogueFile + QStringLiteral(".bak"), old, &error))
        || !GalleryCatalogue::SaveCatalogue(catalogueFile, lines.Bytes(), &error)) {
        if (undo)
            undo();
        return unwritable(folder, error);
    }
    return change;
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
    const CatalogueLines lines = CatalogueLines::Parse(in.read(maxCatalogueBytes));
    const QVector<QStringList> all = lines.AllFields();
    for (const QStringList& fields : all) {
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

GalleryChange GalleryCatalogue::EditEntry(const QString& folder, const QString& catalogueFile,
    const GalleryEntry& before, const GalleryEntry& after)
{
    const QString prefix = FolderPrefix(folder);
    return changeCatalogue(folder, catalogueFile, [&](CatalogueLines& lines, bool) {
        const int line = findLine(lines, prefix, before);
        if (line < 0)
            return changedMeanwhile(folder);
        const GalleryEntry clean
            = GalleryEntry::fromFields(prefix, after.catalogueLine().split(QLatin1Char(',')));
        // Only the fields the user changed are written, so that the others keep
        // their bytes ("Inner" stays "Inner").
        const QString texts[] = { clean.bracketName, clean.material, clean.wire, clean.vendor,
            clean.memo, clean.side };
        const QString was[] = { before.bracketName, before.material, before.wire, before.vendor,
            before.memo, before.side };
        for (int field = NameField; field <= SideField; ++field) {
            const QString& text = texts[field - NameField];
            if (text == was[field - NameField])
                continue;
            if (!lines.SetField(line, field, text))
                return unwritableText(CatalogueLines::Unwritable(text, lines.encoding()));
        }
        return GalleryChange::Succeeded(before.picturePath);
    });
}

GalleryChange GalleryCatalogue::DeleteEntry(
    const QString& folder, const QString& catalogueFile, const GalleryEntry& entry)
{
    const QString prefix = FolderPrefix(folder);
    return changeCatalogue(folder, catalogueFile, [&](CatalogueLines& lines, bool) {
        const int line = findLine(lines, prefix, entry);
        if (line < 0)
            return changedMeanwhile(folder);
        lines.Remove(line);
        return GalleryChange::Succeeded();
    });
}

GalleryChange GalleryCatalogue::AddEntry(const QString& folder, const QString& catalogueFile,
    const GalleryEntry& texts, const QImage& picture)
{
    // Refused before the lock, the numbering or any write: a line for a picture
    // that cannot be shown would be an empty row taking up a number.
    if (picture.isNull())
        return GalleryChange::Failed(GalleryChange::UnreadablePicture,
            QCoreApplication::translate("GalleryCatalogue",
                "画像を読み込めません。ギャラリーには何も追加されていません。"));
    if (!QFileInfo(folder).isDir())
        return GalleryChange::Failed(GalleryChange::Unwritable,
            inFolder(QCoreApplication::translate("GalleryCatalogue",
                         "ギャラリーのフォルダが見つかりません。変更は保存されていません。"),
                folder));
    const QString prefix = FolderPrefix(folder);
    QString written;
    return changeCatalogue(
        folder, catalogueFile,
        [&](CatalogueLines& lines, bool) {
            QStringList named;
            for (int i = 0; i < lines.Count(); ++i)
                named.append(fieldAt(lines.Fields(i), PictureField)
                                 .replace(QLatin1Char('\\'), QLatin1Char('/')));
            GalleryEntry entry = texts;
            entry.picturePath = prefix + NextPictureName(folder, named);
            const QString number = QStringLiteral("%1").arg(lines.Count(), 4, 10, QLatin1Char('0'));
            if (entry.vendor.isEmpty())
                entry.vendor = QStringLiteral("Vendor") + number;
            if (entry.memo.isEmpty())
                entry.memo = QStringLiteral("Memo") + number;
            const QString line = entry.catalogueLine();
            if (!lines.Append(line))
                return unwritableText(CatalogueLines::Unwritable(line, lines.encoding()));
            // The picture goes first: a line must never name a picture that is
            // not there.
            ImageKit image;
            image.setImage(picture);
            if (!image.writePng(entry.picturePath))
                return unwritable(folder, SecureFile::OtherError);
            written = entry.picturePath;
            return GalleryChange::Succeeded(entry.picturePath);
        },
        [&] {
            // Only the picture this add has just created is removed again.
            if (!written.isEmpty())
                QFile::remove(written);
        });
}

QString GalleryCatalogue::UnwritableCharacters(const QString& catalogueFile, const QString& text)
{
    QByteArray bytes;
    bool exists = false;
    readCatalogue(catalogueFile, bytes, exists);
    return CatalogueLines::Unwritable(text, CatalogueLines::Parse(bytes).encoding());
}

bool GalleryCatalogue::SaveCatalogue(
    const QString& catalogueFile, const QByteArray& bytes, SecureFile::Error* error)
{
    SecureFile::Error ignored = SecureFile::NoError;
    SecureFile::Error& result = error ? *error : ignored;
    // Through a link the target is rewritten, so the practice's link stays; the
    // file keeps its mode, since a gallery may be shared with a group.
    const QFileInfo info(catalogueFile);
    const QString target
        = info.isSymLink() && info.exists() ? info.canonicalFilePath() : catalogueFile;
    mode_t mode = SecureFile::ordinaryMode();
    struct stat old { };
    if (stat(QFile::encodeName(target).constData(), &old) == 0) {
        if (!S_ISREG(old.st_mode)) {
            result = SecureFile::NotRegular;
            return false;
        }
        mode = old.st_mode & 07777;
    }
    result = SecureFile::writeFile(target, bytes, mode);
    return result == SecureFile::NoError;
}

QString GalleryCatalogue::NextPictureName(const QString& folder, const QStringList& named)
{
    const QString prefix = FolderPrefix(folder);
    QSet<QString> taken;
    for (const QString& name : named)
        taken.insert(name.toLower());
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("bracket%1.png").arg(n, 4, 10, QLatin1Char('0'));
        const QFileInfo info(prefix + name);
        // Anything under that name, even a dangling link or a folder, keeps the
        // number taken, and so does a line naming it whose picture is gone: a
        // new picture under that name would show that line's texts.
        if (!info.exists() && !info.isSymLink() && !taken.contains(name))
            return name;
    }
}

QStringList GalleryCatalogue::CheckGallery(const QString& folder, const QString& catalogueFile)
{
    QStringList problems;
    QByteArray bytes;
    bool exists = false;
    if (!readCatalogue(catalogueFile, bytes, exists))
        return { inFolder(
            QCoreApplication::translate("GalleryCatalogue", "bracket.csvが見つかりません"),
            folder) };
    const QString prefix = FolderPrefix(folder);
    const CatalogueLines lines = CatalogueLines::Parse(bytes);
    const QVector<QStringList> all = lines.AllFields();
    QHash<QString, int> firstLine;
    for (int i = 0; i < all.size(); ++i) {
        const QString name = fieldAt(all[i], PictureField);
        if (name.trimmed().isEmpty())
            continue;
        const QString where
            = QCoreApplication::translate("GalleryCatalogue", "%1行目: %2").arg(i + 1).arg(name);
        const QString path = GalleryEntry::fromFields(prefix, all[i]).picturePath;
        if (firstLine.contains(path.toLower()))
            problems << QCoreApplication::translate(
                "GalleryCatalogue", "重複した画像: %1（%2行目と同じ）")
                            .arg(where)
                            .arg(firstLine[path.toLower()]);
        else
            firstLine.insert(path.toLower(), i + 1);
        if (!QFileInfo(path).isFile())
            problems << QCoreApplication::translate("GalleryCatalogue", "画像がありません: ")
                    + where;
        else if (ImageKit image; !image.openImage(path))
            problems << QCoreApplication::translate("GalleryCatalogue", "読み込めない画像: ")
                    + where;
    }
    const QStringList pictures = QDir(folder).entryList(
        { "*.png", "*.bmp", "*.jpg", "*.jpeg" }, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& picture : pictures)
        if (!firstLine.contains((prefix + picture).toLower()))
            problems << QCoreApplication::translate("GalleryCatalogue", "どの行にもない画像: ")
                    + picture;
    return problems;
}

QString GalleryCatalogue::DecodeLine(const QByteArray& bytes)
{
    return CatalogueLines::Decode(bytes, CatalogueLines::Parse(bytes).encoding());
}
