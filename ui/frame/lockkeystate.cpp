#include "ui/frame/lockkeystate.h"

#include <QGuiApplication>
#include <QLibrary>

namespace {
const char* const IndicatorNames[] = { "Caps Lock", "Num Lock", "Scroll Lock" };
} // namespace

LockKeyState::LockKeyState(QObject* parent)
    : QObject(parent)
{
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display())
        return;
    QLibrary library(QStringLiteral("X11"), 6);
    const auto internAtom = reinterpret_cast<InternAtom>(library.resolve("XInternAtom"));
    m_getNamedIndicator
        = reinterpret_cast<GetNamedIndicator>(library.resolve("XkbGetNamedIndicator"));
    if (!internAtom || !m_getNamedIndicator)
        return;
    // Indicators are asked by name: their numbers differ between keyboard maps.
    for (int i = 0; i < 3; ++i)
        m_atoms[i] = internAtom(x11->display(), IndicatorNames[i], 0);
    m_display = x11->display();
}

LockKeyState::Locks LockKeyState::read() const
{
    Locks locks;
    if (!m_display)
        return locks;
    const Lock order[] = { Caps, Num, Scroll };
    for (int i = 0; i < 3; ++i) {
        int on = 0;
        // The core keyboard's indicator, whatever device that is.
        if (m_atoms[i] && m_getNamedIndicator(m_display, m_atoms[i], nullptr, &on, nullptr, nullptr)
            && on)
            locks |= order[i];
    }
    return locks;
}
