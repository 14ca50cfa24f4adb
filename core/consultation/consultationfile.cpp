#include "core/consultation/consultationfile.h"

#include "core/host/securefile.h"
#include "core/photo/photoloader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

const QString Format = QStringLiteral("kestrin-consultation");
// A canvas is never wider than the diagonal of the largest picture a bracket
// accepts; anything larger in a file was not written by us.
constexpr int MaxCanvasSide = 8000;
constexpr int MaxClipEntries = 100000;

// Strict readers: a value of the wrong kind makes the whole file damaged rather
// than quietly becoming 0.
bool readInt(const QJsonValue& value, int* out)
{
    if (!value.isDouble())
        return false;
    const double d = value.toDouble();
    if (d != std::floor(d) || std::abs(d) > 1e9)
        return false;
    *out = int(d);
    return true;
}

bool readReal(const QJsonValue& value, double* out)
{
    if (!value.isDouble() || !std::isfinite(value.toDouble()))
        return false;
    *out = value.toDouble();
    return true;
}

bool readBool(const QJsonValue& value, bool* out)
{
    if (!value.isBool())
        return false;
    *out = value.toBool();
    return true;
}

bool readString(const QJsonValue& value, QString* out)
{
    if (!value.isString())
        return false;
    *out = value.toString();
    return true;
}

bool readPoint(const QJsonValue& value, QPoint* out)
{
    const QJsonArray pair = value.toArray();
    int x = 0, y = 0;
    if (!value.isArray() || pair.size() != 2 || !readInt(pair[0], &x) || !readInt(pair[1], &y))
        return false;
    *out = QPoint(x, y);
    return true;
}

QJsonArray pointJson(const QPoint& p) { return QJsonArray { p.x(), p.y() }; }

QJsonObject entryJson(const GalleryEntry& e)
{
    return QJsonObject { { "picture", e.pictureName() }, { "bracket", e.bracketName },
        { "material", e.material }, { "wire", e.wire }, { "vendor", e.vendor }, { "memo", e.memo },
        { "side", e.side } };
}

bool readEntry(const QJsonObject& o, GalleryEntry* e)
{
    QString picture;
    const bool ok = readString(o["picture"], &picture) && readString(o["bracket"], &e->bracketName)
        && readString(o["material"], &e->material) && readString(o["wire"], &e->wire)
        && readString(o["vendor"], &e->vendor) && readString(o["memo"], &e->memo)
        && readString(o["side"], &e->side);
    e->picturePath = picture;
    e->side = GalleryEntry::sideFromField(e->side);
    return ok;
}

// The row of the gallery entry with the same catalogue line (picture name and
// texts; the gallery folder may have moved), or -1.
int findRow(const QVector<GalleryEntry>& gallery, const GalleryEntry& entry)
{
    const QString line = entry.catalogueLine();
    for (int row = 0; row < gallery.size(); ++row)
        if (gallery[row].catalogueLine() == line)
            return row;
    return -1;
}

QJsonObject bracketJson(const ConsultationFile::Bracket& b)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    b.picture.save(&buffer, "PNG");
    QJsonObject o { { "id", b.id }, { "path", b.path }, { "name", b.name }, { "output", b.output },
        { "sourceSize", pointJson({ b.sourceSize.width(), b.sourceSize.height() }) },
        { "position", pointJson(b.position) }, { "scale", b.scale }, { "angle", b.angle },
        { "picture", QString::fromLatin1(png.toBase64()) } };
    if (b.entry)
        o["entry"] = entryJson(*b.entry);
    return o;
}

ConsultationFile::Error readBracket(const QJsonObject& o, ConsultationFile::Bracket* b)
{
    QPoint source;
    QString base64;
    if (!readInt(o["id"], &b->id) || !readString(o["path"], &b->path)
        || !readString(o["name"], &b->name) || !readBool(o["output"], &b->output)
        || !readPoint(o["sourceSize"], &source) || !readPoint(o["position"], &b->position)
        || !readReal(o["scale"], &b->scale) || !readReal(o["angle"], &b->angle)
        || !readString(o["picture"], &base64) || b->scale <= 0 || b->scale > 100)
        return ConsultationFile::Damaged;
    b->sourceSize = QSize(source.x(), source.y());
    if (o.contains("entry")) {
        GalleryEntry entry;
        if (!o["entry"].isObject() || !readEntry(o["entry"].toObject(), &entry))
            return ConsultationFile::Damaged;
        b->entry = entry;
    }
    const auto decoded = QByteArray::fromBase64Encoding(
        base64.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return ConsultationFile::BadPicture;
    const QImage picture = QImage::fromData(*decoded, "PNG");
    if (picture.isNull() || picture.width() != picture.height() || picture.width() > MaxCanvasSide)
        return ConsultationFile::BadPicture;
    b->picture = picture.convertToFormat(QImage::Format_ARGB32);
    return ConsultationFile::NoError;
}

} // namespace

QString ConsultationFile::message(Error error)
{
    switch (error) {
    case NoError:
        return {};
    case Unreadable:
        return QCoreApplication::translate("ConsultationFile", "相談ファイルを読み込めません。");
    case TooLarge:
        return QCoreApplication::translate(
            "ConsultationFile", "相談ファイルが大きすぎるため開けません。");
    case Damaged:
        return QCoreApplication::translate(
            "ConsultationFile", "相談ファイルが壊れているため開けません。");
    case WrongVersion:
        return QCoreApplication::translate(
            "ConsultationFile", "この版の相談ファイルには対応していないため開けません。");
    case BadPicture:
        return QCoreApplication::translate(
            "ConsultationFile", "相談ファイル内のブラケット画像が壊れているため開けません。");
    case WriteFailed:
        return QCoreApplication::translate("ConsultationFile", "相談の保存に失敗しました。");
    case PhotoUnreadable:
        return QCoreApplication::translate(
            "ConsultationFile", "写真を読み込めないため、相談を開けません。");
    case PhotoMismatch:
        return QCoreApplication::translate(
            "ConsultationFile", "写真の大きさが保存時と異なるため、相談を開けません。");
    }
    return {};
}

ConsultationFile ConsultationFile::capture(
    const Workspace& ws, const QVector<GalleryEntry>& gallery)
{
    ConsultationFile file;
    file.photoPath = ws.m_strPhotoPath;
    file.photoHash = hashFile(ws.m_strPhotoPath);
    file.photoSize = QSize(ws.photoWidth(), ws.photoHeight());
    file.photoFlags = ws.m_nPhotoFlags;
    file.clipPoints = ws.m_clip.GetPoints();
    file.clipClosed = ws.m_bClipClosed;
    file.paneCount = ws.m_layout.paneCount();
    file.workSlot = ws.m_layout.workSlot();
    file.activePane = ws.m_layout.activePane();
    file.zoom = ws.m_dZoom;
    file.fitSize = ws.m_bFitSize;
    file.bracketSerial = ws.m_nBracketSerial;
    for (size_t s = 0; s < ws.m_slot.size(); ++s) {
        const PaneSlot& slot = ws.m_slot[s];
        file.slotStates[s].selected = slot.nSelected;
        for (const QBracket& q : slot.arBrackets) {
            Bracket b;
            b.id = q.m_nId;
            b.path = q.m_strPath;
            b.name = q.m_strName;
            b.output = q.m_bOutput;
            if (q.m_nListItem >= 0 && q.m_nListItem < gallery.size())
                b.entry = gallery[q.m_nListItem];
            // The committed picture: an adjustment still being previewed in a
            // dialog has not been accepted.
            b.picture = q.m_pBase;
            b.sourceSize = q.m_sizeSrc;
            b.position = q.GetPos();
            b.scale = q.m_dScale;
            b.angle = q.m_dAngle;
            file.slotStates[s].brackets.append(b);
        }
    }
    return file;
}

QByteArray ConsultationFile::toJson() const
{
    QJsonArray clip;
    for (const QPoint& p : clipPoints)
        clip.append(pointJson(p));
    QJsonArray slotArray;
    for (const Slot& slot : slotStates) {
        QJsonArray brackets;
        for (const Bracket& b : slot.brackets)
            brackets.append(bracketJson(b));
        slotArray.append(QJsonObject { { "selected", slot.selected }, { "brackets", brackets } });
    }
    const QJsonObject root {
        { "format", Format },
        { "version", Version },
        { "photo",
            QJsonObject { { "path", photoPath },
                { "sha256", QString::fromLatin1(photoHash.toHex()) },
                { "size", pointJson({ photoSize.width(), photoSize.height() }) },
                { "orientationFlags", photoFlags } } },
        { "clip", QJsonObject { { "points", clip }, { "closed", clipClosed } } },
        { "panes",
            QJsonObject {
                { "count", paneCount }, { "workSlot", workSlot }, { "active", activePane } } },
        { "zoom", zoom },
        { "fitSize", fitSize },
        { "bracketSerial", bracketSerial },
        { "slots", slotArray },
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ConsultationFile> ConsultationFile::fromJson(const QByteArray& json, Error* error)
{
    Error dummy;
    Error& err = error ? *error : dummy;
    err = Damaged;
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parse);
    if (parse.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject root = doc.object();
    int version = 0;
    if (root["format"].toString() != Format || !readInt(root["version"], &version))
        return std::nullopt;
    if (version != Version) {
        err = WrongVersion;
        return std::nullopt;
    }

    ConsultationFile f;
    const QJsonObject photo = root["photo"].toObject();
    const QJsonObject clip = root["clip"].toObject();
    const QJsonObject panes = root["panes"].toObject();
    QString hash;
    QPoint size;
    if (!readString(photo["path"], &f.photoPath) || !readString(photo["sha256"], &hash)
        || !readPoint(photo["size"], &size) || !readInt(photo["orientationFlags"], &f.photoFlags)
        || !readBool(clip["closed"], &f.clipClosed) || !readInt(panes["count"], &f.paneCount)
        || !readInt(panes["workSlot"], &f.workSlot) || !readInt(panes["active"], &f.activePane)
        || !readReal(root["zoom"], &f.zoom) || !readBool(root["fitSize"], &f.fitSize)
        || !readInt(root["bracketSerial"], &f.bracketSerial))
        return std::nullopt;
    f.photoHash = QByteArray::fromHex(hash.toLatin1());
    f.photoSize = QSize(size.x(), size.y());
    if (f.photoHash.size() != 32 || f.photoSize.isEmpty() || f.photoFlags < -1 || f.photoFlags > 255
        || (f.paneCount != 1 && f.paneCount != 2 && f.paneCount != 4) || f.workSlot < 1
        || f.workSlot >= Workspace::SlotCount || f.activePane < 0
        || f.activePane >= PaneLayout::GridPanes || f.zoom <= 0 || f.zoom > 100)
        return std::nullopt;

    const QJsonArray points = clip["points"].toArray();
    if (!clip["points"].isArray() || points.size() > MaxClipEntries)
        return std::nullopt;
    for (const QJsonValue& value : points) {
        QPoint p;
        if (!readPoint(value, &p))
            return std::nullopt;
        f.clipPoints.append(p);
    }

    const QJsonArray slotArray = root["slots"].toArray();
    if (slotArray.size() != Workspace::SlotCount)
        return std::nullopt;
    for (int s = 0; s < Workspace::SlotCount; ++s) {
        const QJsonObject slot = slotArray[s].toObject();
        Slot& out = f.slotStates[size_t(s)];
        if (!slot["brackets"].isArray() || !readInt(slot["selected"], &out.selected))
            return std::nullopt;
        for (const QJsonValue& value : slot["brackets"].toArray()) {
            Bracket b;
            if (!value.isObject())
                return std::nullopt;
            const Error bracketError = readBracket(value.toObject(), &b);
            if (bracketError != NoError) {
                err = bracketError;
                return std::nullopt;
            }
            out.brackets.append(b);
        }
        if (out.selected < -1 || out.selected >= out.brackets.size())
            return std::nullopt;
    }
    err = NoError;
    return f;
}

ConsultationFile::Error ConsultationFile::save(const QString& path) const
{
    return SecureFile::writeFile(path, toJson(), SecureFile::ordinaryMode()) == SecureFile::NoError
        ? NoError
        : WriteFailed;
}

std::optional<ConsultationFile> ConsultationFile::load(const QString& path, Error* error)
{
    Error dummy;
    Error& err = error ? *error : dummy;
    // Refused by its size first, so a huge file is never read into memory.
    const QFileInfo info(path);
    if (!info.isFile()) {
        err = Unreadable;
        return std::nullopt;
    }
    if (info.size() > MaxFileBytes) {
        err = TooLarge;
        return std::nullopt;
    }
    QByteArray bytes;
    // One byte more than allowed: a file that grew since it was measured is
    // still caught.
    if (SecureFile::readFile(path, MaxFileBytes + 1, &bytes, true) != SecureFile::NoError) {
        err = Unreadable;
        return std::nullopt;
    }
    if (bytes.size() > MaxFileBytes) {
        err = TooLarge;
        return std::nullopt;
    }
    return fromJson(bytes, error);
}

QByteArray ConsultationFile::hashFile(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return {};
    return hash.result();
}

ConsultationFile::PhotoState ConsultationFile::checkPhoto(const QString& path) const
{
    if (!QFileInfo(path).isFile())
        return PhotoState::Missing;
    return hashFile(path) == photoHash ? PhotoState::Same : PhotoState::Changed;
}

QImage ConsultationFile::readPhoto(const QString& path, Error* error) const
{
    QImage photo = PhotoLoader::read(path, photoFlags);
    Error result = NoError;
    if (photo.isNull())
        result = PhotoUnreadable;
    else if (photo.size() != photoSize)
        result = PhotoMismatch;
    if (error)
        *error = result;
    return result == NoError ? photo : QImage();
}

void ConsultationFile::applyTo(Workspace& ws, const QString& photoFile, QImage photo,
    const QVector<GalleryEntry>& gallery) const
{
    ws.m_pPhoto = std::make_unique<QImage>(std::move(photo));
    ws.m_strPhotoPath = QFileInfo(photoFile).absoluteFilePath();
    ws.m_nPhotoFlags = photoFlags;
    ws.resetForNewPhoto();

    ws.m_clip.SetPoints(clipPoints, clipClosed);
    ws.m_bClipClosed = clipClosed;
    ws.m_nClipPoint = -1;
    ws.m_dZoom = zoom;
    ws.m_bFitSize = fitSize;
    ws.m_nBracketSerial = bracketSerial;

    // Choosing a pane count puts the working slot back to 1, and it moves only
    // while one or two panes show; four panes keep it for when fewer show again.
    PaneLayout& layout = ws.m_layout;
    layout.setPaneCount(paneCount == 4 ? 1 : paneCount);
    while (layout.workSlot() < workSlot && layout.nextWorkSlot()) { }
    while (layout.workSlot() > workSlot && layout.previousWorkSlot()) { }
    if (paneCount == 4)
        layout.setPaneCount(4);
    layout.setActivePane(activePane);

    for (size_t s = 0; s < slotStates.size(); ++s) {
        PaneSlot& slot = ws.m_slot[s];
        for (int i = 0; i < slotStates[s].brackets.size(); ++i) {
            const Bracket& b = slotStates[s].brackets[i];
            QBracket q;
            q.m_nId = b.id;
            q.m_nListItem = b.entry ? findRow(gallery, *b.entry) : -1;
            q.m_strPath = b.path;
            q.m_strName = b.name;
            q.m_bOutput = b.output;
            q.m_pImage = b.picture;
            q.m_pBase = b.picture;
            q.m_sizeSrc = b.sourceSize;
            q.m_dScale = b.scale;
            q.m_dAngle = b.angle;
            q.m_ptPos = b.position;
            q.m_size = QSize(int(b.picture.width() * b.scale), int(b.picture.height() * b.scale));
            q.m_ptGrab = QPoint(q.m_size.width() / 2, q.m_size.height() / 2);
            q.m_bSelected = i == slotStates[s].selected;
            q.UpdateFrames();
            slot.arBrackets.push_back(q);
        }
        slot.nSelected = slotStates[s].selected;
    }
}
