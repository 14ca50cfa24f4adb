// Opens a photograph in two steps so that a pane can show it well before a full
// decode could finish: at once a picture the JPEG decoder itself scaled down (by
// 1/2, 1/4 or 1/8 while decoding), then the full picture, decoded on another
// thread, for zoom and saving. Both are oriented as PhotoLoader::open orients.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <future>
#include <optional>

class ProgressivePhoto {
public:
    // Decodes the preview before returning and starts the full decode. `shownPixels`
    // is the largest size, in device pixels, the photograph will first be shown at:
    // the preview is the smallest scaled decode at least half as large each way (a
    // moment of a slightly soft picture), or the full picture when none is smaller.
    ProgressivePhoto(const QString& path, QSize shownPixels);
    // The same with the record's flags already looked up (PhotoLoader::recordFlags),
    // so that the preview can be decoded on a thread that never opens the database.
    // The full decode waits for startFullDecode(): started beside a window being
    // built, it would take the processor from the first frame.
    ProgressivePhoto(const QString& path, QSize shownPixels, std::optional<unsigned char> flags);
    // Waits for the full decode, so that no thread outlives the object.
    ~ProgressivePhoto();
    ProgressivePhoto(const ProgressivePhoto&) = delete;
    ProgressivePhoto& operator=(const ProgressivePhoto&) = delete;

    // The full picture's size after orientation; empty when the file cannot be read.
    QSize fullSize() const { return m_fullSize; }
    // Opaque RGB32, oriented, its size the full size divided by `previewDivisor()`
    // (rounded up); null when the file cannot be read.
    const QImage& preview() const { return m_preview; }
    int previewDivisor() const { return m_divisor; }
    // The photo database's orientation flags for the photograph, applied to both
    // pictures; none when it has no record (its EXIF orientation is used then).
    std::optional<unsigned char> recordFlags() const { return m_flags; }

    // Starts the full decode on another thread unless it is under way or done.
    void startFullDecode();

    // Whether takeFull() would return without waiting.
    bool fullReady() const;
    // The full picture, waiting for its decode when needed; null when it failed or
    // was already taken.
    QImage takeFull();
    // Hands the full decode to a new owner (whose future then joins the thread when
    // it is dropped); takeFull() returns null afterwards.
    std::future<QImage> releaseFull() { return std::move(m_full); }

    // The divisor (1, 2, 4 or 8) for a picture of `stored` pixels first shown at
    // `shownPixels`; either size may be turned a quarter.
    static int divisorFor(QSize stored, QSize shownPixels);

private:
    ProgressivePhoto(
        const QString& path, QSize shownPixels, std::optional<unsigned char> flags, bool fullAtOnce);

    QSize m_fullSize;
    QImage m_preview;
    int m_divisor = 1;
    std::optional<unsigned char> m_flags;
    QString m_path;
    bool m_fullStarted = false;
    std::future<QImage> m_full;
};
