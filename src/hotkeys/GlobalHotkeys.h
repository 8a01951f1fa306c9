#pragma once

#include <QObject>

namespace spectrel {

// System-wide key combinations: once registered, a combination reaches the program whichever program has the
// focus. One backend per platform (X11 key grabs or the desktop portal on Linux, Win32 RegisterHotKey);
// elsewhere every registration is refused.
class GlobalHotkeys : public QObject {
    Q_OBJECT
public:
    // Modifier bits of a mask, as the Win32 hotkey registration counts them.
    enum Modifier : int { Alt = 1, Ctrl = 2, Shift = 4 };

    using QObject::QObject;

    // The main window, as the platform knows it (its native id), that owns the registrations made after this
    // call; backends whose registrations belong to no window ignore it.
    virtual void setOwnerWindow(quintptr /*window*/) {}
    // Registers `virtualKey` (a Windows virtual-key code) with the modifiers of `mask` under `id`. False when
    // the platform refuses: another program holds the combination, the keyboard lacks the key, or the
    // session has no global hotkeys at all (see available()).
    virtual bool registerHotkey(int id, int mask, int virtualKey) = 0;
    // Releases what `id` holds; an id that holds nothing is no error.
    virtual void unregisterHotkey(int id) = 0;
    // False when this session offers no global hotkeys at all (a Wayland session without X11, a headless
    // run), so that no combination could ever be registered.
    virtual bool available() const = 0;

Q_SIGNALS:
    // A registered combination was pressed.
    void activated(int id);
    // A registration that registerHotkey() accepted was refused afterwards: a backend whose answer comes
    // later (the desktop portal) declined it, or is not there. `id` then holds nothing.
    void refused(int id);
};

// The platform's hotkeys for this process, made on first use (a QGuiApplication must exist by then).
GlobalHotkeys& systemHotkeys();

} // namespace spectrel
