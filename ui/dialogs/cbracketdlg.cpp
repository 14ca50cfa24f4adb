#include "ui/dialogs/cbracketdlg.h"

#include "core/gallery/gallerycatalogue.h"
#include "core/text/strings.h"
#include "ui/dialogs/adjustmentcontrols.h"
#include "ui/dialogs/brackettextgroup.h"

#include <QMessageBox>

#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

const QColor frameGround(172, 168, 153);

} // namespace

CBracketDlg::CBracketDlg(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("137"));
    setWindowTitle(tr("ブラケット画像の追加"));
    setFont(AdjustmentControls::dialogFont(font()));

    // The frame only marks where the picture goes: the dialog paints it and
    // takes its mouse presses, so trimming works in one set of client pixels.
    m_frame = new QWidget(this);
    m_frame->setObjectName(QStringLiteral("1000"));
    m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_frame->setGeometry(BracketTextGroup::DialogRect(this, 10, 10, 210, 135));

    // Created in the order of the keyboard focus chain.
    m_trimButton = new QPushButton(tr("トリミング"), this);
    m_trimButton->setObjectName(QStringLiteral("1001"));
    m_trimButton->setCheckable(true);
    m_trimButton->setAutoDefault(false);
    const int buttonTop = 150 + BracketTextGroup::Height() + 10;
    m_trimButton->setGeometry(BracketTextGroup::DialogRect(this, 10, buttonTop, 50, 14));

    m_texts = new BracketTextGroup(this);
    m_texts->PlaceAt(9, 150);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    ok->setGeometry(BracketTextGroup::DialogRect(this, 115, buttonTop, 50, 14));
    auto* cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("2"));
    cancel->setAutoDefault(false);
    cancel->setGeometry(BracketTextGroup::DialogRect(this, 170, buttonTop, 50, 14));

    setFixedSize(BracketTextGroup::DialogRect(this, 0, 0, 230, buttonTop + 21).size());

    connect(m_trimButton, &QPushButton::clicked, this, &CBracketDlg::OnTrimmingClicked);
    connect(ok, &QPushButton::clicked, this, &CBracketDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CBracketDlg::reject);
}

QRect CBracketDlg::FrameRect() const { return m_frame->geometry(); }

void CBracketDlg::showEvent(QShowEvent* event)
{
    if (!m_bInitialised) {
        m_bInitialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CBracketDlg::OnInitDialog()
{
    // A file that cannot be loaded leaves an empty frame; OK then still appends
    // the line, and the reload drops it for want of a picture.
    m_imgSource.openImage(m_strImagePath);
}

void CBracketDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect frame = FrameRect();
    painter.fillRect(frame, frameGround);
    double scale = 0.0;
    if (m_trim.TrimState() == TrimmingState::Cropped && m_imgTrimmed.hasImage()) {
        m_imgTrimmed.drawFitted(painter, frame, scale);
        return;
    }
    if (m_imgSource.hasImage()) {
        const QPoint origin = m_imgSource.drawFitted(painter, frame, scale);
        m_trim.SetSourceMapping(origin, scale);
    }
    paintRubberBand(painter);
}

void CBracketDlg::paintRubberBand(QPainter& painter) const
{
    const QRect band = m_trim.RubberBandRect();
    if (band.isNull())
        return;
    // Inverted rather than coloured, so that the band shows on any picture. Each
    // pixel of the outline is inverted once: the sides leave out the corners the
    // top and bottom rows already hold.
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    const QColor white(Qt::white);
    painter.fillRect(QRect(band.left(), band.top(), band.width(), 1), white);
    if (band.height() > 1)
        painter.fillRect(QRect(band.left(), band.bottom(), band.width(), 1), white);
    if (band.height() > 2) {
        painter.fillRect(QRect(band.left(), band.top() + 1, 1, band.height() - 2), white);
        if (band.width() > 1)
            painter.fillRect(QRect(band.right(), band.top() + 1, 1, band.height() - 2), white);
    }
    painter.restore();
}

void CBracketDlg::mousePressEvent(QMouseEvent* event)
{
    if (m_trimButton->isChecked() && event->button() == Qt::LeftButton)
        m_trim.Press(event->position().toPoint(), FrameRect());
    QDialog::mousePressEvent(event);
}

void CBracketDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_trimButton->isChecked() && m_trim.Move(event->position().toPoint()))
        update();
    QDialog::mouseMoveEvent(event);
}

void CBracketDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_trimButton->isChecked() && event->button() == Qt::LeftButton) {
        m_trim.Release(event->position().toPoint());
        // Every crop starts again from the whole source picture.
        m_imgTrimmed.copyFrom(m_imgSource);
        m_imgTrimmed.crop(
            m_trim.Start().x(), m_trim.Start().y(), m_trim.End().x(), m_trim.End().y());
        update();
    }
    QDialog::mouseReleaseEvent(event);
}

void CBracketDlg::OnTrimmingClicked(bool checked)
{
    if (checked)
        return;
    m_trim.Reset();
    update();
}

void CBracketDlg::accept()
{
    GalleryEntry entry;
    m_texts->Texts(entry.bracketName, entry.material, entry.wire);
    m_texts->Details(entry.vendor, entry.memo, entry.side);
    const QString folder = GalleryCatalogue::GalleryFolder();
    const QString catalogue = GalleryCatalogue::CatalogueFile();
    if (!m_texts->CheckFilled() || !m_texts->CheckWritable(catalogue))
        return;

    QImage picture;
    if (m_trim.TrimState() == TrimmingState::Cropped && m_imgTrimmed.hasImage())
        picture = m_imgTrimmed.image();
    else
        picture = m_imgSource.image();
    const GalleryChange change = GalleryCatalogue::AddEntry(folder, catalogue, entry, picture);
    if (!change.ok()) {
        QString message = change.message();
        if (change.status() == GalleryChange::UnreadablePicture)
            message += QLatin1Char('\n') + m_strImagePath;
        QMessageBox::warning(this, Res::text(Res::IdsAppTitle), message);
        return;
    }
    m_strWritten = change.picturePath();
    QDialog::accept();
}
