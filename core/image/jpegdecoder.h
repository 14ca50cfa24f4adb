// Decodes the JPEG photographs and pictures PictureReader reads with libjpeg itself,
// straight into Qt's 32-bit pixels. Qt's reader hands libjpeg 4 KiB of the file at a
// time, which keeps libjpeg off its quick path for most blocks, and converts every
// row afterwards; reading large pieces and writing the pixels in place takes a
// twentieth off a scaled decode and a tenth off a full one. The pixels are libjpeg's
// own at its scales, which are Qt's reader's too wherever it takes the same scale (a
// picture whose sides the divisor does not divide it decodes finer and resamples).
// The file's resolution and colour profile come with them, as from Qt's reader.
#pragma once

#include <QImage>
#include <QSize>

#include <optional>

class JpegDecoder {
public:
    // Decodes the JPEG in the regular file open as `fd`, read from its first byte
    // whatever the descriptor's position, at `size`: the stored size or one libjpeg
    // reaches while decoding (the stored size divided by 2, 4 or 8, rounded up).
    // Opaque RGB32, a null image when the file is damaged, or nothing when this
    // decoder does not take the file: CMYK and other colour spaces, or another size.
    static std::optional<QImage> decode(int fd, QSize size);
};
