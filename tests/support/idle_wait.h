// Telling in tests a wait that idles from one that spins, in ways a machine
// with every core busy does not upset.
//
// A spinning wait turns its event loop over and over; an idle one turns only
// when an event arrives. The turns are counted, not timed, so that the count
// stays the same however slowly the machine runs. The process CPU time is a
// second, coarser sign: a spin burns about as much as it can get.
#pragma once

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

namespace lumvor::test {

// The CPU seconds the process has used so far, all threads and the kernel's
// share included.
inline double ProcessCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Counts, while it lives, how often the calling thread's event dispatcher
// wakes to look for events: once per turn of any event loop, a nested one or
// a processEvents() call included.
class LoopTurns {
public:
    LoopTurns() {
        if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread()))
            connection_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] { ++turns_; });
    }
    ~LoopTurns() { QObject::disconnect(connection_); }
    LoopTurns(const LoopTurns&) = delete;
    LoopTurns& operator=(const LoopTurns&) = delete;

    int Count() const { return turns_; }

private:
    QMetaObject::Connection connection_;
    int turns_ = 0;
};

// Runs the event loop for a while with no timer of its own but the one that
// ends it, so that the other turns all come from what the test watches.
inline void RunQuietlyFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace lumvor::test
