#include "app/ShowClock.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace lumvor {

namespace {

class TRealShowClock : public TShowClock {
public:
    void Pause(int Milliseconds, const std::function<bool()>& Wake) override {
        QDeadlineTimer due(std::max(0, Milliseconds), Qt::PreciseTimer);
        QEventLoop loop;
        QTimer alarm;
        alarm.setSingleShot(true);
        alarm.setTimerType(Qt::PreciseTimer);
        while (!Wake() && !due.hasExpired()) {
            alarm.start(int(std::max<qint64>(1, due.remainingTime())));
            // Sleeps until an event arrives: the alarm at the latest.
            loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        }
    }
};

TRealShowClock RealClock;
TShowClock* CurrentClock = &RealClock;

}  // namespace

TShowClock& ShowClock() { return *CurrentClock; }

void SetShowClock(TShowClock* Clock) { CurrentClock = Clock ? Clock : &RealClock; }

void TVirtualShowClock::At(int64_t Milliseconds, std::function<void()> Action) {
    actions_.emplace(Milliseconds, std::move(Action));
}

void TVirtualShowClock::Pause(int Milliseconds, const std::function<bool()>& Wake) {
    Pauses.push_back(Milliseconds);
    const int64_t due = Now + std::max(0, Milliseconds);
    while (!actions_.empty() && actions_.begin()->first <= due) {
        auto next = actions_.begin();
        Now = std::max(Now, next->first);
        const std::function<void()> action = std::move(next->second);
        actions_.erase(next);
        action();
        if (Wake())
            return;
    }
    Now = due;
    if (Now > Limit && OnLimit)
        OnLimit();
}

}  // namespace lumvor
