// The start dialog for a start without the host program: the photo database's
// patients and their photographs, newest first, with a search box for the
// patient id, plus a file chooser for any other picture.
#pragma once

#include "core/host/photocatalog.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QVector>

class QLabel;
class QLineEdit;
class QListWidget;

class PhotoChooserDialog : public QDialog {
    Q_OBJECT

public:
    explicit PhotoChooserDialog(QWidget* parent = nullptr);

    // After acceptance: the picture to open, and the patient it belongs to (empty
    // for a picture chosen through the file chooser with no patient selected).
    QString chosenPath() const { return m_chosenPath; }
    QString chosenPatient() const { return m_chosenPatient; }

    // The records of patients whose id contains `filter` (case-insensitive),
    // newest first; records added at the same moment keep the catalogue's order.
    static QVector<PhotoCatalog::Record> newestFirst(
        const QVector<PhotoCatalog::Record>& records, const QString& filter);
    // The distinct patient ids of `records`, in the order they first appear.
    static QStringList patientsOf(const QVector<PhotoCatalog::Record>& records);

    // Makes `patientId` the current patient, as the host does before it starts
    // the program; false (and a Japanese message) when the marker cannot be written.
    static bool setCurrentPatient(QWidget* parent, const QString& patientId);

    static constexpr int ThumbnailSize = 128;

private:
    void fillPatients();
    void fillPhotos();
    void choosePhoto();
    void chooseOtherFile();
    QString selectedPatient() const;

    QVector<PhotoCatalog::Record> m_records;
    QLineEdit* m_search = nullptr;
    QListWidget* m_patients = nullptr;
    QListWidget* m_photos = nullptr;
    QLabel* m_note = nullptr;
    QString m_chosenPath;
    QString m_chosenPatient;
    int m_generation = 0; // bumped by each refill of the photograph list
};
