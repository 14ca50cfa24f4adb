#include "ui/bars/qbarlist.h"

#include "core/host/profile.h"

#include <QMainWindow>
#include <QResizeEvent>
#include <QTimer>

namespace {

QSize readSize(
    const QString& section, const QString& prefix, const QSize& current, const QSize& minimum)
{
    const int cx = Profile::getInt(section, prefix + QStringLiteral("CX"), current.width());
    const int cy = Profile::getInt(section, prefix + QStringLiteral("CY"), current.height());
    return QSize(qMax(cx, minimum.width()), qMax(cy, minimum.height()));
}

void writeSize(const QString& section, const QString& prefix, const QSize& size)
{
    Profile::writeInt(section, prefix + QStringLiteral("CX"), size.width());
    Profile::writeInt(section, prefix + QStringLiteral("CY"), size.height());
}

} // namespace

QBarList::QBarList(const QString& title, QWidget* parent, int controlId)
    : QDockWidget(title, parent)
    , m_controlId(controlId)
{
    setObjectName(QStringLiteral("SCBar-%1").arg(controlId));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable
        | QDockWidget::DockWidgetFloatable);
    setMinimumSize(MinimumVert());
    connect(this, &QDockWidget::topLevelChanged, this, &QBarList::placeChanged);
    connect(this, &QDockWidget::dockLocationChanged, this, &QBarList::placeChanged);
}

QString QBarList::SectionName(const QString& profileName) const
{
    return QStringLiteral("%1-SCBar-%2").arg(profileName).arg(m_controlId);
}

void QBarList::LoadState(const QString& profileName)
{
    const QString section = SectionName(profileName);
    m_szHorz = readSize(section, QStringLiteral("sizeHorz"), m_szHorz, MinimumHorz());
    m_szVert = readSize(section, QStringLiteral("sizeVert"), m_szVert, MinimumVert());
    m_szFloat = readSize(section, QStringLiteral("sizeFloat"), m_szFloat, MinimumFloat());
    ApplyStoredSize();
}

void QBarList::SaveState(const QString& profileName) const
{
    const QString section = SectionName(profileName);
    writeSize(section, QStringLiteral("sizeHorz"), m_szHorz);
    writeSize(section, QStringLiteral("sizeVert"), m_szVert);
    writeSize(section, QStringLiteral("sizeFloat"), m_szFloat);
}

void QBarList::GlobalLoadState(QMainWindow* frame, const QString& profileName)
{
    if (!frame)
        return;
    const Profile::Batch batch;
    for (QBarList* bar : frame->findChildren<QBarList*>())
        bar->LoadState(profileName);
}

void QBarList::GlobalSaveState(QMainWindow* frame, const QString& profileName)
{
    if (!frame)
        return;
    const Profile::Batch batch;
    for (QBarList* bar : frame->findChildren<QBarList*>())
        bar->SaveState(profileName);
}

QBarList::Place QBarList::CurrentPlace() const
{
    if (isFloating())
        return Place::Float;
    auto* frame = qobject_cast<QMainWindow*>(parentWidget());
    if (!frame)
        return Place::None;
    switch (frame->dockWidgetArea(const_cast<QBarList*>(this))) {
    case Qt::LeftDockWidgetArea:
    case Qt::RightDockWidgetArea:
        return Place::Vert;
    case Qt::TopDockWidgetArea:
    case Qt::BottomDockWidgetArea:
        return Place::Horz;
    default:
        return Place::None;
    }
}

void QBarList::ApplyStoredSize()
{
    auto* frame = qobject_cast<QMainWindow*>(parentWidget());
    switch (CurrentPlace()) {
    case Place::Float:
        resize(m_szFloat);
        break;
    case Place::Vert:
        frame->resizeDocks({ this }, { m_szVert.width() }, Qt::Horizontal);
        break;
    case Place::Horz:
        frame->resizeDocks({ this }, { m_szHorz.height() }, Qt::Vertical);
        break;
    case Place::None:
        break;
    }
}

void QBarList::placeChanged()
{
    // Floating or docked, the bar keeps room for some rows of the list.
    setMinimumSize(isFloating() ? MinimumFloat() : MinimumVert());
    // The main window finishes its own layout of the move first.
    QTimer::singleShot(0, this, &QBarList::ApplyStoredSize);
}

void QBarList::resizeEvent(QResizeEvent* event)
{
    QDockWidget::resizeEvent(event);
    // Only sizes the user can see are remembered; a hidden bar is laid out at
    // arbitrary sizes.
    if (!isVisible())
        return;
    switch (CurrentPlace()) {
    case Place::Float:
        m_szFloat = event->size();
        break;
    case Place::Vert:
        m_szVert = event->size();
        break;
    case Place::Horz:
        m_szHorz = event->size();
        break;
    case Place::None:
        break;
    }
}
