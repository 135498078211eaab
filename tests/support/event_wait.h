// Waiting in tests for what the event loop brings, always with a deadline.
#pragma once

#include <QEventLoop>
#include <QTimer>

namespace lumvor::test {

// Runs an event loop (the application's idle handler included: the loop waits
// for events) until done() or the deadline; returns done().
template <class F>
bool SpinUntil(F done, int deadlineMs = 60000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    poll.start(5);
    QTimer::singleShot(deadlineMs, &loop, &QEventLoop::quit);
    if (!done()) loop.exec();
    return done();
}

// Runs the event loop for a while.
inline void SpinFor(int milliseconds) {
    SpinUntil([] { return false; }, milliseconds);
}

}  // namespace lumvor::test
