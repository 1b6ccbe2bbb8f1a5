// Purpose: input the way the window system delivers it, for what QTest cannot send in this Qt version.
#pragma once

class QWidget;

namespace orvu::test {

// Turns the wheel by `delta` eighths of a degree with the pointer over `target` (which must be shown).
// The event goes through the window system: the application finds the widget under the pointer and,
// where a widget leaves the wheel, passes it on to its parents, as with a real mouse.
void wheelOver(QWidget* target, int delta);

} // namespace orvu::test
