#include "ui/dialogs/photochooserdialog.h"

#include "core/host/hostdialogs.h"
#include "core/photo/photoloader.h"
#include "core/text/strings.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int PathRole = Qt::UserRole;
constexpr int PatientRole = Qt::UserRole + 1;
constexpr int AllPatientsRow = 0;

// A small oriented copy; the reader scales while decoding, so a large JPEG costs
// a fraction of a full decode.
QIcon thumbnailOf(const PhotoCatalog::Record& record)
{
    QImageReader reader(record.path);
    const QSize full = reader.size();
    if (full.isValid() && !full.isEmpty())
        reader.setScaledSize(full.scaled(PhotoChooserDialog::ThumbnailSize,
            PhotoChooserDialog::ThumbnailSize, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    PhotoLoader::orient(image, record.flags);
    return QIcon(QPixmap::fromImage(image));
}

} // namespace

PhotoChooserDialog::PhotoChooserDialog(QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("写真を開く - ") + Res::text(Res::IdsAppTitle));
    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(tr("患者IDで検索"));
    m_search->setClearButtonEnabled(true);
    m_patients = new QListWidget(this);
    m_patients->setMaximumWidth(220);
    m_photos = new QListWidget(this);
    m_photos->setViewMode(QListView::IconMode);
    m_photos->setIconSize(QSize(ThumbnailSize, ThumbnailSize));
    m_photos->setGridSize(QSize(ThumbnailSize + 40, ThumbnailSize + 48));
    m_photos->setResizeMode(QListView::Adjust);
    m_photos->setMovement(QListView::Static);
    m_photos->setWordWrap(true);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, this);
    QPushButton* other = buttons->addButton(tr("その他のファイル…"), QDialogButtonBox::ActionRole);
    other->setObjectName(QStringLiteral("otherFile"));
    QPushButton* open = buttons->button(QDialogButtonBox::Open);

    auto* lists = new QHBoxLayout;
    lists->addWidget(m_patients);
    lists->addWidget(m_photos, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_search);
    layout->addLayout(lists, 1);
    layout->addWidget(m_note);
    layout->addWidget(buttons);
    resize(860, 560);

    PhotoCatalog catalog;
    if (catalog.open(PhotoCatalog::ReadOnly) == 0)
        m_records = catalog.list();
    m_note->setText(m_records.isEmpty()
            ? tr(
                "写真データベースに写真がありません。「その他のファイル…」で画像を選んでください。")
            : QString());
    m_note->setVisible(m_records.isEmpty());

    connect(m_search, &QLineEdit::textChanged, this, &PhotoChooserDialog::fillPatients);
    connect(m_patients, &QListWidget::currentRowChanged, this, &PhotoChooserDialog::fillPhotos);
    connect(m_photos, &QListWidget::itemActivated, this, &PhotoChooserDialog::choosePhoto);
    connect(m_photos, &QListWidget::currentItemChanged, this, [open](QListWidgetItem* item) {
        open->setEnabled(item && (item->flags() & Qt::ItemIsEnabled));
    });
    connect(open, &QPushButton::clicked, this, &PhotoChooserDialog::choosePhoto);
    connect(other, &QPushButton::clicked, this, &PhotoChooserDialog::chooseOtherFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    open->setEnabled(false);
    fillPatients();
    m_search->setFocus();
}

QVector<PhotoCatalog::Record> PhotoChooserDialog::newestFirst(
    const QVector<PhotoCatalog::Record>& records, const QString& filter)
{
    QVector<PhotoCatalog::Record> shown;
    for (const PhotoCatalog::Record& record : records)
        if (record.patientId.contains(filter.trimmed(), Qt::CaseInsensitive))
            shown.append(record);
    // A record without a valid time sorts last rather than first.
    std::stable_sort(shown.begin(), shown.end(),
        [](const PhotoCatalog::Record& a, const PhotoCatalog::Record& b) {
            if (a.added.isValid() != b.added.isValid())
                return a.added.isValid();
            return a.added > b.added;
        });
    return shown;
}

QStringList PhotoChooserDialog::patientsOf(const QVector<PhotoCatalog::Record>& records)
{
    QStringList patients;
    for (const PhotoCatalog::Record& record : records)
        if (!patients.contains(record.patientId))
            patients.append(record.patientId);
    return patients;
}

bool PhotoChooserDialog::setCurrentPatient(QWidget* parent, const QString& patientId)
{
    const QString problem = HostDialogs::tempFolderProblem();
    if (problem.isEmpty()
        && HostDialogs::writeMarker(QStringLiteral("PatientID.TMP"), patientId.toUtf8())
            == SecureFile::NoError)
        return true;
    QMessageBox::warning(parent, Res::text(Res::IdsAppTitle),
        problem.isEmpty()
            ? tr("現在の患者を設定できません: %1PatientID.TMP").arg(HostDialogs::tempFolder())
            : problem);
    return false;
}

QString PhotoChooserDialog::selectedPatient() const
{
    const QListWidgetItem* item = m_patients->currentItem();
    return item && m_patients->currentRow() != AllPatientsRow ? item->text() : QString();
}

void PhotoChooserDialog::fillPatients()
{
    const QSignalBlocker blocker(m_patients);
    m_patients->clear();
    m_patients->addItem(tr("(すべての患者)"));
    m_patients->addItems(patientsOf(newestFirst(m_records, m_search->text())));
    // One match is what a search for one patient wants to see.
    m_patients->setCurrentRow(m_patients->count() == 2 ? 1 : AllPatientsRow);
    fillPhotos();
}

void PhotoChooserDialog::fillPhotos()
{
    m_photos->clear();
    const QString patient = selectedPatient();
    // Thumbnails one at a time from the event loop, so a long list shows at once
    // and typing in the search box stays responsive; a refill drops pending ones.
    const int generation = ++m_generation;
    for (const PhotoCatalog::Record& record : newestFirst(m_records, m_search->text())) {
        if (!patient.isEmpty() && record.patientId != patient)
            continue;
        auto* item = new QListWidgetItem(record.patientId + '\n'
                + record.added.toLocalTime().toString(QStringLiteral("yyyy/MM/dd HH:mm")),
            m_photos);
        item->setData(PathRole, record.path);
        item->setData(PatientRole, record.patientId);
        item->setToolTip(record.path);
        if (!QFileInfo(record.path).isFile()) {
            item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
            item->setText(item->text() + tr("\n(ファイルがありません)"));
            continue;
        }
        const int row = m_photos->count() - 1;
        QTimer::singleShot(0, this, [this, generation, row, record] {
            if (generation == m_generation && row < m_photos->count())
                m_photos->item(row)->setIcon(thumbnailOf(record));
        });
    }
    // The newest photograph is the likely choice: Return opens it.
    if (m_photos->count() > 0 && (m_photos->item(0)->flags() & Qt::ItemIsEnabled))
        m_photos->setCurrentRow(0);
}

void PhotoChooserDialog::choosePhoto()
{
    const QListWidgetItem* item = m_photos->currentItem();
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    const QString patient = item->data(PatientRole).toString();
    if (!setCurrentPatient(this, patient))
        return;
    m_chosenPath = item->data(PathRole).toString();
    m_chosenPatient = patient;
    accept();
}

void PhotoChooserDialog::chooseOtherFile()
{
    // Qt's own dialog, so that it speaks the application's language.
    const QString path = QFileDialog::getOpenFileName(this, tr("画像を開く"), QString(),
        tr("画像 (*.jpg *.jpeg *.png *.bmp *.tif *.tiff);;すべてのファイル (*)"), nullptr,
        QFileDialog::DontUseNativeDialog);
    if (path.isEmpty())
        return;
    const QString patient = selectedPatient();
    if (!patient.isEmpty() && !setCurrentPatient(this, patient))
        return;
    m_chosenPath = path;
    m_chosenPatient = patient;
    accept();
}
