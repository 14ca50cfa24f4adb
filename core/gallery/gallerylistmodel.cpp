#include "core/gallery/gallerylistmodel.h"

#include "core/gallery/gallerysort.h"

GalleryListModel::GalleryListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int GalleryListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int GalleryListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ShownColumns;
}

QVariant GalleryListModel::data(const QModelIndex& index, int role) const
{
    const GalleryEntry* entry = EntryAt(index.row());
    if (!entry || index.column() < 0 || index.column() >= ShownColumns)
        return QVariant();
    if (role == Qt::DisplayRole)
        return GallerySort::ColumnText(*entry, index.column());
    // The texts the columns have no room for: the whole entry, vendor and memo too.
    if (role == Qt::ToolTipRole)
        return QStringList { entry->bracketName, entry->material, entry->wire,
            tr("メーカー: ") + entry->vendor, tr("メモ: ") + entry->memo,
            entry->isInner() ? tr("内側（舌側）") : tr("外側（唇側）") }
            .join(QLatin1Char('\n'));
    return QVariant();
}

Qt::ItemFlags GalleryListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QVariant GalleryListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case 0:
        return tr("ﾌﾞﾗｹｯﾄ");
    case 1:
        return tr("素材");
    case 2:
        return tr("ﾜｲﾔｰ");
    default:
        return QVariant();
    }
}

bool GalleryListModel::removeRows(int row, int count, const QModelIndex& parent)
{
    if (parent.isValid() || row < 0 || count <= 0 || row + count > m_entries.size())
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    m_entries.remove(row, count);
    endRemoveRows();
    return true;
}

void GalleryListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= GallerySort::ColumnCount)
        return;
    const QVector<int> newOrder
        = GallerySort::Order(m_entries, column, order == Qt::AscendingOrder);

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    QVector<int> newRowOf(m_entries.size());
    QVector<GalleryEntry> sorted;
    sorted.reserve(m_entries.size());
    for (int row = 0; row < newOrder.size(); ++row) {
        sorted.append(std::move(m_entries[newOrder[row]]));
        newRowOf[newOrder[row]] = row;
    }
    m_entries = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after.append(this->index(newRowOf.value(index.row(), index.row()), index.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void GalleryListModel::SetEntries(QVector<GalleryEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

const GalleryEntry* GalleryListModel::EntryAt(int row) const
{
    return row >= 0 && row < m_entries.size() ? &m_entries[row] : nullptr;
}

bool GalleryListModel::SetEntry(int row, const GalleryEntry& entry)
{
    if (!EntryAt(row))
        return false;
    m_entries[row] = entry;
    emit dataChanged(index(row, 0), index(row, ShownColumns - 1));
    return true;
}
