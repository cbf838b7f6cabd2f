#pragma once

class QCoreApplication;

// Lets SIGINT and SIGTERM end the event loop normally, so destructors run
// (and the simulator's symlink is removed) instead of the process dying.
bool quitOnTerminationSignals(QCoreApplication& app);
