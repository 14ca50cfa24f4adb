// The bracket list panel inside the docking bar: the gallery list above and the
// preview of the selected bracket below. The frame and the panes talk to the
// list through it.
#pragma once

#include "ui/bars/qlistthumbex.h"

#include <QImage>
#include <QWidget>

class QCheckBox;
class QGroupBox;
class QLabel;

class QBrackListDiag : public QWidget {
    Q_OBJECT

public:
    explicit QBrackListDiag(QWidget* parent = nullptr);

    // The panel's font ("ＭＳ Ｐゴシック" 9 pt, or what fontconfig offers for
    // it); the bracket tips use it too.
    static QFont PanelFont();

    // Loads the catalogue of the configured gallery folder.
    void ReloadGallery();

    // Forwarded unchanged to the list; see QListThumb.
    bool LoadCatalogue(const QString& folder, const QString& catalogueFile);
    bool SaveCatalogue(const QString& catalogueFile) const;
    int SelectedIndex() const;
    QString SelectedPicturePath() const;
    int SelectedSideFlag() const;
    bool SelectedTexts(QString& bracket, QString& material, QString& wire) const;
    void UpdateSelected(const std::optional<QString>& path, const QString& bracket,
        const QString& material, const QString& wire);
    // Removes the selected row; afterwards no row is selected.
    void DeleteSelected();
    QString BracketNameAt(int row) const;
    QString TipTextAt(int row) const;
    void SetNotifyWindow(QObject* window);
    void SetDropHandler(QListThumb::DropHandler handler);
    void SetDropHandlerEx(QListThumb::DropHandlerEx handler);

    QListThumbEx* List() const { return m_list; }
    // The last preview made (null before the first), and whether the picture
    // area shows it.
    QImage Preview() const { return m_hPreview; }
    bool PreviewShown() const;
    int PreviewWidth() const { return m_nPreviewWidth; }
    void SetPreviewChecked(bool checked);
    QSize sizeHint() const override;

signals:
    // The list's notifications, posted; see QListThumb.
    void thumbBeginDrag(int row);
    void thumbDoubleClicked(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();
    void updatePreview();
    void previewToggled(bool checked);

    QListThumbEx* m_list;
    QGroupBox* m_previewGroup;
    QLabel* m_picture;
    QCheckBox* m_previewCheck;
    int m_bLaidOut = 0;
    QImage m_hPreview;
    int m_nPreviewWidth = 0;
};
