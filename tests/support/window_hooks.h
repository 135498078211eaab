// Undoing what a test's windows left on the application object: its event
// handlers, queued dialog answers and the cursor.
#pragma once

#include <QCoreApplication>

#include "platform/Forms.h"

namespace lumvor::test {

// Processes the deferred deletions of the windows a test freed, then clears
// the application's handlers, the queued answers and the cursor.
inline void ResetApplicationHooks() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    Application.OnException = nullptr;
    Application.OnHelp = nullptr;
    Application.OnIdle = nullptr;
    Application.OnRestore = nullptr;
    Application.OnMinimize = nullptr;
    ClearModalAnswers();
    Screen.SetCursor(crDefault);
}

}  // namespace lumvor::test
