// The bracket list panel inside the docking bar: a filter box, the gallery rows
// (a table view of GalleryListModel with a sorting header) and the preview of the
// selected bracket. The frame and the panes ask it about the selected entry, and
// a row dragged out of it is reported to the frame's drop handler. It watches the
// catalogue and reloads when another program or workstation changes it. Row
// numbers in this interface are rows of Model(), whatever the filter shows.
#pragma once

#include "core/gallery/galleryfiltermodel.h"
#include "core/gallery/gallerylistmodel.h"
#include "core/gallery/gallerysort.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QFileSystemWatcher;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTimer;
class QThumbHeader;

class QBrackListDiag : public QWidget {
    Q_OBJECT

public:
    // Receives the dragged row, its picture path, the keyboard modifiers held
    // at the release, the release point in global (screen) coordinates, the
    // picture's own size in pixels and the side flag (0 inner, 1 outer). The
    // result is not used by the list.
    using DropHandlerEx = std::function<int(int row, const QString& path,
        Qt::KeyboardModifiers flags, int x, int y, int width, int height, int sideFlag)>;
    // Shows a message to the user; replaceable so that tests need no dialog.
    using MessageFunction = std::function<void(QWidget* parent, const QString& text)>;

    explicit QBrackListDiag(QWidget* parent = nullptr);
    ~QBrackListDiag() override;

    // The panel's font ("ＭＳ Ｐゴシック" 9 pt, or what fontconfig offers for
    // it); the bracket tips use it too.
    static QFont PanelFont();

    // Loads the catalogue of the configured gallery folder, keeping the
    // selected entry selected and the rows in the order of the sort arrow.
    void ReloadGallery();
    // Replaces the rows with the catalogue's entries whose pictures exist, in
    // file order (then sorted as the arrow shows), and watches the file. A
    // catalogue that cannot be read shows "bracket.csvが見つかりません" with the
    // folder searched, unless `quiet`, and leaves the list empty; returns false then.
    bool LoadCatalogue(const QString& folder, const QString& catalogueFile, bool quiet = false);

    int SelectedIndex() const; // -1 when no row is selected
    const GalleryEntry* SelectedEntry() const; // null when none
    QString SelectedPicturePath() const; // empty when none
    int SelectedSideFlag() const; // 0 for a selected inner entry, else 1
    // Copies the selected row's three column texts; false and nothing written
    // without a selection.
    bool SelectedTexts(QString& bracket, QString& material, QString& wire) const;
    // Selects the row of the entry with that picture; false, with no row
    // selected, when the list has none or the filter hides it.
    bool SelectEntry(const QString& picturePath);
    QString BracketNameAt(int row) const; // empty for a row that does not exist
    // The tip of the entry with that picture (the identity a placed bracket
    // keeps); empty when the gallery has no such entry.
    QString TipTextFor(const QString& picturePath) const;

    // INI section and key of the three column widths, "name,material,wire" in pixels.
    static QString WidthsSection() { return QStringLiteral("BRACKET_LIST"); }
    static QString WidthsKey() { return QStringLiteral("COLUMN_WIDTHS"); }

    // The window the two notifications are posted to; none are sent without one.
    void SetNotifyWindow(QObject* window);
    void SetDropHandlerEx(DropHandlerEx handler);
    void SetMessageFunction(MessageFunction function);

    // A click on the header of `column`: sorts descending on the first click,
    // then alternately ascending and descending, and moves the arrow there.
    void SortByColumn(int column);

    // The two ends of a row drag, apart from the platform's drag loop so that
    // the frame's drop path can be driven without one. Begin takes the selected
    // row's picture and returns false when `row` does not exist.
    bool BeginThumbDrag(int row);
    // A release at `globalPos`: reports the drag to the drop handler and ends it.
    void EndThumbDrag(const QPoint& globalPos, Qt::KeyboardModifiers flags);
    // The drag ended without a release (Escape, lost grab): nothing is dropped.
    void CancelThumbDrag();

    QTableView* List() const { return m_list; }
    GalleryListModel* Model() const { return m_model; }
    QLineEdit* FilterBox() const { return m_filter; }
    QThumbHeader* Header() const { return m_header; }
    // The last preview made (null before the first), and whether the picture
    // area shows it.
    QImage Preview() const { return m_hPreview; }
    bool PreviewShown() const;
    int PreviewWidth() const { return m_nPreviewWidth; }
    void SetPreviewChecked(bool checked);
    QSize sizeHint() const override;

signals:
    // Posted (delivered after the sender has returned) to the notify window's
    // event loop with the row index.
    void thumbBeginDrag(int row);
    void thumbDoubleClicked(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    // Watches the list's keys and its viewport's mouse for the row drag.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Notify { BeginDrag, DoubleClick };

    void initList();
    void catalogueTouched();
    void saveColumnWidths();
    int sourceRow(const QModelIndex& viewIndex) const;
    void layOut();
    void updatePreview();
    void previewToggled(bool checked);
    void postNotify(Notify message, int row);
    bool viewportMouse(QEvent* event);
    // Runs the platform's drag of the selected row until the button goes up.
    void runDrag(int row);

    QLineEdit* m_filter;
    QTableView* m_list;
    QThumbHeader* m_header;
    GalleryListModel* m_model;
    GalleryFilterModel* m_shown;
    QFileSystemWatcher* m_watcher;
    QTimer* m_reloadTimer; // gathers the several notices one rewrite causes
    QTimer* m_widthTimer; // writes the widths once a header drag has settled
    QString m_folder; // what the rows were last loaded from
    QString m_catalogueFile;
    QByteArray m_loadedStamp; // the catalogue's inode, size and time at that load
    GallerySort m_sort;
    QGroupBox* m_previewGroup;
    QLabel* m_picture;
    QCheckBox* m_previewCheck;
    int m_bLaidOut = 0;
    QImage m_hPreview;
    int m_nPreviewWidth = 0;

    QPointer<QObject> m_notifyWindow;
    DropHandlerEx m_dropHandlerEx;
    MessageFunction m_message;

    // Viewport point of the left-button press that may become a drag; none
    // while the button is up or the press missed every row.
    std::optional<QPoint> m_pressPoint;
    bool m_bDragging = false;
    int m_nDragRow = -1;
    QPixmap m_dragPixmap; // the picture at its own size, null when unreadable
    QSize m_dragPictureSize; // in picture pixels, invalid when unreadable
};
