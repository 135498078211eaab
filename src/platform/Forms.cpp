#include "platform/Forms.h"

#include "platform/Folders.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QFont>
#include <QKeyEvent>
#include <QWindowStateChangeEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QtGlobal>

#include <algorithm>
#include <deque>
#include <new>

namespace lumvor {

TApplication Application;
TScreen Screen;
TMouse Mouse;

namespace {

bool OnGuiThread() {
    QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Turns the main form's own minimising and restoring into the application's
// OnMinimize and OnRestore events.
class MainFormWatch : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) {
            auto* form = static_cast<QWidget*>(watched);
            auto* change = static_cast<QWindowStateChangeEvent*>(event);
            bool was = change->oldState() & Qt::WindowMinimized;
            bool now = form->windowState() & Qt::WindowMinimized;
            if (now && !was && Application.OnMinimize)
                Guarded(Application.OnMinimize);
            else if (was && !now && Application.OnRestore)
                Guarded(Application.OnRestore);
        }
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

void TApplication::Initialize() {
    if (initialized_ || !QCoreApplication::instance())
        return;
    initialized_ = true;
    // The dispatcher is about to wait for events: the event loop is idle.
    QAbstractEventDispatcher* dispatcher =
        QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    if (dispatcher)
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                         QCoreApplication::instance(), [this] { Idle(); });
}

void TApplication::Idle() {
    if (!OnIdle || inIdle_)
        return;
    inIdle_ = true;
    bool done = true;
    Guarded([&] {
        // A copy: the handler may remove itself.
        auto handler = OnIdle;
        handler(done);
    });
    inIdle_ = false;
    if (!done)  // wake the loop so that it comes back here at once
        QTimer::singleShot(0, QCoreApplication::instance(), [] {});
}

void TApplication::Run() {
    Initialize();
    if (terminated_ || !QCoreApplication::instance())
        return;
    running_ = true;
    QCoreApplication::exec();
    running_ = false;
    terminated_ = true;
}

void TApplication::ProcessMessages() {
    if (!OnGuiThread())
        return;
    TMessageWait wait;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

TApplication::TMessageWait::TMessageWait() { ++Application.processingDepth_; }

TApplication::TMessageWait::~TMessageWait() { --Application.processingDepth_; }

bool TApplication::DeferClose(QWidget* form) {
    if (processingDepth_ == 0 || !form)
        return false;
    const bool armed = !deferredCloses_.empty();
    if (std::find(deferredCloses_.begin(), deferredCloses_.end(), form) == deferredCloses_.end())
        deferredCloses_.emplace_back(form);
    if (!armed)
        QTimer::singleShot(10, QCoreApplication::instance(), [this] { IssueDeferredCloses(); });
    return true;
}

// Runs from the event loop; while a command still waits in ProcessMessages the
// closes wait for the next turn.
void TApplication::IssueDeferredCloses() {
    if (processingDepth_ > 0) {
        QTimer::singleShot(10, QCoreApplication::instance(), [this] { IssueDeferredCloses(); });
        return;
    }
    std::vector<QPointer<QWidget>> closes;
    closes.swap(deferredCloses_);
    for (const QPointer<QWidget>& form : closes)
        if (form)
            Guarded([&] { form->close(); });
}

void TApplication::Terminate() {
    terminated_ = true;
    // Before Run there is no loop to end: Run then returns at once. Inside Run
    // every loop ends, the modal ones included.
    if (running_)
        QCoreApplication::exit(0);
}

bool TApplication::HelpContext(long context) { return OnHelp ? OnHelp(context) : false; }

std::string TApplication::ExeName() const {
    return ExeFileName();
}

void TApplication::SetMainForm(QWidget* form) {
    if (mainForm_ && mainFormWatch_)
        mainForm_->removeEventFilter(mainFormWatch_);
    delete mainFormWatch_;
    mainFormWatch_ = nullptr;
    mainForm_ = form;
    if (form) {
        mainFormWatch_ = new MainFormWatch(form);
        form->installEventFilter(mainFormWatch_);
        QObject::connect(form, &QObject::destroyed, mainFormWatch_, [this] {
            mainForm_ = nullptr;
            mainFormWatch_ = nullptr;
        });
    }
}

void TApplication::Minimize() {
    if (mainForm_)
        mainForm_->showMinimized();  // the watch raises OnMinimize
    else if (OnMinimize)
        Guarded(OnMinimize);
}

void TApplication::Restore() {
    if (mainForm_)
        mainForm_->showNormal();  // the watch raises OnRestore
    else if (OnRestore)
        Guarded(OnRestore);
}

void TApplication::HandleException(const Exception& e) {
    if (!OnGuiThread()) {
        if (QCoreApplication* app = QCoreApplication::instance()) {
            QMetaObject::invokeMethod(
                app, [copy = Exception(e.Message())] { Application.HandleException(copy); },
                Qt::QueuedConnection);
            return;
        }
    }
    if (OnException) {
        try {
            auto handler = OnException;
            handler(e);
            return;
        } catch (const std::exception& inner) {
            qWarning("Exception in the exception handler: %s", inner.what());
        } catch (...) {
            qWarning("Exception in the exception handler");
        }
    }
    qWarning("%s", e.Message().c_str());
}

void TApplication::HandleCurrentException() {
    try {
        throw;
    } catch (const Exception& e) {
        HandleException(e);
    } catch (const std::bad_alloc&) {
        HandleException(EOutOfMemory("Out of memory"));
    } catch (const std::exception& e) {
        HandleException(Exception(e.what()));
    } catch (...) {
        HandleException(Exception("Unknown exception"));
    }
}

// --- Screen and mouse

namespace {

QScreen* PrimaryScreen() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::primaryScreen()
               : nullptr;
}

}  // namespace

int TScreen::Width() const {
    if (!size_.isEmpty())
        return size_.width();
    QScreen* screen = PrimaryScreen();
    return screen ? screen->geometry().width() : 0;
}

int TScreen::Height() const {
    if (!size_.isEmpty())
        return size_.height();
    QScreen* screen = PrimaryScreen();
    return screen ? screen->geometry().height() : 0;
}

QRect TScreen::WorkAreaRect() const {
    QScreen* screen = PrimaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

void TScreen::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return;
    if (cursor == crDefault) {
        if (overrideSet_)
            QGuiApplication::restoreOverrideCursor();
        overrideSet_ = false;
    } else if (overrideSet_) {
        QGuiApplication::changeOverrideCursor(Cursors(cursor));
    } else {
        QGuiApplication::setOverrideCursor(Cursors(cursor));
        overrideSet_ = true;
    }
}

void TScreen::SetCursors(TCursor index, const QCursor& cursor) {
    custom_[index] = cursor;
}

QCursor TScreen::Cursors(TCursor index) const {
    if (auto it = custom_.find(index); it != custom_.end())
        return it->second;
    switch (index) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

QPoint TMouse::CursorPos() const {
    return QCursor::pos();
}

// --- Modal forms

namespace {
// The property a button carries its cancel-button mark in.
constexpr const char* kCancelButton = "Cancel";
}  // namespace

TModalForm::TModalForm(QWidget* owner) : QDialog(owner) {}

void TModalForm::CentreOnPoint(QPoint point) {
    int left = std::max(0, point.x() - width() / 2);
    int top = std::max(0, point.y() - height() / 2);
    if (left + width() > Screen.Width())
        left = Screen.Width() - width();
    if (top + height() > Screen.Height())
        top = Screen.Height() - height();
    move(left, top);
}

void TModalForm::PlaceAt(int left, int top) {
    if (left != -1 && top != -1)
        move(left, top);
    else
        move((Screen.Width() - width()) / 2, (Screen.Height() - height()) / 2);
}

void TModalForm::keyPressEvent(QKeyEvent* event) {
    if (!HandleEscape(*this, *event))
        QDialog::keyPressEvent(event);
}

// Reached through the window's close button (Escape is handled above).
void TModalForm::reject() { done(mrCancel); }

void SetModalResult(QDialog& dialog, QAbstractButton& button, int modalResult) {
    if (modalResult != mrNone)
        QObject::connect(&button, &QAbstractButton::clicked, &dialog,
                         [&dialog, modalResult] { dialog.done(modalResult); });
}

void SetCancelButton(QAbstractButton& button) { button.setProperty(kCancelButton, true); }

bool HandleEscape(QDialog& dialog, QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape || event.modifiers() != Qt::NoModifier)
        return false;
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (b->property(kCancelButton).toBool()) {
            b->click();
            break;
        }
    }
    return true;
}

void SetDialogFont(QWidget& form, int pointSize) {
    QFont font("MS Sans Serif", pointSize);
    font.setStyleHint(QFont::SansSerif);
    font.setBold(false);
    font.setItalic(false);
    form.setFont(font);
}

// --- Timer

TTimer::TTimer(QObject* owner) : QObject(owner) {
    QObject::connect(&timer_, &QTimer::timeout, this, [this] {
        if (onTimer_) {
            auto handler = onTimer_;  // the handler may replace itself
            Guarded(handler);
        }
    });
}

void TTimer::SetInterval(int milliseconds) {
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    Update();
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    Update();
}

void TTimer::Update() {
    if (enabled_ && interval_ > 0 && onTimer_)
        timer_.start(interval_);
    else
        timer_.stop();
}

// --- Modal runs

namespace {

struct ModalAnswer {
    int result = mrNone;
    ModalAction action;  // when set, used in place of result
};

std::deque<ModalAnswer>& Answers() {
    static std::deque<ModalAnswer> answers;
    return answers;
}

bool strictModalRuns = false;
int unansweredModalRuns = 0;

}  // namespace

int ExecModal(QDialog& dialog) {
    auto& answers = Answers();
    if (!answers.empty()) {
        ModalAnswer answer = std::move(answers.front());
        answers.pop_front();
        QPointer<QDialog> target(&dialog);
        QTimer::singleShot(0, &dialog, [answer = std::move(answer), target] {
            if (!target)
                return;
            if (answer.action)
                Guarded([&] { answer.action(*target); });
            else
                target->done(answer.result);
        });
        TApplication::TMessageWait wait;
        return dialog.exec();
    }
    if (strictModalRuns) {
        ++unansweredModalRuns;
        qWarning("Modal dialog \"%s\" ran with no answer queued",
                 qPrintable(dialog.windowTitle()));
        dialog.setResult(mrCancel);
        return mrCancel;
    }
    TApplication::TMessageWait wait;
    return dialog.exec();
}

void QueueModalResult(int result) {
    Answers().push_back({result, nullptr});
}

void WaitWithEvents(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void QueueModalAction(ModalAction action) {
    Answers().push_back({mrNone, std::move(action)});
}

int QueuedModalAnswers() {
    return static_cast<int>(Answers().size());
}

void ClearModalAnswers() {
    Answers().clear();
}

void SetStrictModalRuns(bool strict) {
    strictModalRuns = strict;
}

int UnansweredModalRuns() {
    return unansweredModalRuns;
}

}  // namespace lumvor
