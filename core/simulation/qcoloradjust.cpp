#include "core/simulation/qcoloradjust.h"

#include <QtGlobal>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KESTRIN_PERMUTE_PATH 1
#endif

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

namespace {

using RowFunction = void (*)(const QRgb* in, QRgb* out, int count, const QColorAdjust::Table& blue,
    const QColorAdjust::Table& green, const QColorAdjust::Table& red);

void applyRowPortable(const QRgb* in, QRgb* out, int count, const QColorAdjust::Table& blue,
    const QColorAdjust::Table& green, const QColorAdjust::Table& red)
{
    for (int x = 0; x < count; ++x) {
        const QRgb p = in[x];
        out[x] = (p & 0xFF000000u) | (quint32(red[(p >> 16) & 0xFF]) << 16)
            | (quint32(green[(p >> 8) & 0xFF]) << 8) | quint32(blue[p & 0xFF]);
    }
}

#ifdef KESTRIN_PERMUTE_PATH
// A table lookup per byte does not vectorise with AVX2: there is no byte gather, and a
// dword gather over widened tables measured no faster than the same lookups made one at
// a time. AVX-512 VBMI, though, looks up 64 bytes in a 128-byte table with one permute.
// Each 256-entry table is two such halves, chosen by the byte's top bit. Every permute
// writes only the lanes of its own channel and half and passes the rest through from its
// index operand, so a lane still holds its source byte until the one permute that owns
// it, and alpha lanes are never touched.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void applyRowPermute(const QRgb* in,
    QRgb* out, int count, const QColorAdjust::Table& blue, const QColorAdjust::Table& green,
    const QColorAdjust::Table& red)
{
    const __m512i blue0 = _mm512_loadu_si512(blue.data());
    const __m512i blue1 = _mm512_loadu_si512(blue.data() + 64);
    const __m512i blue2 = _mm512_loadu_si512(blue.data() + 128);
    const __m512i blue3 = _mm512_loadu_si512(blue.data() + 192);
    const __m512i green0 = _mm512_loadu_si512(green.data());
    const __m512i green1 = _mm512_loadu_si512(green.data() + 64);
    const __m512i green2 = _mm512_loadu_si512(green.data() + 128);
    const __m512i green3 = _mm512_loadu_si512(green.data() + 192);
    const __m512i red0 = _mm512_loadu_si512(red.data());
    const __m512i red1 = _mm512_loadu_si512(red.data() + 64);
    const __m512i red2 = _mm512_loadu_si512(red.data() + 128);
    const __m512i red3 = _mm512_loadu_si512(red.data() + 192);
    // Byte lanes in memory order blue, green, red, alpha.
    const __mmask64 blueLanes = 0x1111111111111111ull;
    const __mmask64 greenLanes = blueLanes << 1;
    const __mmask64 redLanes = blueLanes << 2;
    int x = 0;
    for (; x + 16 <= count; x += 16) {
        __m512i v = _mm512_loadu_si512(in + x);
        const __mmask64 upper = _mm512_movepi8_mask(v);
        const __mmask64 lower = ~upper;
        v = _mm512_mask2_permutex2var_epi8(blue0, v, blueLanes & lower, blue1);
        v = _mm512_mask2_permutex2var_epi8(blue2, v, blueLanes & upper, blue3);
        v = _mm512_mask2_permutex2var_epi8(green0, v, greenLanes & lower, green1);
        v = _mm512_mask2_permutex2var_epi8(green2, v, greenLanes & upper, green3);
        v = _mm512_mask2_permutex2var_epi8(red0, v, redLanes & lower, red1);
        v = _mm512_mask2_permutex2var_epi8(red2, v, redLanes & upper, red3);
        _mm512_storeu_si512(out + x, v);
    }
    applyRowPortable(in + x, out + x, count - x, blue, green, red);
}

bool cpuHasPermutePath()
{
    // The runtime check includes the operating system's support for the wide registers.
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")
        && __builtin_cpu_supports("avx512vbmi");
}
#endif

RowFunction bestRowFunction()
{
#ifdef KESTRIN_PERMUTE_PATH
    static const RowFunction chosen = cpuHasPermutePath() ? applyRowPermute : applyRowPortable;
    return chosen;
#else
    return applyRowPortable;
#endif
}

bool applyRows(const QImage& src, QImage& dst, const QColorAdjust::Table& blue,
    const QColorAdjust::Table& green, const QColorAdjust::Table& red, RowFunction row)
{
    // The row functions read and write whole 32-bit pixels through raw pointers: any
    // other format or a smaller destination would be written past its end.
    if (src.isNull() || src.format() != QImage::Format_ARGB32
        || dst.format() != QImage::Format_ARGB32 || src.size() != dst.size())
        return false;
    const int width = src.width();
    const int height = src.height();
    // Rows are walked separately because bytesPerLine may carry padding; constBits
    // first so that dst == src does not detach a shared source needlessly.
    for (int y = 0; y < height; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(dst.scanLine(y));
        row(in, out, width, blue, green, red);
    }
    return true;
}

} // namespace

bool QColorAdjust::apply(
    const QImage& src, QImage& dst, const Table& blue, const Table& green, const Table& red)
{
    return applyRows(src, dst, blue, green, red, bestRowFunction());
}

bool QColorAdjust::applyPortable(
    const QImage& src, QImage& dst, const Table& blue, const Table& green, const Table& red)
{
    return applyRows(src, dst, blue, green, red, applyRowPortable);
}

bool QColorAdjust::hasVectorPath() { return bestRowFunction() != applyRowPortable; }
