// Reads whether Caps Lock, Num Lock and Scroll Lock are on, for the status bar's
// indicators. On X11 the keyboard's indicator state is asked directly (libX11 is
// loaded at run time, so the program needs no X development files to build); on
// other platforms (offscreen, native Wayland) Qt offers no way to read it and
// every lock reads as off.
#pragma once

#include <QFlags>
#include <QObject>

class LockKeyState : public QObject {
    Q_OBJECT

public:
    enum Lock { Caps = 1, Num = 2, Scroll = 4 };
    Q_DECLARE_FLAGS(Locks, Lock)

    explicit LockKeyState(QObject* parent = nullptr);

    // False when the platform gives no access: read() then always returns none.
    bool available() const { return m_display != nullptr; }
    Locks read() const;

private:
    using InternAtom = unsigned long (*)(void*, const char*, int);
    using GetNamedIndicator = int (*)(void*, unsigned long, int*, int*, void*, int*);

    void* m_display = nullptr;
    GetNamedIndicator m_getNamedIndicator = nullptr;
    unsigned long m_atoms[3] = {};
};

Q_DECLARE_OPERATORS_FOR_FLAGS(LockKeyState::Locks)
