// kestrin-gallery: batch work on a bracket gallery from the command line, with
// the same catalogue code, rules and locking as the bracket list, so that it can
// run while Kestrin is open on the same gallery.
#include "core/gallery/gallerycatalogue.h"
#include "core/host/imagekit.h"
#include "core/host/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace {

void print(FILE* stream, const QString& text)
{
    // UTF-8 whatever the locale, so that scripts and pipes see one encoding.
    const QByteArray bytes = text.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

int fail(const QString& message)
{
    print(stderr, QStringLiteral("kestrin-gallery: ") + message);
    return 1;
}

int usage()
{
    print(stderr,
        QStringLiteral(
            "usage: kestrin-gallery [--gallery DIR] list\n"
            "       kestrin-gallery [--gallery DIR] add PICTURE --name N --material M --wire W\n"
            "                       [--vendor V] [--memo T] [--inner] [--crop X,Y,W,H]\n"
            "       kestrin-gallery [--gallery DIR] edit PICTURE_FILE [--name N] [--material M]\n"
            "                       [--wire W] [--vendor V] [--memo T] [--inner|--outer]\n"
            "       kestrin-gallery [--gallery DIR] delete PICTURE_FILE\n"
            "       kestrin-gallery [--gallery DIR] check\n"
            "Without --gallery the gallery Kestrin uses: the INI's DB_DIR/GALLERY, else\n"
            "Gallery beside the program, else the installed one."));
    return 2;
}

// The command line after the program name: options with a value, flags, and
// the rest in order.
struct Arguments {
    QStringList positional;
    QMap<QString, QString> values;
    QStringList flags;
    QString error;
};

Arguments parse(const QStringList& args)
{
    static const QStringList withValue { "--gallery", "--name", "--material", "--wire", "--vendor",
        "--memo", "--crop" };
    static const QStringList plain { "--inner", "--outer" };
    Arguments parsed;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (withValue.contains(arg)) {
            if (i + 1 >= args.size()) {
                parsed.error = arg + QStringLiteral(" needs a value");
                return parsed;
            }
            parsed.values.insert(arg, args[++i]);
        } else if (plain.contains(arg)) {
            parsed.flags << arg;
        } else if (arg.startsWith(QLatin1String("--"))) {
            parsed.error = QStringLiteral("unknown option ") + arg;
            return parsed;
        } else {
            parsed.positional << arg;
        }
    }
    return parsed;
}

// The picture file as field 1 names it: the path inside the gallery folder.
QString pictureFile(const QString& prefix, const GalleryEntry& entry)
{
    return entry.picturePath.startsWith(prefix) ? entry.picturePath.mid(prefix.size())
                                                : entry.pictureName();
}

std::optional<GalleryEntry> findEntry(
    const QVector<GalleryEntry>& entries, const QString& prefix, const QString& file)
{
    for (const GalleryEntry& entry : entries)
        if (pictureFile(prefix, entry) == file)
            return entry;
    return std::nullopt;
}

// The texts given on the command line, over `entry`.
void applyTexts(const Arguments& args, GalleryEntry& entry)
{
    const std::pair<const char*, QString*> fields[]
        = { { "--name", &entry.bracketName }, { "--material", &entry.material },
              { "--wire", &entry.wire }, { "--vendor", &entry.vendor }, { "--memo", &entry.memo } };
    for (const auto& [option, text] : fields)
        if (args.values.contains(option))
            *text = args.values.value(option);
    if (args.flags.contains("--inner"))
        entry.side = QStringLiteral("inner");
    if (args.flags.contains("--outer"))
        entry.side = QStringLiteral("outer");
}

int list(const QVector<GalleryEntry>& entries, const QString& prefix)
{
    for (const GalleryEntry& entry : entries)
        print(stdout,
            QStringList { pictureFile(prefix, entry), entry.bracketName, entry.material, entry.wire,
                entry.vendor, entry.memo, entry.side }
                .join(QLatin1Char('\t')));
    return 0;
}

int add(const Arguments& args, const QString& folder, const QString& catalogue)
{
    if (args.positional.size() != 2)
        return usage();
    GalleryEntry entry;
    entry.side = QStringLiteral("outer");
    applyTexts(args, entry);
    // The dialog refuses empty texts; so does the tool.
    if (entry.bracketName.isEmpty() || entry.material.isEmpty() || entry.wire.isEmpty())
        return fail(QCoreApplication::translate(
            "KestrinGallery", "未設定のパラメータが存在します。(--name, --material, --wire)"));
    ImageKit picture;
    if (!picture.openImage(args.positional[1]))
        return fail(QCoreApplication::translate("KestrinGallery",
                        "画像を読み込めません。ギャラリーには何も追加されていません。\n")
            + args.positional[1]);
    if (args.values.contains("--crop")) {
        const QStringList parts = args.values.value("--crop").split(QLatin1Char(','));
        QVector<int> v;
        for (const QString& part : parts) {
            bool isNumber = false;
            v << part.trimmed().toInt(&isNumber);
            if (!isNumber)
                return fail(QStringLiteral("--crop needs X,Y,W,H in picture pixels"));
        }
        if (v.size() != 4 || v[2] <= 0 || v[3] <= 0)
            return fail(QStringLiteral("--crop needs X,Y,W,H in picture pixels"));
        // The corners, as the dialog's rubber band gives them.
        picture.crop(v[0], v[1], v[0] + v[2], v[1] + v[3]);
    }
    const GalleryChange change
        = GalleryCatalogue::AddEntry(folder, catalogue, entry, picture.image());
    if (!change.ok())
        return fail(change.message());
    print(stdout, QFileInfo(change.picturePath()).fileName());
    return 0;
}

int change(const Arguments& args, const QString& folder, const QString& catalogue,
    const QVector<GalleryEntry>& entries)
{
    const bool remove = args.positional[0] == QLatin1String("delete");
    const bool changesGiven
        = args.values.size() > int(args.values.contains("--gallery")) || !args.flags.isEmpty();
    if (args.positional.size() != 2 || (remove && changesGiven))
        return usage();
    const std::optional<GalleryEntry> before
        = findEntry(entries, GalleryCatalogue::FolderPrefix(folder), args.positional[1]);
    if (!before)
        return fail(QCoreApplication::translate(
                        "KestrinGallery", "ギャラリーにその画像の項目がありません: ")
            + args.positional[1]);
    if (remove) {
        const GalleryChange done = GalleryCatalogue::DeleteEntry(folder, catalogue, *before);
        return done.ok() ? 0 : fail(done.message());
    }
    GalleryEntry after = *before;
    applyTexts(args, after);
    if (after.bracketName.isEmpty() || after.material.isEmpty() || after.wire.isEmpty())
        return fail(
            QCoreApplication::translate("KestrinGallery", "未設定のパラメータが存在します。"));
    const QString characters = GalleryCatalogue::UnwritableCharacters(catalogue,
        QStringList { after.bracketName, after.material, after.wire, after.vendor, after.memo }
            .join(QString()));
    if (!characters.isEmpty())
        return fail(
            QCoreApplication::translate("KestrinGallery", "次の文字はbracket.csvに保存できません: ")
            + characters);
    const GalleryChange done = GalleryCatalogue::EditEntry(folder, catalogue, *before, after);
    return done.ok() ? 0 : fail(done.message());
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    Language::apply(Language::chosen());
    const Arguments args = parse(app.arguments().mid(1));
    if (!args.error.isEmpty()) {
        fail(args.error);
        return usage();
    }
    if (args.positional.isEmpty())
        return usage();
    const QString folder = args.values.contains("--gallery")
        ? GalleryCatalogue::FolderPrefix(args.values.value("--gallery"))
        : GalleryCatalogue::GalleryFolder();
    const QString catalogue = folder + QStringLiteral("bracket.csv");
    const QString command = args.positional[0];

    if (command == QLatin1String("add"))
        return add(args, folder, catalogue);
    if (command == QLatin1String("check")) {
        if (args.positional.size() != 1)
            return usage();
        const QStringList problems = GalleryCatalogue::CheckGallery(folder, catalogue);
        for (const QString& problem : problems)
            print(stdout, problem);
        return problems.isEmpty() ? 0 : 1;
    }
    QVector<GalleryEntry> entries;
    if (!GalleryCatalogue::LoadCatalogue(folder, catalogue, entries))
        return fail(QCoreApplication::translate("KestrinGallery", "bracket.csvが見つかりません\n")
            + QDir::toNativeSeparators(folder));
    if (command == QLatin1String("list"))
        return args.positional.size() == 1 ? list(entries, GalleryCatalogue::FolderPrefix(folder))
                                           : usage();
    if (command == QLatin1String("edit") || command == QLatin1String("delete"))
        return change(args, folder, catalogue, entries);
    return usage();
}
