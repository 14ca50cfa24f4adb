// The rows of the bracket list that match the filter box: those whose bracket
// name, material or wire contains the typed text, ignoring case, in the order
// of the underlying GalleryListModel.
#pragma once

#include <QSortFilterProxyModel>

class GalleryFilterModel : public QSortFilterProxyModel {
    Q_OBJECT

public:
    explicit GalleryFilterModel(QObject* parent = nullptr);

    // Empty shows every row; surrounding blanks are ignored.
    void SetFilterText(const QString& text);
    QString FilterText() const { return m_text; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString m_text;
};
