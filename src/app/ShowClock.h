// The clock the slide show's pauses run on. The real clock waits in a local
// event loop that a timer ends at the due time, so the program idles while a
// slide is shown; a virtual clock (tests) jumps to the end of each pause at
// once and runs the actions scheduled before it.
//
// GUI thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

namespace lumvor {

class TShowClock {
public:
    virtual ~TShowClock() = default;
    // Waits Milliseconds, or less when Wake answers true (asked after every
    // event the wait lets through).
    virtual void Pause(int Milliseconds, const std::function<bool()>& Wake) = 0;
};

// The clock in use: the real one unless a test installed another.
TShowClock& ShowClock();
// Installs Clock (null: the real clock again).
void SetShowClock(TShowClock* Clock);

// Virtual time for tests: a pause advances Now to its end, first running the
// actions scheduled up to then (in time order) and ending early once Wake
// answers true after one of them. Pauses records each pause's asked length.
// Beyond Limit milliseconds every pause calls OnLimit, which a test uses to
// end a show that would otherwise play on.
class TVirtualShowClock : public TShowClock {
public:
    void Pause(int Milliseconds, const std::function<bool()>& Wake) override;
    void At(int64_t Milliseconds, std::function<void()> Action);

    int64_t Now = 0;
    std::vector<int> Pauses;
    int64_t Limit = 600000;
    std::function<void()> OnLimit;

private:
    std::multimap<int64_t, std::function<void()>> actions_;
};

}  // namespace lumvor
