// Writes the composite as a JPEG file: rendered and encoded band by band, through
// a temporary file that only replaces the chosen name once it is complete.
#pragma once

#include "core/output/jpegstripencoder.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CompositeRenderer;

class CompositeWriter {
public:
    // Composite rows rendered and encoded per step: one strip of the JPEG, whose
    // strips can be encoded side by side; the band buffer stays a few megabytes.
    static constexpr int BandRows = JpegStripEncoder::StripRows;
    // Threads encoding strips side by side, the calling one included.
    static constexpr int EncodingThreads = 2;
    // Bands rendered ahead of the ones being encoded.
    static constexpr int RenderAheadBands = 2;
    // Encoded strips that may wait for an earlier one before they are written.
    static constexpr int StripsAhead = 8;

    // Index of the image writer MIME type equal to mimeType (exact, case-sensitive),
    // with the matching writer format stored in *format when given; -1 when there
    // are no writers or none matches.
    static int findEncoder(const QString& mimeType, QByteArray* format = nullptr);

    // The path with ".jpg" appended unless its last four characters, in any letter
    // case, are ".jpg": result.JPG stays, result.jpeg becomes result.jpeg.jpg.
    static QString jpegPath(const QString& path);

    // Writes the composite to jpegPath(path) and returns whether the file was
    // written. progress is called after each band; returning false abandons the
    // save. On any failure the file under the final name is untouched: absent, or
    // the one that was there before.
    static bool saveComposite(const CompositeRenderer& renderer, const QString& path,
        const std::function<bool()>& progress = {});
};
