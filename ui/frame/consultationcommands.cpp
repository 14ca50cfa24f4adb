#include "ui/frame/consultationcommands.h"

#include "core/consultation/consultationfile.h"
#include "core/gallery/gallerylistmodel.h"
#include "core/host/hostdialogs.h"
#include "core/text/strings.h"
#include "ui/bars/qbracklistdiag.h"
#include "ui/frame/cmainframe.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStatusBar>

namespace {

const QString Suffix = QStringLiteral("kestrin");

QString filter()
{
    return QCoreApplication::translate("ConsultationCommands", "相談ファイル (*.kestrin)");
}

QVector<GalleryEntry> galleryOf(const CMainFrame* frame)
{
    const QBrackListDiag* list = frame->bracketList();
    return list && list->Model() ? list->Model()->Entries() : QVector<GalleryEntry>();
}

void warn(CMainFrame* frame, const QString& text)
{
    QMessageBox box(
        QMessageBox::Warning, Res::text(Res::IdsAppTitle), text, QMessageBox::Ok, frame);
    box.exec();
}

// Shows the workspace the file just filled, as an opened photograph is shown.
void showConsultation(CMainFrame* frame)
{
    const Workspace& ws = frame->workspace();
    frame->setWindowTitle(QFileInfo(ws.m_strPhotoPath).fileName() + QStringLiteral(" - ")
        + Res::text(Res::IdsAppTitle));
    frame->hideClipBar();
    frame->initialUpdatePanes();
    frame->layoutChanged(true);
    frame->updateActions();
}

} // namespace

QString ConsultationCommands::storePath(const QString& photoPath)
{
    const QString patient = HostDialogs::currentPatient();
    if (patient.isEmpty() || photoPath.isEmpty())
        return {};
    return QDir(HostDialogs::patientFolderPath(patient))
        .filePath(QFileInfo(photoPath).completeBaseName() + '.' + Suffix);
}

bool ConsultationCommands::save(CMainFrame* frame)
{
    if (!frame || !frame->workspace().hasPhoto())
        return false;
    const QString photo = frame->workspace().m_strPhotoPath;
    QString proposal = storePath(photo);
    if (!proposal.isEmpty())
        HostDialogs::patientFolder(HostDialogs::currentPatient());
    if (proposal.isEmpty() || !QFileInfo(QFileInfo(proposal).path()).isDir())
        proposal
            = QFileInfo(photo).path() + '/' + QFileInfo(photo).completeBaseName() + '.' + Suffix;
    QFileDialog dialog(frame, QCoreApplication::translate("ConsultationCommands", "相談を保存"),
        proposal, filter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(Suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    return saveTo(frame, dialog.selectedFiles().constFirst());
}

bool ConsultationCommands::saveTo(CMainFrame* frame, const QString& path)
{
    if (!frame || !frame->workspace().hasPhoto())
        return false;
    const ConsultationFile file = ConsultationFile::capture(frame->workspace(), galleryOf(frame));
    const ConsultationFile::Error error
        = file.photoHash.isEmpty() ? ConsultationFile::PhotoUnreadable : file.save(path);
    if (error != ConsultationFile::NoError) {
        warn(frame,
            error == ConsultationFile::PhotoUnreadable ? QCoreApplication::translate(
                "ConsultationCommands", "写真を読み込めないため、相談を保存できません。")
                                                       : ConsultationFile::message(error));
        return false;
    }
    frame->statusBar()->showMessage(
        QCoreApplication::translate("ConsultationCommands", "相談を保存しました: ") + path);
    return true;
}

bool ConsultationCommands::open(CMainFrame* frame, const QString& chosen)
{
    if (!frame)
        return false;
    QString path = chosen;
    if (path.isEmpty()) {
        path = QFileDialog::getOpenFileName(frame,
            QCoreApplication::translate("ConsultationCommands", "相談を開く"),
            QFileInfo(storePath(frame->workspace().m_strPhotoPath)).path(), filter());
        if (path.isEmpty())
            return false;
    }
    ConsultationFile::Error error = ConsultationFile::NoError;
    const std::optional<ConsultationFile> file = ConsultationFile::load(path, &error);
    if (!file) {
        warn(frame, ConsultationFile::message(error));
        return false;
    }

    QString photo = file->photoPath;
    ConsultationFile::PhotoState state = file->checkPhoto(photo);
    if (state == ConsultationFile::PhotoState::Missing) {
        warn(frame,
            QCoreApplication::translate(
                "ConsultationCommands", "相談の写真が見つかりません。写真を選んでください。\n")
                + photo);
        photo = QFileDialog::getOpenFileName(frame,
            QCoreApplication::translate("ConsultationCommands", "写真を選ぶ"),
            QFileInfo(path).path());
        if (photo.isEmpty())
            return false;
        state = file->checkPhoto(photo);
    }
    QImage picture = file->readPhoto(photo, &error);
    if (picture.isNull()) {
        warn(frame, ConsultationFile::message(error));
        return false;
    }
    if (state == ConsultationFile::PhotoState::Changed)
        warn(frame,
            QCoreApplication::translate("ConsultationCommands",
                "写真の内容が相談の保存時から変わっています。"
                "ブラケットの位置が合わないことがあります。"));
    file->applyTo(frame->workspace(), photo, std::move(picture), galleryOf(frame));
    showConsultation(frame);
    return true;
}

void ConsultationCommands::offerResume(CMainFrame* frame)
{
    if (!frame || !frame->workspace().hasPhoto())
        return;
    const QString photo = frame->workspace().m_strPhotoPath;
    const QString saved = storePath(photo);
    if (saved.isEmpty())
        return;
    // Only a consultation made on this very file is offered; another photograph
    // of the same name in another folder is not this one.
    const std::optional<ConsultationFile> file = ConsultationFile::load(saved, nullptr);
    if (!file || QFileInfo(file->photoPath).absoluteFilePath() != photo)
        return;
    if (QMessageBox::question(frame, Res::text(Res::IdsAppTitle),
            QCoreApplication::translate(
                "ConsultationCommands", "この写真の保存された相談があります。再開しますか？"),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
        == QMessageBox::Yes)
        open(frame, saved);
}
