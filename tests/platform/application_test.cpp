// The application object: exceptions in slots, timers and threads reach the
// handler and the event loop goes on; idle handling; the screen cursor; modal
// runs answered by the test; the program's folders.
#include "platform/Folders.h"
#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWidget>

#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <thread>
#include <vector>

using namespace lumvor;

namespace {

// Records what reaches the application's exception handler.
struct ExceptionLog {
    std::vector<std::string> messages;
    bool convertError = false;
    ExceptionLog() {
        Application.OnException = [this](const Exception& e) {
            messages.push_back(e.Message());
            if (dynamic_cast<const EConvertError*>(&e))
                convertError = true;
        };
    }
    ~ExceptionLog() { Application.OnException = nullptr; }
};

// Spins the event loop until done() holds or the time is up.
template <class Done>
bool SpinUntil(Done done, int milliseconds = 5000) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    poll.start(1);
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

}  // namespace

TEST(Application, ExceptionInASlotReachesTheHandlerAndTheLoopGoesOn) {
    ExceptionLog log;
    QPushButton button;
    int clicksAfter = 0;
    ConnectGuarded(&button, &QPushButton::clicked, &button,
                   [](bool) { throw EConvertError("'x' is not a valid integer value"); });
    ConnectGuarded(&button, &QPushButton::clicked, &button, [&] { ++clicksAfter; });
    QTimer::singleShot(0, &button, [&] { button.click(); });
    QTimer::singleShot(1, &button, Guard([] { throw std::runtime_error("plain std error"); }));
    QTimer::singleShot(2, &button, Guard([] { throw 42; }));
    QTimer::singleShot(3, &button, [&] { button.click(); });
    ASSERT_TRUE(SpinUntil([&] { return clicksAfter == 2; }));
    ASSERT_EQ(log.messages.size(), 4u);
    EXPECT_EQ(log.messages[0], "'x' is not a valid integer value");
    EXPECT_TRUE(log.convertError);
    EXPECT_EQ(log.messages[1], "plain std error");
    EXPECT_EQ(log.messages[2], "Unknown exception");
    EXPECT_EQ(log.messages[3], log.messages[0]);
}

TEST(Application, WithoutAHandlerTheExceptionIsLogged) {
    static std::string logged;
    auto previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        logged += m.toStdString();
    });
    Guarded([] { throw EInvalidGraphic("Bitmap image is not valid"); });
    // A handler that throws itself is logged too, never propagated.
    Application.OnException = [](const Exception&) { throw std::runtime_error("again"); };
    Guarded([] { throw Exception("first"); });
    Application.OnException = nullptr;
    qInstallMessageHandler(previous);
    EXPECT_NE(logged.find("Bitmap image is not valid"), std::string::npos);
    EXPECT_NE(logged.find("again"), std::string::npos);
}

TEST(Application, ExceptionOnAWorkerThreadIsHandledOnTheGuiThread) {
    ExceptionLog log;
    std::thread::id handledOn;
    Application.OnException = [&](const Exception& e) {
        log.messages.push_back(e.Message());
        handledOn = std::this_thread::get_id();
    };
    std::thread worker([] { Guarded([] { throw EOutOfMemory("worker failed"); }); });
    worker.join();
    ASSERT_TRUE(SpinUntil([&] { return !log.messages.empty(); }));
    EXPECT_EQ(log.messages[0], "worker failed");
    EXPECT_EQ(handledOn, std::this_thread::get_id());
}

TEST(Application, TimerTicksThroughTheGuardWhileEnabled) {
    ExceptionLog log;
    TTimer timer;
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000);
    int ticks = 0;
    timer.SetEnabled(false);
    timer.SetInterval(5);
    timer.SetOnTimer([&] {
        if (++ticks == 2)
            throw Exception("tick failed");
    });
    EXPECT_FALSE(SpinUntil([&] { return ticks > 0; }, 100));  // disabled: no tick
    timer.SetEnabled(true);
    ASSERT_TRUE(SpinUntil([&] { return ticks >= 3; }));
    ASSERT_FALSE(log.messages.empty());
    EXPECT_EQ(log.messages[0], "tick failed");
    timer.SetEnabled(false);
    int stoppedAt = ticks;
    SpinUntil([&] { return false; }, 100);
    EXPECT_EQ(ticks, stoppedAt);
}

TEST(Application, IdleHandlerRunsWhenTheLoopHasNothingToDo) {
    Application.Initialize();
    QWidget window;
    window.show();
    int calls = 0;
    // A one-shot handler: hides the window and removes itself.
    Application.OnIdle = [&](bool& done) {
        ++calls;
        window.hide();
        Application.OnIdle = nullptr;
        done = true;
    };
    ASSERT_TRUE(SpinUntil([&] { return calls > 0; }));
    EXPECT_FALSE(window.isVisible());
    SpinUntil([&] { return calls > 1; }, 100);
    EXPECT_EQ(calls, 1);

    // Leaving done false asks for more calls without other events.
    QEventLoop loop;
    int busyCalls = 0;
    Application.OnIdle = [&](bool& done) {
        done = ++busyCalls >= 5;
        if (done)
            loop.quit();
    };
    QElapsedTimer clock;
    clock.start();
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    Application.OnIdle = nullptr;
    EXPECT_EQ(busyCalls, 5);
    EXPECT_LT(clock.elapsed(), 2000);
}

TEST(Application, TerminateBeforeRunEndsAtOnce) {
    EXPECT_FALSE(Application.Terminated());
    Application.Terminate();
    EXPECT_TRUE(Application.Terminated());
    Application.Run();  // returns without running a loop
    EXPECT_FALSE(Application.ExeName().empty());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(Application.ExeName())).isExecutable());
}

TEST(Application, MinimizeAndRestoreRaiseTheirEvents) {
    QWidget main;
    main.show();
    Application.SetMainForm(&main);
    std::vector<std::string> events;
    Application.OnMinimize = [&] { events.push_back("minimize"); };
    Application.OnRestore = [&] { events.push_back("restore"); };
    Application.Minimize();
    Application.Restore();
    Application.SetMainForm(nullptr);
    Application.OnMinimize = nullptr;
    Application.OnRestore = nullptr;
    EXPECT_EQ(events, (std::vector<std::string>{"minimize", "restore"}));
}

TEST(Screen, SizeAndCursor) {
    EXPECT_GT(Screen.Width(), 0);
    EXPECT_GT(Screen.Height(), 0);
    EXPECT_FALSE(Screen.WorkAreaRect().isEmpty());
    Screen.SetCursor(crHourGlass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    Screen.SetCursor(crAppStart);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
    Screen.SetCursors(5, QCursor(Qt::CrossCursor));
    Screen.SetCursor(5);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    EXPECT_EQ(Screen.Cursor(), 5);
    Screen.SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);  // nothing stacked up
    Screen.SetCursor(crDefault);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(Modal, QueuedAnswersCloseModalDialogsInOrder) {
    QDialog box;
    box.setWindowTitle("Exit Lumvor 8.9");
    QueueModalResult(mrYesToAll);
    EXPECT_EQ(ExecModal(box), mrYesToAll);
    EXPECT_FALSE(box.isVisible());

    // An action works the dialog as a user would; a dialog opened from inside it
    // takes the next answer.
    QDialog form;
    auto* spin = new QSpinBox(&form);
    spin->setRange(0, 100);
    auto* ok = new QPushButton("OK", &form);
    QObject::connect(ok, &QPushButton::clicked, &form, [&] { form.done(mrOk); });
    auto* layout = new QVBoxLayout(&form);
    layout->addWidget(spin);
    layout->addWidget(ok);
    int nestedResult = -1;
    QueueModalAction([&](QDialog& dialog) {
        EXPECT_EQ(&dialog, &form);
        EXPECT_TRUE(dialog.isVisible());
        spin->setValue(42);
        QDialog nested;
        nestedResult = ExecModal(nested);
        ok->click();
    });
    QueueModalResult(mrNo);
    EXPECT_EQ(QueuedModalAnswers(), 2);
    EXPECT_EQ(ExecModal(form), mrOk);
    EXPECT_EQ(spin->value(), 42);
    EXPECT_EQ(nestedResult, mrNo);
    EXPECT_EQ(QueuedModalAnswers(), 0);

    QueueModalResult(mrOk);
    ClearModalAnswers();
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST(Modal, StrictRunsNeverWaitForAUser) {
    SetStrictModalRuns(true);
    QDialog dialog;
    dialog.setWindowTitle("Nobody answers");
    EXPECT_EQ(ExecModal(dialog), mrCancel);
    EXPECT_EQ(UnansweredModalRuns(), 1);
    QueueModalResult(mrRetry);
    EXPECT_EQ(ExecModal(dialog), mrRetry);
    EXPECT_EQ(UnansweredModalRuns(), 1);
    SetStrictModalRuns(false);
}

TEST(Folders, DataAndTemporaryFoldersFollowTheDataFolderSetting) {
    QString home = QString::fromLocal8Bit(qgetenv("LUMVOR_HOME"));
    EXPECT_EQ(ProgramFolder(), (home + "/").toStdString());
    EXPECT_EQ(TempFolder(), (home + "/tmp/").toStdString());
    EXPECT_TRUE(QFileInfo(home + "/tmp").isDir());
    std::string exe = ExeFolder();
    EXPECT_EQ(exe.back(), '/');
    EXPECT_EQ(exe + QFileInfo(QString::fromStdString(Application.ExeName())).fileName().toStdString(),
              Application.ExeName());

    // Without it: the user's data folder, and a private folder in the system temp.
    QByteArray oldHome = qgetenv("HOME"), oldTmp = qgetenv("TMPDIR");
    qunsetenv("LUMVOR_HOME");
    qputenv("HOME", (home + "/user").toLocal8Bit());
    qputenv("TMPDIR", (home + "/systmp").toLocal8Bit());
    QDir().mkpath(home + "/systmp");
    EXPECT_EQ(ProgramFolder(), (home + "/user/.local/share/Lumvor/").toStdString());
    EXPECT_TRUE(QFileInfo(home + "/user/.local/share/Lumvor").isDir());
    std::string own = (home + "/systmp/lumvor-" + QString::number(getuid()) + "/").toStdString();
    EXPECT_EQ(TempFolder(), own);
    struct stat st;
    ASSERT_EQ(stat(own.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // A folder of that name that others may write is not used.
    chmod(own.c_str(), 0777);
    std::string other = TempFolder();
    EXPECT_NE(other, own);
    ASSERT_EQ(stat(other.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    qputenv("LUMVOR_HOME", home.toLocal8Bit());
    qputenv("HOME", oldHome);
    qputenv("TMPDIR", oldTmp);
}
