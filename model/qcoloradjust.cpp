#include "model/qcoloradjust.h"

#include <QtGlobal>

QColorAdjust::Table QColorAdjust::brightnessContrastTable(int contrast, int brightness)
{
    // Both factors are fixed point with 128 as one; every division truncates toward
    // zero, which is what C++ integer division does, so the odd byte values near 128
    // come out exactly as the adjustment dialog users know them.
    const int fc = contrast * 128 / 100;
    const int fb = brightness * 128 / 100;
    Table table;
    for (int c = 0; c < 256; ++c) {
        int t = (c - 128) * fc / 128 + 128;
        if (t >= 255)
            t = 255;
        else if (t <= 0)
            t = 0;
        int u = t * fb / 128;
        if (u >= 255)
            u = 255;
        // Only a negative brightness, which the dialog cannot produce, goes below 0.
        table[c] = uchar(qMax(u, 0));
    }
    return table;
}

std::array<QColorAdjust::Table, 3> QColorAdjust::colorBalanceTables(quint32 packed)
{
    const int deltaRed = int(packed & 0xFF) - 128;
    const int deltaGreen = int((packed >> 8) & 0xFF) - 128;
    const int deltaBlue = int((packed >> 16) & 0xFF) - 128;
    std::array<Table, 3> tables;
    const int deltas[3] = { deltaBlue, deltaGreen, deltaRed };
    for (int channel = 0; channel < 3; ++channel)
        for (int c = 0; c < 256; ++c)
            tables[channel][c] = uchar(qBound(0, c + deltas[channel], 255));
    return tables;
}

void QColorAdjust::apply(
    const QImage& src, QImage& dst, const Table& blue, const Table& green, const Table& red)
{
    Q_ASSERT(src.format() == QImage::Format_ARGB32 && dst.format() == QImage::Format_ARGB32);
    Q_ASSERT(src.size() == dst.size());
    const int width = src.width();
    const int height = src.height();
    // Rows are walked separately because bytesPerLine may carry padding; constBits
    // first so that dst == src does not detach a shared source needlessly.
    for (int y = 0; y < height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb p = in[x];
            out[x] = (p & 0xFF000000u) | (quint32(red[(p >> 16) & 0xFF]) << 16)
                | (quint32(green[(p >> 8) & 0xFF]) << 8) | quint32(blue[p & 0xFF]);
        }
    }
}
