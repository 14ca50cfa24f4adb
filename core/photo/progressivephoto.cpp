#include "core/photo/progressivephoto.h"

#include "core/image/picturereader.h"
#include "core/photo/photoloader.h"

#include <chrono>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <optional>
#include <system_error>

namespace {

QImage decode(const QString& path, const std::optional<unsigned char>& flags, int divisor)
{
    return PhotoLoader::read(path, flags ? int(*flags) : -1, divisor);
}

} // namespace

int ProgressivePhoto::divisorFor(QSize stored, QSize shownPixels)
{
    const int longSide = qMax(stored.width(), stored.height());
    const int shortSide = qMin(stored.width(), stored.height());
    const int shownLong = qMax(shownPixels.width(), shownPixels.height());
    const int shownShort = qMin(shownPixels.width(), shownPixels.height());
    for (int divisor : { 8, 4, 2 }) {
        const int previewLong = (longSide + divisor - 1) / divisor;
        const int previewShort = (shortSide + divisor - 1) / divisor;
        if (2 * previewLong >= shownLong && 2 * previewShort >= shownShort)
            return divisor;
    }
    return 1;
}

ProgressivePhoto::ProgressivePhoto(const QString& path, QSize shownPixels)
    : ProgressivePhoto(path, shownPixels, PhotoLoader::recordFlags(path), true)
{
}

ProgressivePhoto::ProgressivePhoto(
    const QString& path, QSize shownPixels, std::optional<unsigned char> flags)
    : ProgressivePhoto(path, shownPixels, flags, false)
{
}

ProgressivePhoto::ProgressivePhoto(
    const QString& path, QSize shownPixels, std::optional<unsigned char> flags, bool fullAtOnce)
    : m_flags(flags)
    , m_path(path)
{
    // The preview is decoded from this reader, so the file is opened and its header
    // parsed once on the way to the first frame.
    PictureReader reader(path);
    if (!reader.canRead()) {
        m_fullStarted = true; // nothing to decode
        return;
    }
    const QSize stored = reader.size();
    // Only JPEG scales while decoding; any other format is read once, in full.
    if (reader.format() == "jpeg")
        m_divisor = divisorFor(stored, shownPixels);
    if (m_divisor == 1) {
        m_preview = PhotoLoader::read(reader, flags ? int(*flags) : -1, 1);
        m_fullSize = m_preview.size();
        std::promise<QImage> done;
        done.set_value(m_preview);
        m_full = done.get_future();
        m_fullStarted = true;
        return;
    }
    m_preview = PhotoLoader::read(reader, flags ? int(*flags) : -1, m_divisor);
    // The full decode starts once the preview is in hand: run side by side, the two
    // decodes share the memory bus and the caches, and the first frame, which is
    // what the clinician waits for, came later by about a tenth.
    if (fullAtOnce)
        startFullDecode();
    if (m_preview.isNull())
        return;
    // The preview shows which way the picture ended up turned.
    const bool turned = (m_preview.width() > m_preview.height()) != (stored.width() > stored.height());
    m_fullSize = turned ? stored.transposed() : stored;
}

void ProgressivePhoto::startFullDecode()
{
    if (m_fullStarted)
        return;
    m_fullStarted = true;
    const QString path = m_path;
    const std::optional<unsigned char> flags = m_flags;
    const auto full = [path, flags] {
        // Below the preview's priority: on a busy processor the first frame comes
        // first; on an idle one each decode has a core of its own anyway.
        setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
        return decode(path, flags, 1);
    };
    try {
        m_full = std::async(std::launch::async, full);
    } catch (const std::system_error&) {
        // No thread to be had: the full picture is decoded when it is first asked for.
        m_full = std::async(std::launch::deferred, [path, flags] { return decode(path, flags, 1); });
    }
}

ProgressivePhoto::~ProgressivePhoto()
{
    // A decode deferred for want of a thread has not started and need not run.
    if (m_full.valid()
        && m_full.wait_for(std::chrono::seconds(0)) != std::future_status::deferred)
        m_full.wait();
}

bool ProgressivePhoto::fullReady() const
{
    return m_full.valid()
        && m_full.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

QImage ProgressivePhoto::takeFull()
{
    return m_full.valid() ? m_full.get() : QImage();
}
