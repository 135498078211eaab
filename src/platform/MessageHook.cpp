#include "platform/MessageHook.h"

#include <cstdio>
#include <utility>

namespace lumvor {

namespace {

// Constructed on first use: the controls register from a static initialiser of
// their own, which may run before this file's.
TMessageHook& Hook() {
    static TMessageHook hook;
    return hook;
}

}  // namespace

TMessageHook SetMessageHook(TMessageHook hook) { return std::exchange(Hook(), std::move(hook)); }

void ShowHookedMessage(const std::string& text, TMessageKind kind) {
    if (Hook().ShowMessage) {
        Hook().ShowMessage(text, kind);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", kind == TMessageKind::Error ? "Error" : "Warning", text.c_str());
    std::fflush(stderr);
}

void StopHookedLongRun() {
    if (Hook().StopLongRun)
        Hook().StopLongRun();
}

}  // namespace lumvor
