// Purpose: routes the name list's key presses and mouse moves to the main window's playlist handlers.
#pragma once

#include <QObject>

namespace orvu {

class TForm1;

class ListBox;

// Installed on lst1 (keys) and its viewport (mouse moves); owned by the list. It reaches the window
// only for key presses and mouse moves, never while the window is being torn down.
class PlaylistEventFilter : public QObject {
public:
    PlaylistEventFilter(TForm1& window, ListBox* list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TForm1& window_;
    QObject* list_;
    QObject* viewport_;
};

} // namespace orvu
