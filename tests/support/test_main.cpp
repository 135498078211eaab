// The test main owns the QApplication. Each test gets its own fresh LUMVOR_HOME
// folder, so settings and data files never leak from one test into another.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "platform/Forms.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

class FreshHomePerTest : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        const char* base = std::getenv("LUMVOR_HOME_BASE");
        QString root = base ? QString::fromLocal8Bit(base) : QDir::tempPath();
        QDir().mkpath(root);
        home_ = std::make_unique<QTemporaryDir>(root + "/test-XXXXXX");
        if (home_->isValid())
            qputenv("LUMVOR_HOME", home_->path().toLocal8Bit());
    }
    void OnTestEnd(const ::testing::TestInfo& test) override {
        home_.reset();
        int unanswered = lumvor::UnansweredModalRuns();
        if (unanswered > unanswered_)
            std::fprintf(stderr, "%s.%s: %d modal dialog(s) ran without a queued answer and were cancelled\n",
                         test.test_suite_name(), test.name(), unanswered - unanswered_);
        unanswered_ = unanswered;
    }

private:
    std::unique_ptr<QTemporaryDir> home_;
    int unanswered_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs the binary without a display or the tests' environment.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    if (const char* home = std::getenv("LUMVOR_HOME"))
        qputenv("LUMVOR_HOME_BASE", home);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshHomePerTest);
    QApplication app(argc, argv);
    // A modal dialog that a test did not answer ends at once instead of hanging the run.
    lumvor::SetStrictModalRuns(true);
    return RUN_ALL_TESTS();
}
