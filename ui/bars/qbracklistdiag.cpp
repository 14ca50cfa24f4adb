#include "ui/bars/qbracklistdiag.h"

#include "core/gallery/bracketpreview.h"
#include "core/gallery/gallerycatalogue.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>

namespace {

// Space kept free below the list: the preview group and the check box.
constexpr int belowList = 170;
constexpr int groupHeight = 150;
constexpr int groupGap = 165; // from the group's top to the panel's bottom
constexpr int pictureTop = 150; // from the picture's top to the panel's bottom

} // namespace

QBrackListDiag::QBrackListDiag(QWidget* parent)
    : QWidget(parent)
    , m_list(new QListThumbEx(this))
    , m_previewGroup(new QGroupBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this))
    , m_picture(new QLabel(this))
    , m_previewCheck(new QCheckBox(QStringLiteral("ﾌﾟﾚﾋﾞｭｰ"), this))
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

    m_list->InitList();
    m_list->setColumnWidth(0, 60);
    m_list->setColumnWidth(1, 72);
    m_list->setColumnWidth(2, 72);
    m_previewCheck->setChecked(true);

    connect(m_list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &QBrackListDiag::updatePreview);
    connect(
        m_list->Model(), &QAbstractItemModel::dataChanged, this, &QBrackListDiag::updatePreview);
    connect(m_previewCheck, &QCheckBox::toggled, this, &QBrackListDiag::previewToggled);
    connect(m_list, &QListThumb::thumbBeginDrag, this, &QBrackListDiag::thumbBeginDrag);
    connect(m_list, &QListThumb::thumbDoubleClicked, this, &QBrackListDiag::thumbDoubleClicked);

    m_bLaidOut = 1;
    layOut();
}

QFont QBrackListDiag::PanelFont()
{
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    // Where the Windows font is missing, a Japanese gothic keeps kanji in
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
    return m_list->LoadCatalogue(folder, catalogueFile);
}

bool QBrackListDiag::SaveCatalogue(const QString& catalogueFile) const
{
    return m_list->SaveCatalogue(catalogueFile);
}

int QBrackListDiag::SelectedIndex() const { return m_list->SelectedIndex(); }

QString QBrackListDiag::SelectedPicturePath() const { return m_list->SelectedPicturePath(); }

int QBrackListDiag::SelectedSideFlag() const { return m_list->SelectedSideFlag(); }

bool QBrackListDiag::SelectedTexts(QString& bracket, QString& material, QString& wire) const
{
    return m_list->SelectedTexts(bracket, material, wire);
}

void QBrackListDiag::UpdateSelected(const std::optional<QString>& path, const QString& bracket,
    const QString& material, const QString& wire)
{
    m_list->UpdateSelected(path, bracket, material, wire);
}

void QBrackListDiag::DeleteSelected()
{
    if (SelectedIndex() < 0)
        return;
    // A single-selection view selects the next row when the current one goes,
    // which would move the preview on; after a delete no row is selected and
    // the preview keeps the deleted picture until the user picks another row.
    m_list->selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    m_list->DeleteSelected();
}

QString QBrackListDiag::BracketNameAt(int row) const { return m_list->BracketNameAt(row); }

QString QBrackListDiag::TipTextAt(int row) const { return m_list->TipTextAt(row); }

void QBrackListDiag::SetNotifyWindow(QObject* window) { m_list->SetNotifyWindow(window); }

void QBrackListDiag::SetDropHandler(QListThumb::DropHandler handler)
{
    m_list->SetDropHandler(std::move(handler));
}

void QBrackListDiag::SetDropHandlerEx(QListThumb::DropHandlerEx handler)
{
    m_list->SetDropHandlerEx(std::move(handler));
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
    // the classic 15 pixels above the picture, or the picture covers the frame.
    const int titleRoom = qMax(groupGap - pictureTop, m_previewGroup->fontMetrics().height() + 8);
    const int groupY = pictureY - titleRoom;
    const int groupBottom = cy - groupGap - lift + groupHeight;
    m_list->setGeometry(0, 0, cx, qMax(0, groupY - (belowList - groupGap)));
    m_previewGroup->setGeometry(0, groupY, cx, groupBottom - groupY);
    // Written as right minus left so that an odd width rounds as the picture
    // control always has: both halves truncate toward zero.
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
