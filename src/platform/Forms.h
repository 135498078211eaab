// The application object, the screen, the exception guard and the modal-run hooks.
//
// Exceptions never cross Qt's event loop: every slot, timer and event handler body
// that can throw runs inside Guarded(), which hands the exception to
// Application.HandleException (Application.OnException when set, else a logged
// warning) and lets the event loop go on.
//
// Modal runs go through ExecModal(). A test queues answers beforehand
// (QueueModalResult for a plain result, QueueModalAction to work the dialog),
// so no test ever waits on a dialog.
#pragma once

#include "platform/SysUtils.h"

#include <QCursor>
#include <QDialog>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QTimer>

#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

class QAbstractButton;
class QKeyEvent;
class QWidget;

namespace lumvor {

// Results of a modal run (the value QDialog::exec answers).
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// What a form's close handler asks to happen to the form.
enum TCloseAction { caNone, caHide, caFree, caMinimize };

// Cursor identifiers: the stock cursors are negative, the program's own cursors
// (registered with TScreen::SetCursors) use positive numbers.
using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

class TApplication {
public:
    // Installs the idle hook; Run() calls it when it has not run yet.
    void Initialize();
    // Runs the event loop until Terminate (returns at once when already terminated).
    void Run();
    // Handles every pending event, then returns. A command that calls it stays on
    // the stack meanwhile, so a window closed by one of these events must not be
    // freed under it: see DeferClose.
    void ProcessMessages();
    // True while some command waits in ProcessMessages or a modal run.
    bool ProcessingMessages() const { return processingDepth_ > 0; }
    // Called first by a form's close handling: while a command waits in
    // ProcessMessages or in a modal run (ExecModal) the close is put off (answer
    // true: the caller ignores this close) and asked for again once every such
    // command has returned to the event loop. Answers false when the close may
    // go ahead now.
    bool DeferClose(QWidget* form);

    // Marks the stretch in which a command waits for messages.
    class TMessageWait {
    public:
        TMessageWait();
        ~TMessageWait();
        TMessageWait(const TMessageWait&) = delete;
        TMessageWait& operator=(const TMessageWait&) = delete;
    };
    // Asks the event loop to end; Terminated() is true from now on.
    void Terminate();
    bool Terminated() const { return terminated_; }

    // Full name of the running executable.
    std::string ExeName() const;

    // The main form: minimised and restored by Minimize/Restore, watched for the
    // user doing the same.
    QWidget* MainForm() const { return mainForm_; }
    void SetMainForm(QWidget* form);
    void Minimize();
    void Restore();

    // Hands an exception to OnException, or logs it when no handler is set. Safe
    // to call from any thread: off the GUI thread the exception is delivered to
    // the GUI thread by a queued call.
    void HandleException(const Exception& e);
    // Same for the exception being handled in a catch block (any type).
    void HandleCurrentException();

    // Asks for the help page of a context number; answers whether OnHelp handled it
    // (false while no help handler is installed).
    bool HelpContext(long context);

    std::string Title;
    std::string HelpFile;

    std::function<void(const Exception&)> OnException;
    // The help handler: gets the context number, answers whether it showed help.
    std::function<bool(long context)> OnHelp;
    std::function<void()> OnMinimize;
    std::function<void()> OnRestore;
    // Called when the event loop runs out of events. Leaving done false asks for
    // another call at once; true waits for the next events first.
    std::function<void(bool& done)> OnIdle;

private:
    void Idle();
    void IssueDeferredCloses();

    bool terminated_ = false;
    bool running_ = false;
    bool initialized_ = false;
    bool inIdle_ = false;
    int processingDepth_ = 0;
    std::vector<QPointer<QWidget>> deferredCloses_;
    QWidget* mainForm_ = nullptr;
    QObject* mainFormWatch_ = nullptr;
};

class TScreen {
public:
    // The primary screen's size, or the size tests set through SetSize.
    int Width() const;
    int Height() const;
    // Makes Width and Height answer this size (an empty size: the real screen's).
    void SetSize(QSize size) { size_ = size; }
    // The primary screen's area less panels and docks.
    QRect WorkAreaRect() const;

    TCursor Cursor() const { return cursor_; }
    // crDefault drops the application-wide cursor; any other sets it.
    void SetCursor(TCursor cursor);
    // Registers one of the program's own cursors under a positive number.
    void SetCursors(TCursor index, const QCursor& cursor);
    // The Qt cursor for an identifier (unknown numbers give the arrow).
    QCursor Cursors(TCursor index) const;

private:
    TCursor cursor_ = crDefault;
    QSize size_;
    bool overrideSet_ = false;
    std::map<TCursor, QCursor> custom_;
};

class TMouse {
public:
    QPoint CursorPos() const;
};

extern TApplication Application;
extern TScreen Screen;
extern TMouse Mouse;

// Runs body; any exception it throws goes to Application.HandleException.
template <class F>
void Guarded(F&& body) noexcept {
    try {
        std::forward<F>(body)();
    } catch (...) {
        Application.HandleCurrentException();
    }
}

namespace detail {

template <class F, class Tuple, class Indexes>
struct TakesLeading;
template <class F, class Tuple, size_t... I>
struct TakesLeading<F, Tuple, std::index_sequence<I...>>
    : std::is_invocable<F&, std::tuple_element_t<I, Tuple>&...> {};

// Calls f with as many of the leading arguments as it takes, as a slot connected
// to a signal may ignore the signal's trailing arguments.
template <size_t N, class F, class Tuple>
void CallWithLeading(F& f, Tuple& args) {
    if constexpr (TakesLeading<F, Tuple, std::make_index_sequence<N>>::value) {
        [&]<size_t... I>(std::index_sequence<I...>) {
            f(std::get<I>(args)...);
        }(std::make_index_sequence<N>());
    } else {
        static_assert(N > 0, "the handler cannot take these arguments");
        if constexpr (N > 0)
            CallWithLeading<N - 1>(f, args);
    }
}

}  // namespace detail

// Wraps a callable so that each call runs inside Guarded; use it for slots and
// timer handlers: connect(button, &QPushButton::clicked, form, Guard([=] {...})).
template <class F>
auto Guard(F f) {
    return [f = std::move(f)](auto&&... args) mutable {
        Guarded([&] {
            auto all = std::forward_as_tuple(std::forward<decltype(args)>(args)...);
            detail::CallWithLeading<sizeof...(args)>(f, all);
        });
    };
}

// A form's close event through its close query and its close handler, both
// guarded: query(canClose) may refuse the close (the event is ignored);
// otherwise the event is accepted and close() runs.
template <class Query, class Close>
void CloseThroughQuery(QEvent* event, Query&& query, Close&& close) {
    bool canClose = true;
    Guarded([&] { query(canClose); });
    if (!canClose) {
        event->ignore();
        return;
    }
    event->accept();
    Guarded(std::forward<Close>(close));
}

// QObject::connect through the guard.
template <class Sender, class Signal, class F>
QMetaObject::Connection ConnectGuarded(const Sender* sender, Signal signal,
                                       const QObject* context, F&& f) {
    return QObject::connect(sender, signal, context, Guard(std::forward<F>(f)));
}

// A timer whose OnTimer runs inside the guard. It ticks while Enabled, Interval
// is above 0 and OnTimer is set; changing Enabled or Interval restarts the count.
class TTimer : public QObject {
public:
    explicit TTimer(QObject* owner = nullptr);

    int Interval() const { return interval_; }
    void SetInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    void SetOnTimer(std::function<void()> handler);
    // Free for the owner: what the timer's next tick is to do.
    int Tag = 0;

private:
    void Update();

    QTimer timer_;
    int interval_ = 1000;
    bool enabled_ = true;
    std::function<void()> onTimer_;
};

// A form of the program run modally, with the class library's rules: a button
// given a modal result ends the run with it when clicked, Escape presses the
// button marked as the cancel button (nothing happens without one) and the
// window's close button ends the run with mrCancel.
class TModalForm : public QDialog {
public:
    explicit TModalForm(QWidget* owner = nullptr);

    int Left() const { return pos().x(); }
    int Top() const { return pos().y(); }
    void SetLeft(int left) { move(left, pos().y()); }
    void SetTop(int top) { move(pos().x(), top); }

    // Centres the form on a point (no coordinate below 0), then pulls it left and
    // up so that it ends inside the screen.
    void CentreOnPoint(QPoint point);
    // Moves the form to (left, top), or centres it on the screen when either is -1.
    void PlaceAt(int left, int top);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
};

// Makes a click on button end dialog's modal run with modalResult (mrNone: the
// button does not close the dialog).
void SetModalResult(QDialog& dialog, QAbstractButton& button, int modalResult);
// Marks button as the cancel button of its dialog: Escape presses it.
void SetCancelButton(QAbstractButton& button);
// Escape (without modifiers) presses the dialog's cancel button, if it has one;
// answers whether the key was Escape.
bool HandleEscape(QDialog& dialog, QKeyEvent& event);
// The small dialogs' font: a regular sans-serif face of pointSize points (-1: the
// application's default size).
void SetDialogFont(QWidget& form, int pointSize = -1);

// Runs dialog modally and answers its result (the value passed to done(), a
// TModalResult for the program's forms). When a test has queued an answer, the
// answer is applied as soon as the dialog runs.
int ExecModal(QDialog& dialog);

// Test hooks. Answers are taken by modal runs in the order they were queued.
using ModalAction = std::function<void(QDialog&)>;
// The next modal run ends with result.
void QueueModalResult(int result);
// The next modal run calls action with the showing dialog; the action ends the
// run itself (done(), a click on a button, a key press).
void QueueModalAction(ModalAction action);

// Waits while the windows go on painting and reacting.
void WaitWithEvents(int milliseconds);
int QueuedModalAnswers();
void ClearModalAnswers();
// When strict, a modal run with no queued answer ends at once with mrCancel and
// is counted, instead of waiting for a user (for tests).
void SetStrictModalRuns(bool strict);
int UnansweredModalRuns();

}  // namespace lumvor
