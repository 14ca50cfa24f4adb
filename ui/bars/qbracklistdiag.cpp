#include "ui/bars/qbracklistdiag.h"

#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/tiptext.h"
#include "core/text/strings.h"
#include "ui/bars/qthumbheader.h"

#include <QApplication>
#include <QCheckBox>
#include <QDrag>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>

namespace {

// Space kept free below the list: the preview group and the check box.
constexpr int belowList = 170;
constexpr int groupHeight = 150;
constexpr int groupGap = 165; // from the group's top to the panel's bottom
constexpr int pictureTop = 150; // from the picture's top to the panel's bottom

void showWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, Res::text(Res::IdsAppTitle), text);
}

} // namespace

QBrackListDiag::QBrackListDiag(QWidget* parent)
    : QWidget(parent)
    , m_list(new QTableView(this))
    , m_header(new QThumbHeader(m_list))
    , m_model(new GalleryListModel(this))
    , m_previewGroup(new QGroupBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this))
    , m_picture(new QLabel(this))
    , m_previewCheck(new QCheckBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this))
    , m_message(showWarning)
{
    setObjectName(QStringLiteral("6006"));
    setFont(PanelFont());
    m_list->setObjectName(QStringLiteral("6018"));
    m_previewGroup->setObjectName(QStringLiteral("6019"));
    m_previewCheck->setObjectName(QStringLiteral("6020"));
    m_picture->setObjectName(QStringLiteral("6022"));

    // With no preview shown the picture area is a plain grey box.
    m_picture->setAutoFillBackground(true);
    QPalette ground = m_picture->palette();
    ground.setColor(QPalette::Window, BracketPreview::Background());
    m_picture->setPalette(ground);
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    initList();
    m_previewCheck->setChecked(true);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &QBrackListDiag::updatePreview);
    connect(m_model, &QAbstractItemModel::dataChanged, this, &QBrackListDiag::updatePreview);
    connect(m_previewCheck, &QCheckBox::toggled, this, &QBrackListDiag::previewToggled);
    connect(m_header, &QHeaderView::sectionClicked, this, &QBrackListDiag::SortByColumn);
    connect(m_list, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            postNotify(Notify::DoubleClick, index.row());
    });

    m_bLaidOut = 1;
    layOut();
}

void QBrackListDiag::initList()
{
    m_list->setModel(m_model);
    m_list->setHorizontalHeader(m_header);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setShowGrid(true);
    m_list->setWordWrap(false);
    // The panel runs the row drag itself, with the bracket picture as the drag
    // image; the view's own drag would show the row's text instead.
    m_list->setDragEnabled(false);
    m_list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_list->verticalHeader()->hide();
    m_list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_list->verticalHeader()->setMinimumSectionSize(fontMetrics().height() + 2);
    m_header->setSectionsClickable(true);
    m_header->setSectionsMovable(true);
    m_header->setHighlightSections(false);
    // The last column takes the spare width of a wide panel rather than
    // leaving a blank strip of header.
    m_header->setStretchLastSection(true);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 72);
    m_list->setColumnWidth(2, 72);

    QPalette colours = m_list->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, QColor(0, 0, 255));
    m_list->setPalette(colours);

    m_list->installEventFilter(this);
    m_list->viewport()->installEventFilter(this);
}

QFont QBrackListDiag::PanelFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    // Where the named font is missing, a Japanese gothic keeps kanji in
    // Japanese shapes instead of whatever the first fallback font offers.
    font.setFamilies({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic") });
    font.setPointSize(9);
    return font;
}

QSize QBrackListDiag::sizeHint() const { return QSize(220, 420); }

void QBrackListDiag::ReloadGallery()
{
    LoadCatalogue(GalleryCatalogue::GalleryFolder(), GalleryCatalogue::CatalogueFile());
}

bool QBrackListDiag::LoadCatalogue(const QString& folder, const QString& catalogueFile)
{
    m_model->SetEntries({});
    QVector<GalleryEntry> entries;
    if (!GalleryCatalogue::LoadCatalogue(folder, catalogueFile, entries)) {
        QString text = QStringLiteral("bracket.csvが見つかりません");
        // The configured folder is named as written, so that a Windows path
        // (a drive letter) that means nothing here can be recognised.
        const QString configured = GalleryCatalogue::ConfiguredFolder();
        if (!configured.isEmpty()
            && GalleryCatalogue::FolderPrefix(configured) == GalleryCatalogue::FolderPrefix(folder))
            text += QLatin1Char('\n') + configured;
        if (m_message)
            m_message(this, text);
        return false;
    }
    m_model->SetEntries(std::move(entries));
    return true;
}

bool QBrackListDiag::SaveCatalogue(const QString& catalogueFile) const
{
    return GalleryCatalogue::SaveCatalogue(catalogueFile, m_model->Entries());
}

int QBrackListDiag::SelectedIndex() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

const GalleryEntry* QBrackListDiag::selectedEntry() const
{
    return m_model->EntryAt(SelectedIndex());
}

QString QBrackListDiag::SelectedPicturePath() const
{
    const GalleryEntry* entry = selectedEntry();
    return entry ? entry->picturePath : QString();
}

int QBrackListDiag::SelectedSideFlag() const
{
    const GalleryEntry* entry = selectedEntry();
    return entry ? entry->sideFlag() : 1;
}

bool QBrackListDiag::SelectedTexts(QString& bracket, QString& material, QString& wire) const
{
    const GalleryEntry* entry = selectedEntry();
    if (!entry)
        return false;
    bracket = entry->bracketName;
    material = entry->material;
    wire = entry->wire;
    return true;
}

void QBrackListDiag::UpdateSelected(const std::optional<QString>& path, const QString& bracket,
    const QString& material, const QString& wire)
{
    const GalleryEntry* current = selectedEntry();
    if (!current)
        return;
    GalleryEntry entry = *current;
    if (path)
        entry.picturePath = *path;
    entry.bracketName = bracket;
    entry.material = material;
    entry.wire = wire;
    m_model->SetEntry(SelectedIndex(), entry);
}

void QBrackListDiag::DeleteSelected()
{
    const int row = SelectedIndex();
    if (row < 0)
        return;
    // A single-selection view selects the next row when the current one goes,
    // which would move the preview on; after a delete no row is selected and
    // the preview keeps the deleted picture until the user picks another row.
    m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    m_model->removeRows(row, 1);
}

QString QBrackListDiag::BracketNameAt(int row) const
{
    const GalleryEntry* entry = m_model->EntryAt(row);
    return entry ? entry->bracketName : QString();
}

QString QBrackListDiag::TipTextAt(int row) const
{
    const GalleryEntry* entry = m_model->EntryAt(row);
    return entry ? TipText::Format(*entry) : QString();
}

void QBrackListDiag::SetNotifyWindow(QObject* window) { m_notifyWindow = window; }

void QBrackListDiag::SetDropHandlerEx(DropHandlerEx handler)
{
    m_dropHandlerEx = std::move(handler);
}

void QBrackListDiag::SetMessageFunction(MessageFunction function)
{
    m_message = std::move(function);
}

void QBrackListDiag::SortByColumn(int column)
{
    if (column < 0 || column >= GallerySort::ColumnCount)
        return;
    const bool ascending = m_sort.Click(column);
    m_model->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    for (int section = 0; section < m_model->columnCount(); ++section)
        m_header->SetSectionImage(section, m_sort.ImageFor(section));
}

void QBrackListDiag::postNotify(Notify message, int row)
{
    if (!m_notifyWindow)
        return;
    // Queued on the notify window, like a posted message: the receiver runs after
    // this handler has returned, and nothing arrives once either side is gone.
    QPointer<QBrackListDiag> self(this);
    QMetaObject::invokeMethod(
        m_notifyWindow.data(),
        [self, message, row] {
            if (!self)
                return;
            if (message == Notify::BeginDrag)
                emit self->thumbBeginDrag(row);
            else
                emit self->thumbDoubleClicked(row);
        },
        Qt::QueuedConnection);
}

bool QBrackListDiag::BeginThumbDrag(int row)
{
    if (!m_model->EntryAt(row))
        return false;
    // The drop reports the selected entry, so the drag shows that picture too.
    const QImage picture = BracketPreview::LoadPicture(SelectedPicturePath());
    m_nDragRow = row;
    m_dragPictureSize = picture.isNull() ? QSize() : picture.size();
    // Kept at its own size so the bracket appears as large as it will be pasted;
    // the transparent surround stays see-through under the cursor.
    m_dragPixmap = picture.isNull() ? QPixmap() : QPixmap::fromImage(picture);
    m_bDragging = true;
    postNotify(Notify::BeginDrag, row);
    return true;
}

void QBrackListDiag::EndThumbDrag(const QPoint& globalPos, Qt::KeyboardModifiers flags)
{
    if (!m_bDragging)
        return;
    // Cleared before the handler runs, which may open a message box and spin
    // an event loop that would otherwise see a drag still in progress.
    m_bDragging = false;
    if (m_dropHandlerEx)
        m_dropHandlerEx(m_nDragRow, SelectedPicturePath(), flags, globalPos.x(), globalPos.y(),
            m_dragPictureSize.width(), m_dragPictureSize.height(), SelectedSideFlag());
    m_dragPixmap = QPixmap();
}

void QBrackListDiag::CancelThumbDrag()
{
    m_bDragging = false;
    m_dragPixmap = QPixmap();
}

void QBrackListDiag::runDrag(int row)
{
    if (!BeginThumbDrag(row))
        return;
    auto* drag = new QDrag(m_list);
    auto* mime = new QMimeData;
    // Nothing accepts this drop: the release point alone tells the frame where
    // the bracket goes.
    mime->setData(QStringLiteral("application/x-kestrin-bracket-row"), QByteArray::number(row));
    drag->setMimeData(mime);
    if (!m_dragPixmap.isNull()) {
        drag->setPixmap(m_dragPixmap);
        // The bracket hangs centred on the cursor, where it will be pasted.
        drag->setHotSpot(QPoint(m_dragPixmap.width() / 2, m_dragPixmap.height() / 2));
    }
    drag->exec(Qt::CopyAction);
    // A drag cancelled with Escape returns while the button is still held; a
    // release anywhere ends it with the button up.
    if (QGuiApplication::mouseButtons() & Qt::LeftButton)
        CancelThumbDrag();
    else
        EndThumbDrag(QCursor::pos(), QGuiApplication::keyboardModifiers());
}

bool QBrackListDiag::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport())
        return viewportMouse(event);
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        // Left and right would otherwise walk the columns of a row-selecting list.
        const int key = static_cast<QKeyEvent*>(event)->key();
        return key == Qt::Key_Left || key == Qt::Key_Right;
    }
    return false;
}

bool QBrackListDiag::viewportMouse(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint at = mouse->position().toPoint();
        m_pressPoint.reset();
        if (mouse->button() == Qt::LeftButton && m_list->indexAt(at).isValid())
            m_pressPoint = at;
        return false;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!m_pressPoint || !(mouse->buttons() & Qt::LeftButton))
            return false;
        // Until the drag starts the moves are kept from the view, which would
        // otherwise move the selection to the row under the cursor.
        if ((mouse->position().toPoint() - *m_pressPoint).manhattanLength()
            < QApplication::startDragDistance())
            return true;
        m_pressPoint.reset();
        const int row = SelectedIndex();
        if (row >= 0)
            runDrag(row);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_pressPoint.reset();
        return false;
    default:
        return false;
    }
}

bool QBrackListDiag::PreviewShown() const
{
    return m_previewCheck->isChecked() && !m_picture->pixmap().isNull();
}

void QBrackListDiag::SetPreviewChecked(bool checked) { m_previewCheck->setChecked(checked); }

void QBrackListDiag::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (m_bLaidOut)
        layOut();
}

void QBrackListDiag::layOut()
{
    const int cx = width();
    const int cy = height();
    // The check box sits in a 13-pixel strip under the group; a font that needs
    // a taller box lifts everything above it by the difference.
    const QSize check = m_previewCheck->sizeHint();
    const int checkHeight = qMax(13, check.height());
    const int lift = checkHeight - 13;
    const int pictureY = cy - pictureTop - lift;
    // Styles that put the group's title above its frame need more room than
    // 15 pixels above the picture, or the picture covers the frame.
    const int titleRoom = qMax(groupGap - pictureTop, m_previewGroup->fontMetrics().height() + 8);
    const int groupY = pictureY - titleRoom;
    const int groupBottom = cy - groupGap - lift + groupHeight;
    m_list->setGeometry(0, 0, cx, qMax(0, groupY - (belowList - groupGap)));
    m_previewGroup->setGeometry(0, groupY, cx, groupBottom - groupY);
    // Written as right minus left so that the picture stays centred for an odd
    // width: both halves truncate toward zero.
    const int left = (cx - BracketPreview::DefaultWidth) / 2;
    const int right = (cx + BracketPreview::DefaultWidth) / 2;
    m_nPreviewWidth = right - left;
    m_picture->setGeometry(left, pictureY, m_nPreviewWidth, BracketPreview::Height);
    m_previewCheck->setGeometry(0, cy - checkHeight, qMax(70, check.width()), checkHeight);
}

void QBrackListDiag::updatePreview()
{
    const QString path = SelectedPicturePath();
    if (path.isEmpty() || m_nPreviewWidth <= 0)
        return;
    const QImage preview
        = BracketPreview::RenderFile(path, m_nPreviewWidth, SelectedSideFlag() == 0);
    if (preview.isNull())
        return;
    m_hPreview = preview;
    if (m_previewCheck->isChecked())
        m_picture->setPixmap(QPixmap::fromImage(m_hPreview));
}

void QBrackListDiag::previewToggled(bool checked)
{
    if (checked && !m_hPreview.isNull())
        m_picture->setPixmap(QPixmap::fromImage(m_hPreview));
    else
        m_picture->clear();
    update();
}
