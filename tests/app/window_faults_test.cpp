// Faults met by the image window: a close while one of its commands still runs
// (the open, the save and the print let messages through, and a close delivered
// then must wait until the command has returned instead of freeing the window
// under it), and special files named as pictures.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "processing/files/SavePicture.h"
#include "app/save_form_fixture.h"
#include "platform/Folders.h"
#include "platform/Jpeg.h"
#include "platform/Printers.h"
#include "platform/Streams.h"
#include "ui/SaveDialogEx.h"

#include <string>
#include <sys/stat.h>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using lumvor::test::MakePicture;

namespace {

class CloseDuringCommand : public lumvor::test::ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        QObject::connect(WebForm, &QObject::destroyed, [this] { freedWhileRunning_ = running_; freed_ = true; });
    }
    // Asks for the window's close the way a click on its close box does: as an
    // event the running command's next message pass delivers.
    static void PostClose() {
        QTimer::singleShot(0, WebForm, [] { WebForm->close(); });
    }
    // Runs the command, then lets the event loop turn until the window is gone.
    void RunThenSettle(const std::function<void()>& command) {
        running_ = true;
        command();
        running_ = false;
        QElapsedTimer clock;
        clock.start();
        while (!freed_ && clock.elapsed() < 5000) {
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QThread::msleep(5);
        }
        EXPECT_TRUE(freed_) << "the close was never carried out";
        EXPECT_FALSE(freedWhileRunning_) << "the window was freed while its command ran";
        EXPECT_EQ(WebForm, nullptr);
    }
    bool running_ = false;
    bool freed_ = false;
    bool freedWhileRunning_ = false;
};

TEST_F(CloseDuringCommand, ALoadFinishesBeforeTheWindowGoes) {
    TBitmap picture;
    MakePicture(picture, 24, 1600, 1200);
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.Compress();
    const std::string name = ProgramFolder() + "large.jpg";
    jpeg.SaveToFile(name);
    RunThenSettle([&] {
        PostClose();
        FileName = name;
        FileExt = ".JPG";
        WebForm->BtnOpenEx(WebForm);
        EXPECT_TRUE(ImageLoaded);
    });
}

TEST_F(CloseDuringCommand, ASaveFinishesBeforeTheWindowGoes) {
    TBitmap picture;
    MakePicture(picture, 24, 300, 200);
    Show(picture);
    ImageChanged = true;
    QTemporaryDir folder;
    const std::string target = folder.path().toStdString() + "/saved.bmp";
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stBmp);
    // The close arrives once the save dialog is answered, while the picture is written.
    QueueModalAction([target](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(target));
        PostClose();
        dialog.accept();
    });
    RunThenSettle([&] { WebForm->mnuSaveClick(nullptr); });
    EXPECT_TRUE(FileExists(target));
}

TEST_F(CloseDuringCommand, APrintFinishesBeforeTheWindowGoes) {
    Printer().SetOutputFileName(ProgramFolder() + "printed.pdf");
    TBitmap picture;
    MakePicture(picture, 24, 40, 30);
    Show(picture, ProgramFolder() + "edited.bmp");
    QueueModalResult(mrOk);  // "Image sent to printer."
    RunThenSettle([&] {
        PostClose();
        WebForm->mnuPrintClick(nullptr);
    });
    Printer().SetOutputFileName("");
    EXPECT_TRUE(FileExists(ProgramFolder() + "printed.pdf"));
}

// Scratch files of a run that was killed mid-write, left in the program's own
// folders; the next start clears them.
class StartAfterKilledRun : public lumvor::test::ImageWindowTest {
protected:
    void SetUp() override {
        QProcess gone;
        gone.start("true", {});
        gone.waitForStarted(10000);
        const std::string dead = std::to_string(gone.processId());
        gone.waitForFinished(10000);
        for (const std::string& folder : {ProgramFolder(), ProgramFolder() + "data/"}) {
            QDir().mkpath(QString::fromStdString(folder));
            for (const std::string& name : {".latest_bookmarks.vop.lumvor-" + dead + "-1.part", std::string("kept.vop")})
                QFile(QString::fromStdString(folder + name)).open(QIODevice::WriteOnly);
        }
        ImageWindowTest::SetUp();
    }
};

TEST_F(StartAfterKilledRun, ClearsTheScratchFilesOfTheProgramFolders) {
    for (const std::string& folder : {ProgramFolder(), ProgramFolder() + "data/"}) {
        const QStringList left = QDir(QString::fromStdString(folder)).entryList({"*.part"}, QDir::Files | QDir::Hidden);
        EXPECT_TRUE(left.isEmpty()) << folder << ": " << left.join(" ").toStdString();
        EXPECT_TRUE(FileExists(folder + "kept.vop"));
    }
}

using SpecialFileOpen = lumvor::test::ImageWindowTest;

TEST_F(SpecialFileOpen, IsRefusedAtOnceWithTheMessage) {
    const std::string fifo = ProgramFolder() + "pipe.jpg";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
    struct Case {
        std::string path, message;
    };
    for (const Case& c : {Case{fifo, "\"" + fifo + "\" is a named pipe, not a file."},
                          Case{"/dev/zero", "\"/dev/zero\" is a device, not a file."}}) {
        SCOPED_TRACE(c.path);
        std::vector<test::Box> boxes;
        test::Answer(boxes, mrOk);
        QElapsedTimer clock;
        clock.start();
        FileName = c.path;
        FileExt = UpperCase(ExtractFileExt(c.path));
        WebForm->BtnOpenEx(WebForm);
        EXPECT_LT(clock.elapsed(), 5000);  // an open that blocked on the file would never end
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.message);
        EXPECT_NE(ShownFileName, c.path);
    }
}

}  // namespace
