// How the layers below the controls show a message or stop the running long run.
//
// The image libraries and the helpers warn the user (a full disk, a picture the
// image library could not read) but sit below the controls that own the message
// box and the long run's stop flag. The controls register both here when the
// program starts; a tool or test built without the controls has no hook, and its
// messages go to standard error.
//
// Register before any other thread runs; the calls themselves are as safe for
// threads as what the hook does (the program's box wants the GUI thread).
#pragma once

#include <functional>
#include <string>

namespace lumvor {

// Which box shows a message: its icon and its caption.
enum class TMessageKind { Warning, Error };

struct TMessageHook {
    // Shows Text in a box with an OK button only, and returns when it is closed.
    std::function<void(const std::string& Text, TMessageKind Kind)> ShowMessage;
    // Asks the running long run to stop (its loop sees the request and ends).
    std::function<void()> StopLongRun;
};

// Replaces the hook and answers the one it replaces; a member left empty is not handled.
TMessageHook SetMessageHook(TMessageHook Hook);

// Shows Text through the hook; without one, writes "Warning: Text" or
// "Error: Text" as a line on standard error.
void ShowHookedMessage(const std::string& Text, TMessageKind Kind);

// Asks the running long run to stop through the hook; nothing without one.
void StopHookedLongRun();

}  // namespace lumvor
