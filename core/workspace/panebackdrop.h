// One pane's still picture, composed once in device pixels: the photograph and the
// brackets that do not move while the selected one is dragged. A drag frame then
// costs one copy of the pane plus the moving bracket, instead of the photograph
// and every bracket again.
#pragma once

#include <QByteArray>
#include <QImage>

class PaneBackdrop {
public:
    // Whether the picture was composed from exactly `key` (a digest of everything
    // drawn into it, the device-pixel ratio and the pane's size included).
    bool isCurrent(const QByteArray& key) const { return !m_image.isNull() && key == m_key; }

    // An opaque picture of `logicalSize` at `devicePixelRatio`, to be composed anew
    // for `key`; its old pixels are left as they were. Null when it cannot be
    // allocated, and then nothing is remembered.
    QImage& recompose(const QByteArray& key, QSize logicalSize, qreal devicePixelRatio);

    // The composed picture; null before the first recompose or after clear().
    const QImage& image() const { return m_image; }
    // The same, to redraw parts of it that changed in a way its key leaves out.
    QImage& image() { return m_image; }
    void clear();

private:
    QByteArray m_key;
    QImage m_image;
};
