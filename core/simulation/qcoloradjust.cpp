#include "core/simulation/qcoloradjust.h"

#include <QSemaphore>
#include <QThreadPool>
#include <QtGlobal>

#include <cstring>
#include <functional>
#include <limits>

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

// Without VBMI the widest byte lookup is AVX2's 16-entry in-lane shuffle, which
// gives zero for an index with its top bit set. Sixteen pixels' bytes of one channel
// are first gathered into one register (an in-lane byte shuffle, then a 4 x 4 dword
// transpose; both are their own inverses and put the bytes back afterwards). A table
// is looked up in two halves of eight 16-entry pieces: for a byte x below 128 and
// piece k, x + 0x70 - 16k (saturating) keeps its low nibble and has its top bit clear
// exactly when x < 16k + 16, so XOR-ing the pieces stored as differences of
// neighbours (piece k XOR piece k + 1, the last as it is) leaves entry x alone. The
// upper half does the same with the top bit of x flipped; each half gives zero for
// the other's bytes. Alpha is carried through untouched.
struct ShuffleTables {
    __m256i piece[3][16]; // blue, green, red; in both lanes
};

ShuffleTables shuffleTables(const QColorAdjust::Table& blue, const QColorAdjust::Table& green,
    const QColorAdjust::Table& red)
{
    ShuffleTables t;
    const QColorAdjust::Table* tables[3] = { &blue, &green, &red };
    for (int channel = 0; channel < 3; ++channel) {
        const QColorAdjust::Table& table = *tables[channel];
        for (int k = 0; k < 16; ++k) {
            alignas(32) uchar bytes[32];
            for (int i = 0; i < 16; ++i) {
                const bool last = k % 8 == 7;
                bytes[i] = uchar(table[size_t(16 * k + i)] ^ (last ? 0 : table[size_t(16 * k + 16 + i)]));
                bytes[i + 16] = bytes[i];
            }
            std::memcpy(&t.piece[channel][k], bytes, sizeof bytes);
        }
    }
    return t;
}

__attribute__((target("avx2"))) inline __m256i lookupShuffle(__m256i v, const __m256i* pieces)
{
    const __m256i upper = _mm256_xor_si256(v, _mm256_set1_epi8(char(0x80)));
    __m256i result = _mm256_setzero_si256();
    for (int k = 0; k < 8; ++k) {
        const __m256i shift = _mm256_set1_epi8(char(0x70 - 16 * k));
        result = _mm256_xor_si256(
            result, _mm256_shuffle_epi8(pieces[k], _mm256_adds_epu8(v, shift)));
        result = _mm256_xor_si256(
            result, _mm256_shuffle_epi8(pieces[8 + k], _mm256_adds_epu8(upper, shift)));
    }
    return result;
}

__attribute__((target("avx2"))) inline void transposeDwords(
    __m256i& a, __m256i& b, __m256i& c, __m256i& d)
{
    const __m256i ab0 = _mm256_unpacklo_epi32(a, b), ab1 = _mm256_unpackhi_epi32(a, b);
    const __m256i cd0 = _mm256_unpacklo_epi32(c, d), cd1 = _mm256_unpackhi_epi32(c, d);
    a = _mm256_unpacklo_epi64(ab0, cd0);
    b = _mm256_unpackhi_epi64(ab0, cd0);
    c = _mm256_unpacklo_epi64(ab1, cd1);
    d = _mm256_unpackhi_epi64(ab1, cd1);
}

__attribute__((target("avx2"))) void applyRowShuffle(const QRgb* in, QRgb* out, int count,
    const QColorAdjust::Table& blue, const QColorAdjust::Table& green,
    const QColorAdjust::Table& red)
{
    const ShuffleTables t = shuffleTables(blue, green, red);
    // Within each lane of four pixels: the four blue bytes, then green, red, alpha.
    const __m256i group = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15,
        0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m256i ungroup = _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11,
        15, 0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    int x = 0;
    for (; x + 32 <= count; x += 32) {
        const auto* src = reinterpret_cast<const __m256i*>(in + x);
        __m256i b = _mm256_shuffle_epi8(_mm256_loadu_si256(src), group);
        __m256i g = _mm256_shuffle_epi8(_mm256_loadu_si256(src + 1), group);
        __m256i r = _mm256_shuffle_epi8(_mm256_loadu_si256(src + 2), group);
        __m256i a = _mm256_shuffle_epi8(_mm256_loadu_si256(src + 3), group);
        transposeDwords(b, g, r, a);
        b = lookupShuffle(b, t.piece[0]);
        g = lookupShuffle(g, t.piece[1]);
        r = lookupShuffle(r, t.piece[2]);
        transposeDwords(b, g, r, a);
        auto* dst = reinterpret_cast<__m256i*>(out + x);
        _mm256_storeu_si256(dst, _mm256_shuffle_epi8(b, ungroup));
        _mm256_storeu_si256(dst + 1, _mm256_shuffle_epi8(g, ungroup));
        _mm256_storeu_si256(dst + 2, _mm256_shuffle_epi8(r, ungroup));
        _mm256_storeu_si256(dst + 3, _mm256_shuffle_epi8(a, ungroup));
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

bool cpuHasShufflePath()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}
#endif

// KESTRIN_NO_VBMI=1 takes the path of a processor without AVX-512 VBMI, so that one
// machine can run, test and time both. Read on every call: it costs nothing next to
// a picture, and a test or benchmark may switch it between calls.
RowFunction bestRowFunction()
{
#ifdef KESTRIN_PERMUTE_PATH
    static const bool permute = cpuHasPermutePath();
    static const bool shuffle = cpuHasShufflePath();
    if (permute && qEnvironmentVariableIntValue("KESTRIN_NO_VBMI") == 0)
        return applyRowPermute;
    return shuffle ? applyRowShuffle : applyRowPortable;
#else
    return applyRowPortable;
#endif
}

// Pictures below this many pixels are adjusted on the calling thread alone: for
// them, handing half to another core costs more than it saves.
constexpr qint64 SplitPixels = 256 * 1024;

// Runs work(first, end) over [0, count): half on a pooled thread when the picture is
// large and a pooled thread is free at once, so that a busy pool never makes the
// caller wait.
void splitOverCores(qint64 pixels, int count, const std::function<void(int, int)>& work)
{
    const int half = count / 2;
    QSemaphore done;
    if (pixels < SplitPixels || half == 0
        || !QThreadPool::globalInstance()->tryStart([&] {
               work(half, count);
               done.release();
           })) {
        work(0, count);
        return;
    }
    work(0, half);
    done.acquire();
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
    const qint64 pixels = qint64(width) * height;
    // Without padding the picture is one long row, so the vector paths set up their
    // tables once; constBits first so that dst == src does not detach a shared
    // source needlessly.
    if (src.bytesPerLine() == qsizetype(width) * 4 && dst.bytesPerLine() == qsizetype(width) * 4
        && pixels <= std::numeric_limits<int>::max()) {
        const QRgb* in = reinterpret_cast<const QRgb*>(src.constBits());
        QRgb* out = reinterpret_cast<QRgb*>(dst.bits());
        splitOverCores(pixels, int(pixels), [&](int first, int end) {
            row(in + first, out + first, end - first, blue, green, red);
        });
        return true;
    }
    // Rows are fetched before any thread starts: a shared picture detaches here.
    uchar* outBits = dst.bits();
    splitOverCores(pixels, height, [&](int first, int end) {
        for (int y = first; y < end; ++y) {
            const QRgb* in = reinterpret_cast<const QRgb*>(src.constScanLine(y));
            QRgb* out = reinterpret_cast<QRgb*>(outBits + y * dst.bytesPerLine());
            row(in, out, width, blue, green, red);
        }
    });
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

const char* QColorAdjust::pathName()
{
    const RowFunction row = bestRowFunction();
#ifdef KESTRIN_PERMUTE_PATH
    if (row == applyRowPermute)
        return "avx512vbmi";
    if (row == applyRowShuffle)
        return "avx2";
#endif
    Q_UNUSED(row);
    return "portable";
}
