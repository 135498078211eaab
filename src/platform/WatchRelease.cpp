#include "platform/WatchRelease.h"

#include <unistd.h>

#include <cstddef>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace lumvor {

namespace {

// Descriptors waiting to be closed at most; past that the caller closes its
// own, so that a burst of watchers stopped does not pile up open instances
// (the kernel allows a user only a few of them).
constexpr size_t kMaxPending = 8;

class TWatchCloser {
public:
    TWatchCloser() : Owner(::getpid()) { std::thread([this] { Run(); }).detach(); }

    void Close(int fd) {
        bool handedOver = false;
        if (::getpid() == Owner) {
            const std::lock_guard<std::mutex> lock(Lock);
            handedOver = Outstanding < kMaxPending;
            if (handedOver) {
                Pending.push_back(fd);
                ++Outstanding;
            }
        }
        if (handedOver)
            Ready.notify_one();
        else
            ::close(fd);
    }

private:
    void Run() {
        std::vector<int> closing;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(Lock);
                Ready.wait(lock, [this] { return !Pending.empty(); });
                closing.swap(Pending);
            }
            for (int fd : closing) {
                ::close(fd);
                const std::lock_guard<std::mutex> lock(Lock);
                --Outstanding;
            }
            closing.clear();
        }
    }

    const pid_t Owner;
    std::mutex Lock;
    std::condition_variable Ready;
    std::vector<int> Pending;
    size_t Outstanding = 0;  // handed over and not closed yet
};

// Made once and never destroyed: its thread runs until the program ends.
TWatchCloser& Closer() {
    static TWatchCloser* closer = new TWatchCloser();
    return *closer;
}

}  // namespace

void ReleaseWatchDescriptor(int Fd) {
    if (Fd >= 0)
        Closer().Close(Fd);
}

}  // namespace lumvor
