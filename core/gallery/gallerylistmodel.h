// The rows of the bracket list: one GalleryEntry per row, in display order, shown
// as three columns (bracket, material, wire). The rows own their entries.
#pragma once

#include "core/gallery/galleryentry.h"

#include <QAbstractTableModel>
#include <QVector>

class GalleryListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    static constexpr int ShownColumns = 3;

    explicit GalleryListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Rows can be dragged onto the panes.
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(
        int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    // Reorders the rows by GallerySort's rule for `column` (0..4, beyond the
    // shown ones too); selections and current rows follow their entries.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Replaces all rows.
    void SetEntries(QVector<GalleryEntry> entries);
    const QVector<GalleryEntry>& Entries() const { return m_entries; }
    // Null for a row that does not exist.
    const GalleryEntry* EntryAt(int row) const;
    // Replaces the entry of an existing row; false when there is no such row.
    bool SetEntry(int row, const GalleryEntry& entry);

private:
    QVector<GalleryEntry> m_entries;
};
