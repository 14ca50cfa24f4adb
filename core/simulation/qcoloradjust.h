// Pixel rules of the bracket colour adjustments (brightness/contrast and colour
// balance): image in, image out, no drawing library involved.
#pragma once

#include <QImage>

#include <array>

class QColorAdjust {
public:
    // One output byte for each input byte of a channel.
    using Table = std::array<uchar, 256>;

    // contrast and brightness are percentages (0 to 200, neutral 100).
    static Table brightnessContrastTable(int contrast, int brightness);

    // packed = red + green * 256 + blue * 65536, each 0 to 255, neutral 128.
    // Returns the tables in memory byte order: blue, green, red.
    static std::array<Table, 3> colorBalanceTables(quint32 packed);

    // Writes src into dst with every blue, green and red byte passed through its
    // table and alpha copied unchanged. Both must be Format_ARGB32 of the same size,
    // dst already allocated; otherwise nothing is written and false is returned.
    static bool apply(
        const QImage& src, QImage& dst, const Table& blue, const Table& green, const Table& red);

    // apply() through the plain one-byte-at-a-time loop whatever the processor, so
    // that tests and the benchmark can hold the vector path against it.
    static bool applyPortable(
        const QImage& src, QImage& dst, const Table& blue, const Table& green, const Table& red);

    // True when apply() takes a vector path on this processor: the 64-byte table
    // permute with AVX-512 VBMI, else the 16-byte shuffle with AVX2. The environment
    // variable KESTRIN_NO_VBMI=1 makes apply() act as on a processor without VBMI.
    static bool hasVectorPath();
    // The path apply() takes now: "avx512vbmi", "avx2" or "portable".
    static const char* pathName();
};
