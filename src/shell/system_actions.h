// Purpose: the main menu's system actions: the display's power, the screen saver and the first CD
// drive's door, behind one interface so that the menus can be exercised without a desktop or a drive.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

namespace orvu {

namespace engine {
class Engine;
}

// Every call returns at once and never reports an error: a request the system cannot carry out does
// nothing.
class SystemActions {
public:
    virtual ~SystemActions() = default;
    // Asks the display to go to its low-power state.
    virtual void monitorOff() = 0;
    virtual void startScreenSaver() = 0;
    // The first CD drive (drive 0). Without a drive both questions answer false and requests fail.
    virtual bool cdDoorIsOpen() = 0;
    virtual bool cdDoorIsLocked() = 0;
    virtual bool cdDoor(std::uint32_t action) = 0; // engine::kCdDoorClose, Open, Lock, Unlock
};

// How the desktop is reached: the bus its services answer on (the session bus when none is given) and
// the way a helper program is started (detached, when none is given).
struct DesktopAccess {
    std::optional<QDBusConnection> bus;
    std::function<bool(const QString& program, const QStringList& arguments)> startProgram;
};

// The real actions. On an X11 display the monitor goes off through DPMS; elsewhere, and where the X
// server offers no DPMS, the desktop's display or screen-saver service is asked over D-Bus. The screen
// saver starts through org.freedesktop.ScreenSaver, with xdg-screensaver as the fallback. The CD door
// goes through the engine.
class PlatformSystemActions final : public SystemActions {
public:
    explicit PlatformSystemActions(engine::Engine& engine, DesktopAccess access = {});
    ~PlatformSystemActions() override;

    void monitorOff() override;
    void startScreenSaver() override;
    bool cdDoorIsOpen() override;
    bool cdDoorIsLocked() override;
    bool cdDoor(std::uint32_t action) override;

private:
    QDBusConnection bus() const;
    bool startProgram(const QString& program, const QStringList& arguments) const;

    engine::Engine& engine_;
    DesktopAccess access_;
    QObject pending_; // parent of the D-Bus calls still waiting: none answers after destruction
};

} // namespace orvu
