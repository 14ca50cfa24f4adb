#include "ui/bars/qlistthumb.h"

#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/tiptext.h"
#include "core/text/strings.h"

#include <QApplication>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>

namespace {

const QString catalogueMissing = QStringLiteral("bracket.csvが見つかりません");

void showWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, Res::text(Res::IdsAppTitle), text);
}

} // namespace

QListThumb::QListThumb(QWidget* parent)
    : QTableView(parent)
    , m_model(new GalleryListModel(this))
    , m_message(showWarning)
{
    setModel(m_model);
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            PostNotify(UM_THUMB_DBLCLK, index.row());
    });
}

void QListThumb::InitList()
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(true);
    horizontalHeader()->setHighlightSections(false);
    // The last column takes the spare width of a wide panel rather than
    // leaving a blank strip of header.
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);

    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, QColor(0, 0, 255));
    setPalette(colours);

    m_model->SetEntries({});
    m_picturePaths.clear();
    m_nCurrent = 0;
}

bool QListThumb::LoadCatalogue(const QString& folder, const QString& catalogueFile)
{
    m_model->SetEntries({});
    m_picturePaths.clear();
    m_nCurrent = 0;
    QVector<GalleryEntry> entries;
    if (!GalleryCatalogue::LoadCatalogue(folder, catalogueFile, entries)) {
        if (m_message)
            m_message(this, catalogueMissing);
        return false;
    }
    for (const GalleryEntry& entry : entries)
        m_picturePaths.append(entry.picturePath);
    m_model->SetEntries(std::move(entries));
    return true;
}

bool QListThumb::SaveCatalogue(const QString& catalogueFile) const
{
    return GalleryCatalogue::SaveCatalogue(catalogueFile, m_model->Entries());
}

int QListThumb::SelectedIndex() const
{
    const QModelIndexList rows
        = selectionModel() ? selectionModel()->selectedRows() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

const GalleryEntry* QListThumb::SelectedEntry() const { return m_model->EntryAt(SelectedIndex()); }

QString QListThumb::SelectedPicturePath() const
{
    const GalleryEntry* entry = SelectedEntry();
    return entry ? entry->picturePath : QString();
}

int QListThumb::SelectedSideFlag() const
{
    const GalleryEntry* entry = SelectedEntry();
    return entry ? entry->sideFlag() : 1;
}

bool QListThumb::SelectedTexts(QString& bracket, QString& material, QString& wire) const
{
    const GalleryEntry* entry = SelectedEntry();
    if (!entry)
        return false;
    bracket = entry->bracketName;
    material = entry->material;
    wire = entry->wire;
    return true;
}

void QListThumb::UpdateSelected(const std::optional<QString>& path, const QString& bracket,
    const QString& material, const QString& wire)
{
    const int row = SelectedIndex();
    const GalleryEntry* current = m_model->EntryAt(row);
    if (!current)
        return;
    GalleryEntry entry = *current;
    if (path)
        entry.picturePath = *path;
    entry.bracketName = bracket;
    entry.material = material;
    entry.wire = wire;
    m_model->SetEntry(row, entry);
}

void QListThumb::DeleteSelected()
{
    const int row = SelectedIndex();
    if (row >= 0)
        m_model->removeRows(row, 1);
}

QString QListThumb::BracketNameAt(int row) const
{
    const GalleryEntry* entry = m_model->EntryAt(row);
    return entry ? entry->bracketName : QString();
}

QString QListThumb::TipTextAt(int row) const
{
    const GalleryEntry* entry = m_model->EntryAt(row);
    return entry ? TipText::Format(*entry) : QString();
}

void QListThumb::SetNotifyWindow(QObject* window) { m_notifyWindow = window; }

void QListThumb::SetDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }

void QListThumb::SetDropHandlerEx(DropHandlerEx handler) { m_dropHandlerEx = std::move(handler); }

void QListThumb::SetMessageFunction(MessageFunction function) { m_message = std::move(function); }

void QListThumb::PostNotify(NotifyMessage message, int row)
{
    if (!m_notifyWindow)
        return;
    // Queued on the notify window, like a posted message: the receiver runs after
    // this handler has returned, and nothing arrives once either side is gone.
    QPointer<QListThumb> self(this);
    QMetaObject::invokeMethod(
        m_notifyWindow.data(),
        [self, message, row] {
            if (!self)
                return;
            if (message == UM_THUMB_BEGINDRAG)
                emit self->thumbBeginDrag(row);
            else
                emit self->thumbDoubleClicked(row);
        },
        Qt::QueuedConnection);
}

QPixmap QListThumb::DragImageFromPath(int row, const QString& path, double scale, int width,
    int height, QPoint& hotSpot, int hotX, int hotY)
{
    m_nDragRow = row;
    m_dragPictureSize = QSize();
    hotSpot = QPoint();
    const QImage picture = BracketPreview::LoadPicture(path);
    if (picture.isNull())
        return QPixmap();
    QSize imageSize;
    if (width == 0 || height == 0) {
        imageSize = QSize(qRound(picture.width() * scale), qRound(picture.height() * scale));
        m_dragPictureSize = picture.size();
    } else {
        imageSize = QSize(qRound(width * scale), qRound(height * scale));
        m_dragPictureSize = QSize(width, height);
    }
    if (imageSize.isEmpty())
        return QPixmap();
    hotSpot = (hotX != 0 || hotY != 0)
        ? QPoint(int(hotX * scale), int(hotY * scale))
        : QPoint(int(picture.width() * scale * 0.5), int(picture.height() * scale * 0.5));
    // The transparent surround stays see-through under the cursor.
    return QPixmap::fromImage(imageSize == picture.size()
            ? picture
            : picture.scaled(imageSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

QPixmap QListThumb::CreateThumbDragImage(
    int row, double scale, int width, int height, QPoint& hotSpot, int hotX, int hotY)
{
    return DragImageFromPath(
        row, m_picturePaths.value(row), scale, width, height, hotSpot, hotX, hotY);
}

bool QListThumb::BeginThumbDrag(int row)
{
    if (row < 0 || row >= m_model->rowCount())
        return false;
    m_dragPixmap = CreateThumbDragImage(row, 1.0, 0, 0, m_dragHotSpot, 0, 0);
    m_bDragging = true;
    PostNotify(UM_THUMB_BEGINDRAG, row);
    return true;
}

void QListThumb::EndThumbDrag(const QPoint& globalPos, Qt::KeyboardModifiers flags)
{
    if (!m_bDragging)
        return;
    // Cleared before the handler runs, which may open a message box and spin
    // an event loop that would otherwise see a drag still in progress.
    m_bDragging = false;
    DeliverDrop(globalPos, flags);
    m_dragPixmap = QPixmap();
}

void QListThumb::CancelThumbDrag()
{
    m_bDragging = false;
    m_dragPixmap = QPixmap();
}

void QListThumb::DeliverDrop(const QPoint& globalPos, Qt::KeyboardModifiers flags)
{
    if (m_dropHandler)
        m_dropHandler(m_nDragRow, m_picturePaths.value(m_nDragRow), flags, globalPos.x(),
            globalPos.y(), m_dragPictureSize.width(), m_dragPictureSize.height());
}

void QListThumb::startDrag(Qt::DropActions)
{
    const QModelIndex index = currentIndex();
    if (!index.isValid() || !BeginThumbDrag(index.row()))
        return;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    // Nothing accepts this drop: the release point alone tells the frame where
    // the bracket goes.
    mime->setData(
        QStringLiteral("application/x-kestrin-bracket-row"), QByteArray::number(index.row()));
    drag->setMimeData(mime);
    if (!m_dragPixmap.isNull()) {
        drag->setPixmap(m_dragPixmap);
        drag->setHotSpot(m_dragHotSpot);
    }
    drag->exec(Qt::CopyAction);
    // A drag cancelled with Escape returns while the button is still held; a
    // release anywhere ends it with the button up.
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        CancelThumbDrag();
    else
        EndThumbDrag(QCursor::pos(), QGuiApplication::keyboardModifiers());
}

void QListThumb::keyPressEvent(QKeyEvent* event)
{
    const int rows = m_model->rowCount();
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        if (rows > 0) {
            const int step = event->key() == Qt::Key_Left ? -1 : 1;
            m_nCurrent = qBound(0, m_nCurrent + step, rows - 1);
        }
        // Left and right would otherwise walk the columns of a row-selecting list.
        event->accept();
        return;
    }
    if (rows == 0) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
