// Purpose: the main menu's system actions: the display's power, the screen saver and the first CD
// drive's door, behind one interface so that the menus can be exercised without a desktop or a drive.
#include "shell/system_actions.h"

#include "engine/engine.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QList>
#include <QProcess>

#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>
#endif

namespace orvu {
namespace {

constexpr int busTimeoutMs = 3000;
constexpr std::uint32_t firstDrive = 0;

struct BusRequest {
    const char* service;
    const char* path;
    const char* interface;
    const char* method;
};

QDBusMessage busCall(const BusRequest& request, const QVariantList& arguments) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(request.service), QLatin1String(request.path),
                                       QLatin1String(request.interface), QLatin1String(request.method));
    call.setArguments(arguments);
    return call;
}

// Sends each call in turn until one is answered without an error; when all fail, runs `otherwise`.
// Nothing waits: each answer arrives through the event loop.
void callInTurn(QDBusConnection bus, QList<QDBusMessage> calls, QObject* context,
                std::function<void()> otherwise) {
    if (calls.isEmpty() || !bus.isConnected()) {
        if (otherwise)
            otherwise();
        return;
    }
    const QDBusMessage call = calls.takeFirst();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, busTimeoutMs), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [bus, calls, context, otherwise](QDBusPendingCallWatcher* answered) {
                         answered->deleteLater();
                         if (answered->isError())
                             callInTurn(bus, calls, context, otherwise);
                     });
}

const BusRequest screenSaverServices[] = {
    {"org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
     "SetActive"},
    {"org.freedesktop.ScreenSaver", "/ScreenSaver", "org.freedesktop.ScreenSaver", "SetActive"},
};

QList<QDBusMessage> screenSaverCalls() {
    QList<QDBusMessage> calls;
    for (const BusRequest& request : screenSaverServices)
        calls.append(busCall(request, {true}));
    return calls;
}

// The display services of the desktops that have one, then the screen saver, which blanks the screen.
QList<QDBusMessage> monitorOffCalls() {
    QList<QDBusMessage> calls;
    // GNOME: the display configuration's power-save mode, 1 being standby.
    calls.append(busCall({"org.gnome.Mutter.DisplayConfig", "/org/gnome/Mutter/DisplayConfig",
                          "org.freedesktop.DBus.Properties", "Set"},
                         {QStringLiteral("org.gnome.Mutter.DisplayConfig"), QStringLiteral("PowerSaveMode"),
                          QVariant::fromValue(QDBusVariant(1))}));
    // KDE Plasma: the power manager's own "Turn Off Screen" action.
    calls.append(busCall({"org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                          "org.kde.kglobalaccel.Component", "invokeShortcut"},
                         {QStringLiteral("Turn Off Screen")}));
    calls.append(screenSaverCalls());
    return calls;
}

// True when the X server took the request. The X server keeps the level until input arrives. DPMS may
// be disabled in the server's settings, where a forced level does nothing: it is enabled first, which
// leaves it enabled (with the user's timeouts, so nothing else starts blanking the screen).
bool x11MonitorOff() {
#if QT_CONFIG(xcb)
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return false;
    // Asked by name first: the DPMS calls complain on the error stream when the server lacks it.
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    if (!XQueryExtension(display, "DPMS", &opcode, &eventBase, &errorBase) ||
        !DPMSQueryExtension(display, &eventBase, &errorBase) || !DPMSCapable(display))
        return false;
    CARD16 level = 0;
    BOOL enabled = False;
    DPMSInfo(display, &level, &enabled);
    if (!enabled)
        DPMSEnable(display);
    DPMSForceLevel(display, DPMSModeStandby);
    XFlush(display);
    return true;
#else
    return false;
#endif
}

} // namespace

PlatformSystemActions::PlatformSystemActions(engine::Engine& engine, DesktopAccess access)
    : engine_(engine)
    , access_(std::move(access)) {}

PlatformSystemActions::~PlatformSystemActions() = default;

QDBusConnection PlatformSystemActions::bus() const {
    return access_.bus ? *access_.bus : QDBusConnection::sessionBus();
}

bool PlatformSystemActions::startProgram(const QString& program, const QStringList& arguments) const {
    return access_.startProgram ? access_.startProgram(program, arguments)
                                : QProcess::startDetached(program, arguments);
}

void PlatformSystemActions::monitorOff() {
    if (x11MonitorOff())
        return;
    callInTurn(bus(), monitorOffCalls(), &pending_, nullptr);
}

void PlatformSystemActions::startScreenSaver() {
    callInTurn(bus(), screenSaverCalls(), &pending_,
               [this] { startProgram(QStringLiteral("xdg-screensaver"), {QStringLiteral("activate")}); });
}

bool PlatformSystemActions::cdDoorIsOpen() {
    return engine_.cdDoorIsOpen(firstDrive);
}

bool PlatformSystemActions::cdDoorIsLocked() {
    return engine_.cdDoorIsLocked(firstDrive);
}

bool PlatformSystemActions::cdDoor(std::uint32_t action) {
    return engine_.cdDoor(firstDrive, action);
}

} // namespace orvu
