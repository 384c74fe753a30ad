// The library's message boxes. With PENDREL_NO_MESSAGE_BOX=1 in the environment
// (automated tests), or in a host without a widget application, a box becomes
// the line "Pendrel: <text>" on standard error instead.
#pragma once

#include <string>

class QObject;

namespace pendrel {

bool MessageBoxesSuppressed();

// Shows a modal warning box with the text. Called off the user-interface
// thread, the box is queued to that thread: to `context` when given (so that
// it is dropped with that object), else to the application object.
void ShowPendrelMessage(const std::string& text, QObject* context = nullptr);

}  // namespace pendrel
