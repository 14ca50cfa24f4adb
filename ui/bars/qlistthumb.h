// The gallery list control: one row per catalogue entry, the selected row's
// picture and texts for the frame and panes, and dragging a row out of the list
// with the bracket picture under the cursor.
#pragma once

#include "core/gallery/gallerylistmodel.h"

#include <QPixmap>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <optional>

class QListThumb : public QTableView {
    Q_OBJECT

public:
    // Identities of the two notifications the list posts to its notify window.
    enum NotifyMessage { UM_THUMB_BEGINDRAG = 2026, UM_THUMB_DBLCLK = 2027 };

    // Drop handlers receive the dragged row, its picture path, the keyboard
    // modifiers held at the release, the release point in global (screen)
    // coordinates, and the picture's own size in pixels; the extended one also
    // the side flag (0 inner, 1 outer). Their result is not used by the list.
    using DropHandler = std::function<int(int row, const QString& path, Qt::KeyboardModifiers flags,
        int x, int y, int width, int height)>;
    using DropHandlerEx = std::function<int(int row, const QString& path,
        Qt::KeyboardModifiers flags, int x, int y, int width, int height, int sideFlag)>;
    // Shows a message to the user; replaceable so that tests need no dialog.
    using MessageFunction = std::function<void(QWidget* parent, const QString& text)>;

    explicit QListThumb(QWidget* parent = nullptr);

    // Sets up the list's look and clears its rows and picture paths.
    virtual void InitList();

    // Replaces the rows with the catalogue's entries whose pictures exist, in
    // file order. A catalogue that cannot be read shows "bracket.csvが見つかりません"
    // and leaves the list empty; returns false then.
    bool LoadCatalogue(const QString& folder, const QString& catalogueFile);
    // Rewrites the catalogue from the rows in their display order.
    bool SaveCatalogue(const QString& catalogueFile) const;

    int SelectedIndex() const; // -1 when no row is selected
    QString SelectedPicturePath() const; // empty when none
    int SelectedSideFlag() const; // 0 for a selected inner entry, else 1
    // Copies the selected row's three column texts; false and nothing written
    // without a selection.
    bool SelectedTexts(QString& bracket, QString& material, QString& wire) const;
    // Sets the selected entry's picture path (when given) and its three texts;
    // vendor, memo and side stay. Nothing without a selection.
    void UpdateSelected(const std::optional<QString>& path, const QString& bracket,
        const QString& material, const QString& wire);
    void DeleteSelected();
    QString BracketNameAt(int row) const; // empty for a row that does not exist
    QString TipTextAt(int row) const; // empty for a row that does not exist

    void SetNotifyWindow(QObject* window);
    void SetDropHandler(DropHandler handler);
    void SetDropHandlerEx(DropHandlerEx handler);
    void SetMessageFunction(MessageFunction function);

    GalleryListModel* Model() const { return m_model; }
    // Picture paths in load order; unlike the rows, not reordered by sorting.
    const QStringList& PicturePaths() const { return m_picturePaths; }
    // Moved by the left and right arrow keys, within 0..rows-1.
    int CurrentIndex() const { return m_nCurrent; }
    QSize ThumbSize() const { return m_thumbSize; }

    // The drag image of `row`: the picture scaled by `scale`, at its own size
    // when `width` or `height` is 0, else at width × height. `hotSpot` receives
    // the point of the image under the cursor: its centre, or (hotX, hotY) ×
    // scale when either is not 0. Records the row and picture size of the drag.
    // A picture that cannot be read gives a null pixmap.
    virtual QPixmap CreateThumbDragImage(
        int row, double scale, int width, int height, QPoint& hotSpot, int hotX, int hotY);

    // The two ends of a drag, apart from the platform's drag loop so that the
    // frame's drop path can be driven without one. Begin returns false for no row.
    bool BeginThumbDrag(int row);
    // A release at `globalPos`: hands the drag to the drop handler and ends it.
    void EndThumbDrag(const QPoint& globalPos, Qt::KeyboardModifiers flags);
    // The drag ended without a release (Escape, lost grab): nothing is dropped.
    void CancelThumbDrag();
    bool IsDragging() const { return m_bDragging; }
    const QPixmap& DragPixmap() const { return m_dragPixmap; }
    QPoint DragHotSpot() const { return m_dragHotSpot; }
    QSize DragPictureSize() const { return m_dragPictureSize; }
    int DragRow() const { return m_nDragRow; }

signals:
    // Posted (delivered after the sender has returned) to the notify window's
    // event loop, and only while a notify window is set.
    void thumbBeginDrag(int row); // UM_THUMB_BEGINDRAG
    void thumbDoubleClicked(int row); // UM_THUMB_DBLCLK

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void keyPressEvent(QKeyEvent* event) override;

    // Calls the handler that this kind of list reports drops to.
    virtual void DeliverDrop(const QPoint& globalPos, Qt::KeyboardModifiers flags);
    void SetThumbSize(const QSize& size) { m_thumbSize = size; }
    const GalleryEntry* SelectedEntry() const;
    void PostNotify(NotifyMessage message, int row);
    // The common part of CreateThumbDragImage once the picture path is known.
    QPixmap DragImageFromPath(int row, const QString& path, double scale, int width, int height,
        QPoint& hotSpot, int hotX, int hotY);

    DropHandler m_dropHandler;
    DropHandlerEx m_dropHandlerEx;

private:
    GalleryListModel* m_model;
    int m_nCurrent = 0;
    QSize m_thumbSize { 60, 60 };
    QStringList m_picturePaths;
    QPointer<QObject> m_notifyWindow;
    MessageFunction m_message;

    bool m_bDragging = false;
    QPixmap m_dragPixmap;
    QPoint m_dragHotSpot;
    QSize m_dragPictureSize;
    int m_nDragRow = -1;
};
