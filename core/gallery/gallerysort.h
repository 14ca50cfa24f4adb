// Column sorting of the bracket list: which catalogue text a column compares, the
// order it yields, and the per-column direction flags behind the header arrows.
#pragma once

#include "core/gallery/galleryentry.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>

class GallerySort {
public:
    // Columns 0 to 2 are shown; 3 (vendor) and 4 (memo) can still be sorted by.
    static constexpr int ColumnCount = 5;

    // Index into the header's three images.
    enum HeaderImage { ImageDown = 0, ImageUp = 1, ImageNone = 2 };

    // A header click on `column`: returns true when this click sorts ascending
    // (the column's flag was set), false for descending, and inverts the flag.
    // The first click on a column therefore sorts descending. Columns outside
    // 0..ColumnCount-1 are ignored and give false.
    bool Click(int column);

    // All flags back to descending-first, no arrow shown.
    void Clear();

    // The header image of `column` after the clicks so far: the arrow of the
    // last sort on the clicked column, none on every other one.
    HeaderImage ImageFor(int column) const;

    int LastColumn() const { return m_lastColumn; }

    // The column and direction of the last sort, to apply again to freshly
    // loaded rows so that they match the arrow; false before any sort.
    bool Current(int& column, bool& ascending) const;

    // The entry text that `column` compares; empty outside 0..4.
    static QString ColumnText(const GalleryEntry& entry, int column);

    // Byte key: a case-sensitive byte comparison of the Japanese code page
    // (CP932) texts, so the list orders as on the practice's Windows machines
    // that share the gallery, half-width kana after kanji. Texts CP932 cannot
    // hold fall back to their UTF-8 bytes.
    static QByteArray SortKey(const QString& text);

    // The permutation that sorts `entries` by `column`: result[i] is the old
    // index of the entry that goes to row i. Stable, so equal texts keep their
    // relative order.
    static QVector<int> Order(const QVector<GalleryEntry>& entries, int column, bool ascending);

private:
    std::array<bool, ColumnCount> m_ascendingNext {};
    int m_lastColumn = -1;
};
