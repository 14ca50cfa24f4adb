// The resizable docking bar that holds the bracket list. It remembers its size
// docked at the top or bottom, docked at the left or right, and floating, each
// in the INI section "<profile>-SCBar-<control id>". Sizes are in pixels.
#pragma once

#include <QDockWidget>
#include <QSize>

class QMainWindow;

class QBarList : public QDockWidget {
    Q_OBJECT

public:
    static constexpr int BracketListId = 103;

    static QSize MinimumHorz() { return QSize(220, 220); }
    static QSize MinimumVert() { return QSize(220, 220); }
    // A floating bar small enough to hide the list is no use, so a remembered
    // floating size is never read below this.
    static QSize MinimumFloat() { return QSize(220, 320); }

    // The bar's objectName is "SCBar-<controlId>", stable for saveState().
    explicit QBarList(
        const QString& title, QWidget* parent = nullptr, int controlId = BracketListId);

    int ControlId() const { return m_controlId; }
    // "<profileName>-SCBar-<control id>".
    QString SectionName(const QString& profileName) const;

    // Reads the six sizes, each with the current value as default and never
    // below its minimum, and applies the one for the bar's current place.
    void LoadState(const QString& profileName);
    // Writes the six current sizes.
    void SaveState(const QString& profileName) const;
    // LoadState / SaveState of every QBarList among the frame's children; the
    // frame calls these at creation (before restoreState) and destruction.
    static void GlobalLoadState(QMainWindow* frame, const QString& profileName);
    static void GlobalSaveState(QMainWindow* frame, const QString& profileName);

    QSize HorzSize() const { return m_szHorz; }
    QSize VertSize() const { return m_szVert; }
    QSize FloatSize() const { return m_szFloat; }

    // Resizes the bar to the remembered size of its current place.
    void ApplyStoredSize();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    enum class Place { Horz, Vert, Float, None };
    Place CurrentPlace() const;
    void placeChanged();

    int m_controlId;
    QSize m_szHorz { 220, 220 };
    QSize m_szVert { 220, 220 };
    QSize m_szFloat { 300, 520 }; // a few dozen rows and the preview
};
