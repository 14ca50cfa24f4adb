// Encodes a picture as a baseline JPEG in horizontal strips that several threads
// can encode at once and that join, in order, into one file: the entropy coding
// restarts at every row of blocks, so a strip owes nothing to the one above it.
#pragma once

#include <memory>

class QByteArray;
class QImage;

// The strips of a picture, each from its own encode() and appended in order, are
// byte for byte the file libjpeg writes for the whole picture in one pass with a
// restart marker every row of blocks (and otherwise its defaults: quality 75,
// 4:2:0, baseline). One encoder serves one thread; it can encode any number of
// strips of one picture.
class JpegStripEncoder {
public:
    // Strips start on multiples of this many rows: eight rows of 16-pixel blocks,
    // so the restart markers a strip numbers from zero are the whole picture's.
    static constexpr int StripRows = 128;

    JpegStripEncoder(int width, int height);
    ~JpegStripEncoder();
    JpegStripEncoder(const JpegStripEncoder&) = delete;
    JpegStripEncoder& operator=(const JpegStripEncoder&) = delete;

    // Appends to *out the bytes of picture rows [top, top + rows), given as the
    // first `rows` scanlines of band, a 32-bit picture in Qt's (A)RGB32 layout the
    // picture's width wide (alpha is ignored). top is a multiple of StripRows, and
    // so is rows unless the strip is the last. The top strip brings the file's
    // headers, the last its end. False on any misuse or libjpeg failure; *out then
    // holds nothing usable.
    bool encode(const QImage& band, int top, int rows, QByteArray* out);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
