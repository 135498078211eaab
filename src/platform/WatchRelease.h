// Closing an inotify descriptor makes the kernel wait until every reader of
// its watches is done before the close returns: tens of milliseconds, spent
// waiting, for each descriptor that held a watch. The watchers hand their
// descriptors here instead; one background thread closes them. The descriptor
// reports nothing more once handed over (its owner stops reading it first).
// Any thread.
#pragma once

namespace lumvor {

// Closes Fd (an inotify descriptor; -1 does nothing) on the background thread;
// at once when a few are waiting there already, and in a forked child, where
// that thread does not run.
void ReleaseWatchDescriptor(int Fd);

}  // namespace lumvor
