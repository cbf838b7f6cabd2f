#pragma once

#include <QString>

// Whether the window system Qt would pick on its own can be reached and lets us in, checked
// before Qt tries (and aborts when it cannot). Empty when it can, or when the platform is chosen
// explicitly
// (-platform, QT_QPA_PLATFORM); otherwise one line for standard error naming the cause and
// what to do instead.
QString displayProblem(int argc, char* argv[]);
