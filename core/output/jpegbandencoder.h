// Streams a picture into a JPEG file through libjpeg a band of scanlines at a
// time, so that a picture too large to hold whole is never built in memory.
#pragma once

#include <memory>

class QImage;
class QIODevice;

// Usage: begin(), then writeRows() until every row of the picture has been given,
// then finish(). After any call returns false the encoder is spent; the caller
// throws the device's contents away.
class JpegBandEncoder {
public:
    // The device must be open for writing and outlive the encoder.
    explicit JpegBandEncoder(QIODevice* device);
    ~JpegBandEncoder();
    JpegBandEncoder(const JpegBandEncoder&) = delete;
    JpegBandEncoder& operator=(const JpegBandEncoder&) = delete;

    // libjpeg's default settings: quality 75, 4:2:0, baseline, as a plain save of a
    // picture gets them.
    bool begin(int width, int height);
    // Appends the first `rows` scanlines of band, a 32-bit picture in Qt's (A)RGB32
    // layout exactly width() pixels wide; alpha is ignored.
    bool writeRows(const QImage& band, int rows);
    bool finish();

private:
    struct Private;
    std::unique_ptr<Private> d;
};
