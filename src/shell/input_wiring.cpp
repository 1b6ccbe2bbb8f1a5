// Purpose: a window's input declared as tables of {control, signal or event, handler}: each row wires
// one control, and every handler runs inside the error guard.
#include "shell/input_wiring.h"

#include <vector>

namespace orvu {
namespace {

// The routes of one control; it is the control's child, so it lives exactly as long as the control.
class EventRoutes final : public QObject {
public:
    explicit EventRoutes(QObject* control)
        : QObject(control) {
        control->installEventFilter(this);
    }

    static EventRoutes* of(QObject* control) {
        for (QObject* child : control->children())
            if (auto* routes = dynamic_cast<EventRoutes*>(child))
                return routes;
        return new EventRoutes(control);
    }

    void add(QEvent::Type type, std::function<bool(QEvent*)> handler) {
        routes_.push_back({type, std::move(handler)});
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != parent())
            return false;
        bool taken = false;
        for (const Route& route : routes_)
            if (route.type == event->type())
                runGuarded([&] { taken = route.handler(event) || taken; });
        return taken;
    }

private:
    struct Route {
        QEvent::Type type;
        std::function<bool(QEvent*)> handler;
    };
    std::vector<Route> routes_;
};

} // namespace

void wireEvents(std::initializer_list<EventRow> rows) {
    for (const EventRow& row : rows)
        EventRoutes::of(row.control)->add(row.type, row.handler);
}

} // namespace orvu
