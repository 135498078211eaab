// The single-show rule across processes: a start while another live process
// holds the "AVL running" marker ends at once; a marker left by a killed
// process does not stop the next start.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include "app/lumv8900.h"
#include "platform/Atoms.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

using namespace lumvor;

namespace {

constexpr const char* HolderVariable = "LUMVOR_MARKER_HOLDER_HOME";

QProcessEnvironment EnvironmentWithHome(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LUMVOR_HOME", home);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    return env;
}

}  // namespace

// Run as a child process by the test below: holds the marker until killed.
TEST(SingleShow, MarkerHolderProcess) {
    const char* home = std::getenv(HolderVariable);
    if (!home)
        GTEST_SKIP() << "runs only as the marker holder of SingleShow.SecondStartEndsWhileAShowPlays";
    qputenv("LUMVOR_HOME", home);
    ASSERT_NE(GlobalAddAtom(lumv8900::AvlRunningAtom), 0);
    std::printf("held\n");
    std::fflush(stdout);
    for (int i = 0; i < 600; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

TEST(SingleShow, MarkerOfThisProcess) {
    EXPECT_EQ(GlobalFindAtom("test marker"), 0);
    const ATOM atom = GlobalAddAtom("test marker");
    ASSERT_NE(atom, 0);
    EXPECT_EQ(GlobalFindAtom("test marker"), atom);
    GlobalDeleteAtom(atom);
    EXPECT_EQ(GlobalFindAtom("test marker"), 0);
}

TEST(SingleShow, SecondStartEndsWhileAShowPlays) {
    const QString home = QString::fromLocal8Bit(qgetenv("LUMVOR_HOME"));
    QProcess holder;
    QProcessEnvironment holderEnv = EnvironmentWithHome(home);
    holderEnv.insert(HolderVariable, home);
    holder.setProcessEnvironment(holderEnv);
    holder.start(QCoreApplication::applicationFilePath(),
                 {"--gtest_filter=SingleShow.MarkerHolderProcess"});
    ASSERT_TRUE(holder.waitForStarted(10000));
    bool held = false;
    for (int i = 0; i < 100 && !held; ++i) {
        holder.waitForReadyRead(200);
        held = holder.readAllStandardOutput().contains("held");
    }
    ASSERT_TRUE(held);
    EXPECT_NE(GlobalFindAtom(lumv8900::AvlRunningAtom), 0);

    QProcess second;
    second.setProcessEnvironment(EnvironmentWithHome(home));
    second.start(LUMVOR_EXE, {});
    ASSERT_TRUE(second.waitForStarted(10000));
    EXPECT_TRUE(second.waitForFinished(20000)) << "the second start did not end";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    holder.kill();  // SIGKILL: the marker's file stays behind
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(GlobalFindAtom(lumv8900::AvlRunningAtom), 0);

    QProcess third;
    third.setProcessEnvironment(EnvironmentWithHome(home));
    third.start(LUMVOR_EXE, {});
    ASSERT_TRUE(third.waitForStarted(10000));
    EXPECT_FALSE(third.waitForFinished(3000)) << "the start after the holder's death ended at once";
    third.kill();
    third.waitForFinished(10000);
}

// Starts at the same moment with no show playing: the look-up of the marker
// must not look like a show to the other start, so both go on every time.
TEST(SingleShow, TwoStartsAtOnceBothStart) {
    constexpr int kPairs = 20, kAtOnce = 5;
    int bothRan = 0;
    for (int round = 0; round < kPairs / kAtOnce; ++round) {
        std::vector<std::unique_ptr<QTemporaryDir>> homes;
        std::vector<std::unique_ptr<QProcess>> starts;
        for (int pair = 0; pair < kAtOnce; ++pair) {
            homes.push_back(std::make_unique<QTemporaryDir>(QString::fromLocal8Bit(qgetenv("LUMVOR_HOME")) + "/pair-XXXXXX"));
            for (int twin = 0; twin < 2; ++twin) {
                auto start = std::make_unique<QProcess>();
                start->setProcessEnvironment(EnvironmentWithHome(homes.back()->path()));
                starts.push_back(std::move(start));
            }
        }
        for (auto& start : starts)
            start->start(LUMVOR_EXE, {});
        // Each start has read its settings (the file exists) and had a second
        // more to pass the marker check before it is looked at.
        QElapsedTimer clock;
        clock.start();
        for (auto& home : homes)
            while (!QFile::exists(home->path() + "/registry.ini") && clock.elapsed() < 30000)
                QThread::msleep(20);
        QThread::msleep(1000);
        for (int pair = 0; pair < kAtOnce; ++pair) {
            const bool first = !starts[2 * pair]->waitForFinished(1);
            const bool second = !starts[2 * pair + 1]->waitForFinished(1);
            EXPECT_TRUE(first && second) << "round " << round << " pair " << pair << ": a start ended by itself";
            bothRan += first && second;
        }
        for (auto& start : starts) {
            start->kill();
            start->waitForFinished(10000);
        }
    }
    EXPECT_EQ(bothRan, kPairs);
}
