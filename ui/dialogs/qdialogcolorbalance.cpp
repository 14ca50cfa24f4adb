#include "ui/dialogs/qdialogcolorbalance.h"

#include "ui/dialogs/adjustmentcontrols.h"
#include "core/simulation/adjustmentvalues.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

QDialogColorBalance::QDialogColorBalance(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("6011"));
    setWindowTitle(tr("ｶﾗｰﾊﾞﾗﾝｽ"));
    setFont(AdjustmentControls::dialogFont(font()));

    // Created in the order of the keyboard focus chain.
    auto* group = new QGroupBox(tr("ｶﾗｰﾊﾞﾗﾝｽ"), this);
    auto* redLabel = new QLabel(tr("赤 :"), group);
    m_redSlider = AdjustmentControls::slider("6024", group);
    m_redBox = AdjustmentControls::valueBox("6029", group);
    auto* greenLabel = new QLabel(tr("緑 :"), group);
    m_greenSlider = AdjustmentControls::slider("6025", group);
    m_greenBox = AdjustmentControls::valueBox("6030", group);
    auto* blueLabel = new QLabel(tr("青 :"), group);
    m_blueSlider = AdjustmentControls::slider("6026", group);
    m_blueBox = AdjustmentControls::valueBox("6031", group);
    m_previewCheck = new QCheckBox(tr("ﾌﾟﾚﾋﾞｭｰ"), this);
    m_previewCheck->setObjectName(QStringLiteral("6027"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("ｷｬﾝｾﾙ"), this);
    cancel->setObjectName(QStringLiteral("2"));
    for (QPushButton* button : { ok, cancel })
        button->setMinimumWidth(AdjustmentControls::dialogUnitsX(this, 50));

    auto* grid = new QGridLayout(group);
    grid->addWidget(redLabel, 0, 0);
    grid->addWidget(m_redSlider, 0, 1);
    grid->addWidget(m_redBox, 0, 2);
    grid->addWidget(greenLabel, 1, 0);
    grid->addWidget(m_greenSlider, 1, 1);
    grid->addWidget(m_greenBox, 1, 2);
    grid->addWidget(blueLabel, 2, 0);
    grid->addWidget(m_blueSlider, 2, 1);
    grid->addWidget(m_blueBox, 2, 2);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_previewCheck);
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Before the connections: the start positions are not a slider movement.
    OnInitDialog();

    for (QSlider* slider : { m_redSlider, m_greenSlider, m_blueSlider })
        connect(slider, &QSlider::valueChanged, this, &QDialogColorBalance::OnHScroll);
    connect(m_previewCheck, &QCheckBox::clicked, this, &QDialogColorBalance::OnPreview);
    connect(ok, &QPushButton::clicked, this, &QDialogColorBalance::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialogColorBalance::reject);
}

void QDialogColorBalance::SetPreviewWindow(QObject* window, PreviewFunction preview)
{
    m_hNotify = window;
    m_preview = std::move(preview);
    m_bChanged = false;
}

quint32 QDialogColorBalance::PackedColor() const
{
    return AdjustmentValues::packColor(m_nRed, m_nGreen, m_nBlue);
}

void QDialogColorBalance::accept()
{
    m_bPreview = m_previewCheck->isChecked();
    m_nRed = m_redSlider->value();
    m_nGreen = m_greenSlider->value();
    m_nBlue = m_blueSlider->value();
    QDialog::accept();
}

void QDialogColorBalance::OnInitDialog()
{
    for (QSlider* slider : { m_redSlider, m_greenSlider, m_blueSlider }) {
        slider->setRange(AdjustmentValues::ChannelMinimum, AdjustmentValues::ChannelMaximum);
        slider->setValue(AdjustmentValues::ChannelNeutral);
        slider->setSingleStep(1);
        slider->setPageStep(AdjustmentValues::ChannelPageStep);
    }
    m_previewCheck->setChecked(true);
    refreshValueBoxes();
}

void QDialogColorBalance::OnHScroll()
{
    refreshValueBoxes();
    m_bChanged = true;
    if (m_previewCheck->isChecked())
        postPreview(sliderColor());
}

void QDialogColorBalance::OnPreview(bool checked)
{
    postPreview(checked ? sliderColor() : AdjustmentValues::NeutralColor);
}

void QDialogColorBalance::refreshValueBoxes()
{
    const int neutral = AdjustmentValues::ChannelNeutral;
    m_redBox->setText(AdjustmentValues::offsetText(m_redSlider->value(), neutral));
    m_greenBox->setText(AdjustmentValues::offsetText(m_greenSlider->value(), neutral));
    m_blueBox->setText(AdjustmentValues::offsetText(m_blueSlider->value(), neutral));
}

quint32 QDialogColorBalance::sliderColor() const
{
    return AdjustmentValues::packColor(
        m_redSlider->value(), m_greenSlider->value(), m_blueSlider->value());
}

void QDialogColorBalance::postPreview(quint32 packed)
{
    if (!m_hNotify || !m_preview)
        return;
    // Queued like a posted message, so the slider handler returns first. A preview
    // still queued when the dialog has ended is dropped: by then the frame has
    // committed or reverted, and an older preview must not paint over that.
    QPointer<QDialogColorBalance> self(this);
    QMetaObject::invokeMethod(
        m_hNotify.data(),
        [self, preview = m_preview, packed] {
            if (self && self->isVisible())
                preview(packed);
        },
        Qt::QueuedConnection);
}
