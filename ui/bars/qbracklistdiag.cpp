#include "ui/bars/qbracklistdiag.h"

#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerycatalogue.h"
#include "core/gallery/tiptext.h"
#include "core/host/profile.h"
#include "core/text/strings.h"
#include "ui/bars/qthumbheader.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDrag>
#include <QFileSystemWatcher>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>

#include <sys/stat.h>

namespace {

// Space kept free below the list: the preview group and the check box.
constexpr int belowList = 170;
constexpr int groupHeight = 150;
constexpr int groupGap = 165; // from the group's top to the panel's bottom
constexpr int pictureTop = 150; // from the picture's top to the panel's bottom

// Wide enough for a typical maker's product name, so that a long list does not
// read "メーカ…" row after row.
constexpr int defaultWidths[GalleryListModel::ShownColumns] = { 110, 64, 64 };
constexpr int narrowestColumn = 24;
// Fewer list rows than this and the preview gives way to the list.
constexpr int minimumRows = 4;

void showWarning(QWidget* parent, const QString& text)
{
    QMessageBox::warning(parent, Res::text(Res::IdsAppTitle), text);
}

// Changes whenever the catalogue is rewritten: an atomic replace gives a new
// inode even when size and time happen to match.
QByteArray fileStamp(const QString& path)
{
    struct stat info { };
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QByteArray::number(qulonglong(info.st_ino)) + ' '
        + QByteArray::number(qlonglong(info.st_size)) + ' '
        + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.'
        + QByteArray::number(qlonglong(info.st_mtim.tv_nsec));
}

} // namespace

QBrackListDiag::QBrackListDiag(QWidget* parent)
    : QWidget(parent)
    , m_filter(new QLineEdit(this))
    , m_list(new QTableView(this))
    , m_header(new QThumbHeader(m_list))
    , m_model(new GalleryListModel(this))
    , m_shown(new GalleryFilterModel(this))
    , m_watcher(new QFileSystemWatcher(this))
    , m_reloadTimer(new QTimer(this))
    , m_widthTimer(new QTimer(this))
    , m_previewGroup(new QGroupBox(tr("ﾌﾟﾚﾋﾞｭｰ"), this))
    , m_picture(new QLabel(this))
    , m_previewCheck(new QCheckBox(tr("ﾌﾟﾚﾋﾞｭｰ"), this))
    , m_message(showWarning)
{
    setObjectName(QStringLiteral("6006"));
    setFont(PanelFont());
    m_list->setObjectName(QStringLiteral("6018"));
    m_previewGroup->setObjectName(QStringLiteral("6019"));
    m_previewCheck->setObjectName(QStringLiteral("6020"));
    m_picture->setObjectName(QStringLiteral("6022"));
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("絞り込み（ブラケット・素材・ワイヤー）"));
    m_filter->setClearButtonEnabled(true);
    m_shown->setSourceModel(m_model);

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
            postNotify(Notify::DoubleClick, sourceRow(index));
    });
    connect(m_filter, &QLineEdit::textChanged, m_shown, &GalleryFilterModel::SetFilterText);
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(150);
    connect(
        m_watcher, &QFileSystemWatcher::fileChanged, m_reloadTimer, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reloadTimer,
        qOverload<>(&QTimer::start));
    connect(m_reloadTimer, &QTimer::timeout, this, &QBrackListDiag::catalogueTouched);
    m_widthTimer->setSingleShot(true);
    m_widthTimer->setInterval(500);
    connect(m_widthTimer, &QTimer::timeout, this, &QBrackListDiag::saveColumnWidths);
    connect(m_header, &QHeaderView::sectionResized, this, [this](int section) {
        // The last column stretches with the panel; only a drag of the others
        // is the user's choice.
        if (section < GalleryListModel::ShownColumns - 1 && isVisible())
            m_widthTimer->start();
    });

    m_bLaidOut = 1;
    layOut();
}

void QBrackListDiag::initList()
{
    m_list->setHorizontalHeader(m_header);
    m_list->setModel(m_shown);
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
    // Rows of one height let the view lay out thousands of rows, after every
    // filter keystroke, without asking each for its size.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_header->setSectionsClickable(true);
    m_header->setSectionsMovable(true);
    m_header->setHighlightSections(false);
    // The last column takes the spare width of a wide panel rather than
    // leaving a blank strip of header.
    m_header->setStretchLastSection(true);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QStringList widths = Profile::getStringList(WidthsSection(), WidthsKey());
    for (int column = 0; column < GalleryListModel::ShownColumns; ++column) {
        bool isNumber = false;
        const int stored = column < widths.size() ? widths[column].trimmed().toInt(&isNumber) : 0;
        // A width too narrow to read or wider than any screen is not a choice
        // anyone made.
        m_list->setColumnWidth(column,
            isNumber && stored >= narrowestColumn && stored <= 4000 ? stored
                                                                    : defaultWidths[column]);
    }

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

QSize QBrackListDiag::sizeHint() const { return QSize(300, 480); }

QBrackListDiag::~QBrackListDiag()
{
    if (m_widthTimer->isActive())
        saveColumnWidths();
}

void QBrackListDiag::saveColumnWidths()
{
    m_widthTimer->stop();
    QStringList widths;
    for (int column = 0; column < GalleryListModel::ShownColumns; ++column)
        widths << QString::number(m_list->columnWidth(column));
    Profile::writeString(WidthsSection(), WidthsKey(), widths.join(QLatin1Char(',')));
}

void QBrackListDiag::ReloadGallery()
{
    LoadCatalogue(GalleryCatalogue::GalleryFolder(), GalleryCatalogue::CatalogueFile());
}

bool QBrackListDiag::LoadCatalogue(const QString& folder, const QString& catalogueFile, bool quiet)
{
    const QString selected = SelectedPicturePath();
    m_folder = folder;
    m_catalogueFile = catalogueFile;
    m_loadedStamp = fileStamp(catalogueFile);
    // Watched before reading, so that a change made while reading is not missed;
    // the folder too, since a rewrite replaces the file and ends its watch.
    if (!m_watcher->files().isEmpty())
        m_watcher->removePaths(m_watcher->files());
    if (!m_watcher->directories().isEmpty())
        m_watcher->removePaths(m_watcher->directories());
    if (QFileInfo(folder).isDir())
        m_watcher->addPath(folder);
    if (QFileInfo(catalogueFile).isFile())
        m_watcher->addPath(catalogueFile);

    QVector<GalleryEntry> entries;
    const bool loaded = GalleryCatalogue::LoadCatalogue(folder, catalogueFile, entries);
    m_model->SetEntries(std::move(entries));
    int column = 0;
    bool ascending = false;
    if (m_sort.Current(column, ascending))
        m_model->sort(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (!selected.isEmpty())
        SelectEntry(selected);
    if (!loaded && !quiet && m_message) {
        // The folder searched is named as written, so that a Windows path (a
        // drive letter) that means nothing here can be recognised.
        const QString configured = GalleryCatalogue::ConfiguredFolder();
        const bool isConfigured = !configured.isEmpty()
            && GalleryCatalogue::FolderPrefix(configured) == GalleryCatalogue::FolderPrefix(folder);
        m_message(this,
            tr("bracket.csvが見つかりません") + QLatin1Char('\n')
                + (isConfigured ? configured : QDir::toNativeSeparators(folder)));
    }
    return loaded;
}

void QBrackListDiag::catalogueTouched()
{
    // A folder notice also comes for pictures and lock files; only a new
    // version of the catalogue itself is loaded again.
    if (m_catalogueFile.isEmpty() || fileStamp(m_catalogueFile) == m_loadedStamp) {
        if (QFileInfo(m_catalogueFile).isFile() && !m_watcher->files().contains(m_catalogueFile))
            m_watcher->addPath(m_catalogueFile);
        return;
    }
    LoadCatalogue(m_folder, m_catalogueFile, true);
}

int QBrackListDiag::sourceRow(const QModelIndex& viewIndex) const
{
    return viewIndex.isValid() ? m_shown->mapToSource(viewIndex).row() : -1;
}

int QBrackListDiag::SelectedIndex() const
{
    const QModelIndexList rows = m_list->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : sourceRow(rows.first());
}

const GalleryEntry* QBrackListDiag::SelectedEntry() const
{
    return m_model->EntryAt(SelectedIndex());
}

QString QBrackListDiag::SelectedPicturePath() const
{
    const GalleryEntry* entry = SelectedEntry();
    return entry ? entry->picturePath : QString();
}

int QBrackListDiag::SelectedSideFlag() const
{
    const GalleryEntry* entry = SelectedEntry();
    return entry ? entry->sideFlag() : 1;
}

bool QBrackListDiag::SelectedTexts(QString& bracket, QString& material, QString& wire) const
{
    const GalleryEntry* entry = SelectedEntry();
    if (!entry)
        return false;
    bracket = entry->bracketName;
    material = entry->material;
    wire = entry->wire;
    return true;
}

bool QBrackListDiag::SelectEntry(const QString& picturePath)
{
    const QVector<GalleryEntry>& entries = m_model->Entries();
    for (int row = 0; row < entries.size(); ++row) {
        if (entries[row].picturePath != picturePath)
            continue;
        const QModelIndex shown = m_shown->mapFromSource(m_model->index(row, 0));
        if (!shown.isValid())
            break;
        m_list->selectRow(shown.row());
        return true;
    }
    m_list->clearSelection();
    return false;
}

QString QBrackListDiag::BracketNameAt(int row) const
{
    const GalleryEntry* entry = m_model->EntryAt(row);
    return entry ? entry->bracketName : QString();
}

QString QBrackListDiag::TipTextFor(const QString& picturePath) const
{
    for (const GalleryEntry& entry : m_model->Entries())
        if (entry.picturePath == picturePath)
            return TipText::Format(entry);
    return QString();
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
    const int filterHeight = m_filter->sizeHint().height();
    m_filter->setGeometry(0, 0, cx, filterHeight);
    const int listTop = filterHeight + 2;
    // A short panel (a small floating bar) keeps the list usable and drops the
    // preview instead of leaving a list of no height.
    const int fewRows = m_header->sizeHint().height()
        + minimumRows * m_list->verticalHeader()->defaultSectionSize() + 4;
    const bool roomForPreview = groupY - (belowList - groupGap) - listTop >= fewRows;
    m_previewGroup->setVisible(roomForPreview);
    m_picture->setVisible(roomForPreview);
    m_previewCheck->setVisible(roomForPreview);
    m_list->setGeometry(
        0, listTop, cx, qMax(0, (roomForPreview ? groupY - (belowList - groupGap) : cy) - listTop));
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
