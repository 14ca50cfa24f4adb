#include "ui/dialogs/qdialogbrightness.h"

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

QDialogBrightness::QDialogBrightness(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("6013"));
    setWindowTitle(tr("明度・ｺﾝﾄﾗｽﾄ"));
    setFont(AdjustmentControls::dialogFont(font()));

    // Created in the order of the keyboard focus chain.
    auto* group = new QGroupBox(tr("設定"), this);
    auto* brightnessLabel = new QLabel(tr("明度 :"), group);
    m_brightnessSlider = AdjustmentControls::slider("6024", group);
    m_brightnessBox = AdjustmentControls::valueBox("6029", group);
    auto* contrastLabel = new QLabel(tr("ｺﾝﾄﾗｽﾄ :"), group);
    m_contrastSlider = AdjustmentControls::slider("6028", group);
    m_contrastBox = AdjustmentControls::valueBox("6030", group);
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
    grid->addWidget(brightnessLabel, 0, 0);
    grid->addWidget(m_brightnessSlider, 0, 1);
    grid->addWidget(m_brightnessBox, 0, 2);
    grid->addWidget(contrastLabel, 1, 0);
    grid->addWidget(m_contrastSlider, 1, 1);
    grid->addWidget(m_contrastBox, 1, 2);
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

    connect(m_brightnessSlider, &QSlider::valueChanged, this, &QDialogBrightness::OnHScroll);
    connect(m_contrastSlider, &QSlider::valueChanged, this, &QDialogBrightness::OnHScroll);
    connect(m_previewCheck, &QCheckBox::clicked, this, &QDialogBrightness::OnPreview);
    connect(ok, &QPushButton::clicked, this, &QDialogBrightness::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialogBrightness::reject);
}

void QDialogBrightness::SetPreviewWindow(QObject* window, PreviewFunction preview)
{
    m_hNotify = window;
    m_preview = std::move(preview);
    m_bChanged = false;
}

void QDialogBrightness::accept()
{
    m_nBrightness = m_brightnessSlider->value();
    m_nContrast = m_contrastSlider->value();
    m_bPreview = m_previewCheck->isChecked();
    QDialog::accept();
}

void QDialogBrightness::OnInitDialog()
{
    for (QSlider* slider : { m_brightnessSlider, m_contrastSlider }) {
        slider->setRange(AdjustmentValues::PercentMinimum, AdjustmentValues::PercentMaximum);
        slider->setValue(AdjustmentValues::PercentNeutral);
        slider->setSingleStep(1);
        slider->setPageStep(AdjustmentValues::PercentPageStep);
    }
    m_previewCheck->setChecked(true);
    refreshValueBoxes();
}

void QDialogBrightness::OnHScroll()
{
    refreshValueBoxes();
    m_bChanged = true;
    if (m_previewCheck->isChecked())
        postPreview(m_contrastSlider->value(), m_brightnessSlider->value());
}

void QDialogBrightness::OnPreview(bool checked)
{
    if (checked)
        postPreview(m_contrastSlider->value(), m_brightnessSlider->value());
    else
        postPreview(AdjustmentValues::PercentNeutral, AdjustmentValues::PercentNeutral);
}

void QDialogBrightness::refreshValueBoxes()
{
    m_brightnessBox->setText(AdjustmentValues::offsetText(
        m_brightnessSlider->value(), AdjustmentValues::PercentNeutral));
    m_contrastBox->setText(
        AdjustmentValues::offsetText(m_contrastSlider->value(), AdjustmentValues::PercentNeutral));
}

void QDialogBrightness::postPreview(int contrast, int brightness)
{
    if (!m_hNotify || !m_preview)
        return;
    // Queued like a posted message, so the slider handler returns first. A preview
    // still queued when the dialog has ended is dropped: by then the frame has
    // committed or reverted, and an older preview must not paint over that.
    QPointer<QDialogBrightness> self(this);
    QMetaObject::invokeMethod(
        m_hNotify.data(),
        [self, preview = m_preview, contrast, brightness] {
            if (self && self->isVisible())
                preview(contrast, brightness);
        },
        Qt::QueuedConnection);
}
