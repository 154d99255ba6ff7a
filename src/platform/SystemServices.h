// SystemServices: the commands that act on the machine rather than on the bar: the CD
// tray, the screen saver, shutting down and restarting. The Linux implementation is
// LinuxSystemServices (over the CD-ROM ioctls and D-Bus); tests use
// FakeSystemServices (tests/fakes). TPlatform::System() hands out the one instance.
//
// None of the commands blocks its caller: each answers later, on the thread of
// `context`, through `done`. The answer never comes inside the call, and never after
// `context` is destroyed; a null context or an empty `done` asks for no answer.
#pragma once

#include "core/system/CdTray.h"
#include "core/system/Power.h"

#include <QObject>

#include <functional>
#include <string>

namespace kex {

// What became of a screen saver or power request.
struct SystemResult {
    bool ok = false;
    std::string service; // who took the request (a D-Bus name, or the program run)
    std::string reason;  // why nothing took it; empty when ok
};

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // Whether the machine has an optical drive; asked once at start-up, the CD item is
    // left out of the menu without one. Reads no disc and never waits for a drive.
    virtual bool CdTrayPresent() = 0;
    // Opens the first optical drive's tray when it holds a readable disc (a mounted
    // disc is unmounted first), closes it otherwise. The drive is asked afresh on every
    // press, off the caller's thread, since a drive may take seconds to answer. While a
    // press is still being carried out, another one does nothing and answers an
    // outcome with action None and an error. No drive: action None, no error.
    virtual void ToggleCdTray(QObject* context, std::function<void(const CdTrayOutcome&)> done) = 0;

    // Starts the desktop's screen saver: org.freedesktop.ScreenSaver, else GNOME's
    // org.gnome.ScreenSaver, else the program xdg-screensaver.
    virtual void ActivateScreenSaver(QObject* context, std::function<void(const SystemResult&)> done) = 0;

    // Shuts the computer down or restarts it: through the desktop's session manager
    // (GNOME, KDE, LXQt), so that other programs can save first; without one, through
    // systemd-logind, which may ask the user for authorisation. A session manager or
    // logind that refuses, or none to ask, answers ok false with the reason
    // (PowerRefusalMessage words it for the user).
    virtual void RequestPower(PowerAction action, QObject* context, std::function<void(const SystemResult&)> done) = 0;
};

} // namespace kex
