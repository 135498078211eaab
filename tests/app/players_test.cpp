// The slide show's sound player and the audio CD player.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QThread>

#include "app/Cdaudio_w.h"
#include "app/mci_audio_w.h"
#include "platform/Forms.h"
#include "support/file_helpers.h"

#include <string>
#include <vector>

using namespace lumvor;

namespace {

// Lets events through until done() or the deadline.
template <class F>
bool WaitFor(F done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return done();
}

void RecordBoxes(std::vector<std::string>& texts, int count) {
    for (int i = 0; i < count; ++i)
        QueueModalAction([&texts](QDialog& dialog) {
            if (auto* message = dialog.findChild<QLabel*>("Message"))
                texts.push_back(message->text().toStdString());
            dialog.done(mrOk);
        });
}

class PlayersTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseSlideAudio();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ClearModalAnswers();
        Screen.SetCursor(crDefault);
    }
};

}  // namespace

TEST_F(PlayersTest, SlideAudioPlaysAShortWaveToItsEndAndCloses) {
    QTemporaryDir dir;
    const std::string wave = dir.path().toStdString() + "/tone.wav";
    test::CommandOutput("sox -n -r 22050 -c 1 '" + wave + "' synth 0.4 sine 440 2>&1");
    ASSERT_TRUE(QFile::exists(QString::fromStdString(wave)));
    std::vector<std::string> errors;
    RecordBoxes(errors, 1);

    ASSERT_TRUE(OpenSlideAudio(wave, false));
    EXPECT_TRUE(SlideAudioActive());
    EXPECT_NE(mci_audio_w::AudioSlideForm, nullptr);
    EXPECT_TRUE(WaitFor([] { return !SlideAudioActive(); }, 15000));
    EXPECT_EQ(mci_audio_w::AudioSlideForm, nullptr);
    EXPECT_TRUE(errors.empty()) << errors[0];
    // The length was read while it played: 0.4 s.
    EXPECT_NEAR(double(mci_audio_w::MediaLength), 400.0, 30.0);
}

TEST_F(PlayersTest, SlideAudioStopsOnEscapeAndOnClose) {
    QTemporaryDir dir;
    const std::string wave = dir.path().toStdString() + "/long.wav";
    test::CommandOutput("sox -n -r 8000 -c 1 '" + wave + "' synth 20 sine 330 2>&1");
    ASSERT_TRUE(OpenSlideAudio(wave, false));
    mci_audio_w::AudioSlideForm->FormKeyPress(27);
    EXPECT_TRUE(WaitFor([] { return !SlideAudioActive(); }, 15000));

    ASSERT_TRUE(OpenSlideAudio(wave, false));
    CloseSlideAudio();
    EXPECT_FALSE(SlideAudioActive());
    EXPECT_FALSE(mci_audio_w::EscapeRequested);
}

TEST_F(PlayersTest, SlideAudioReportsAFileItCannotPlay) {
    QTemporaryDir dir;
    const std::string bad = dir.path().toStdString() + "/noise.wav";
    test::WriteFileText(bad, "this is not a sound");
    std::vector<std::string> errors;
    RecordBoxes(errors, 1);
    ASSERT_TRUE(OpenSlideAudio(bad, false));
    EXPECT_TRUE(WaitFor([] { return !SlideAudioActive() && !mci_audio_w::AudioSlideForm; }, 10000));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_FALSE(errors[0].empty());
}

TEST(CDAudio, CaptionWithoutLeadingZeros) {
    EXPECT_EQ(CDCaption(5, 3, 7), "CD Audio [Trk:5] 3:7");
    EXPECT_EQ(CDCaption(12, 0, 0), "CD Audio [Trk:12] 0:0");
}

TEST(CDAudio, WithoutADriveItSaysSoAndOpensNothing) {
    const auto devices = Cdaudio_w::CDDevices;
    Cdaudio_w::CDDevices = {"/nonexistent/cdrom"};
    std::vector<std::string> boxes;
    RecordBoxes(boxes, 1);
    EXPECT_FALSE(OpenCDAudio(1, true));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "No CD drive found.");
    EXPECT_EQ(CDAudioActive(), 0);
    EXPECT_EQ(Cdaudio_w::CDForm, nullptr);
    CloseCDAudio();  // nothing open: nothing happens
    EXPECT_FALSE(Cdaudio_w::CloseRequested);
    Cdaudio_w::CDDevices = devices;
    ClearModalAnswers();
}
