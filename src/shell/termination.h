// Purpose: turns SIGTERM, SIGINT and SIGHUP into a close of the main window, so settings and playlist are
// saved.
#pragma once

class QWidget;

namespace orvu {

void closeOnTermination(QWidget* mainWindow);

} // namespace orvu
