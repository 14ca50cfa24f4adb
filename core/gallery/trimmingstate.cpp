#include "core/gallery/trimmingstate.h"

#include <algorithm>
#include <cmath>

namespace {

// Far outside any screen, but a conversion to int that cannot overflow.
constexpr double coordinateLimit = 1e9;

int truncated(double value)
{
    return int(std::trunc(std::clamp(value, -coordinateLimit, coordinateLimit)));
}

} // namespace

void TrimmingState::SetSourceMapping(const QPoint& origin, double scale)
{
    m_ptOrigin = origin;
    m_dScale = scale;
}

QPoint TrimmingState::ClientToImage(const QPoint& client) const
{
    if (!(m_dScale > 0.0))
        return QPoint();
    return QPoint(truncated((client.x() - m_ptOrigin.x()) / m_dScale),
        truncated((client.y() - m_ptOrigin.y()) / m_dScale));
}

QPoint TrimmingState::ImageToClient(const QPoint& image) const
{
    return QPoint(truncated(image.x() * m_dScale + m_ptOrigin.x()),
        truncated(image.y() * m_dScale + m_ptOrigin.y()));
}

void TrimmingState::Press(const QPoint& client, const QRect& frame)
{
    const bool inside = client.x() >= frame.left() && client.x() <= frame.left() + frame.width()
        && client.y() >= frame.top() && client.y() <= frame.top() + frame.height();
    if (inside)
        m_ptStart = ClientToImage(client);
}

bool TrimmingState::Move(const QPoint& client)
{
    // A start on the picture's top row or left column counts as no start: the
    // band stays hidden, although the release still crops from there.
    if (m_ptStart.x() <= 0 || m_ptStart.y() <= 0 || m_nTrimState == Cropped)
        return false;
    m_ptEnd = ClientToImage(client);
    m_nTrimState = RubberBand;
    return true;
}

void TrimmingState::Release(const QPoint& client)
{
    m_ptEnd = ClientToImage(client);
    m_nTrimState = Cropped;
}

void TrimmingState::Reset()
{
    m_nTrimState = NoRectangle;
    m_ptStart = QPoint();
    m_ptEnd = QPoint();
}

QRect TrimmingState::RubberBandRect() const
{
    if (m_nTrimState != RubberBand)
        return QRect();
    const QPoint a = ImageToClient(m_ptStart);
    const QPoint b = ImageToClient(m_ptEnd);
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
        QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}
