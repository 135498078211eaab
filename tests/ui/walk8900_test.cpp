// The folder picker: new folders, the recent folders, refusals while busy, and
// the slide listing of a folder tree into album records (finished and stopped).
#include <gtest/gtest.h>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../support/file_helpers.h"
#include "album/show8900.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/AvlScript.h"
#include "platform/Forms.h"
#include "ui/ComboBoxEx.h"
#include "ui/LookBoxEx.h"
#include "ui/Status_y.h"
#include "ui/ToolBarEx.h"
#include "ui/TreeViewEx.h"
#include "ui/walk8900.h"

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string MessageText(QDialog& d) {
    auto* label = d.findChild<QLabel*>("Message");
    return label ? label->text().toStdString() : std::string();
}

// Answers the next message box with OK and records its text.
void AnswerMessage(std::vector<std::string>& texts) {
    QueueModalAction([&texts](QDialog& d) {
        texts.push_back(MessageText(d));
        d.done(mrOk);
    });
}

class WalkForm : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        lumv8900::FolderHistory.Clear();
        lumv8900::ExtIconCache.Clear();
        lumv8900::TempNameStem = "_walktest";
        xplr8900::ExplorerDirty = false;
        walk8900::WalkBounds = TRect{-1, -1, -1, -1};
        IsBusy = 0;
        CancelPressed = 0;
        show8900::SlideCount = 0;
        show8900::ThumbPath.clear();
    }
    void TearDown() override {
        ClearModalAnswers();
        delete show8900::ShowForm;
        show8900::ShowForm = nullptr;
        IsBusy = 0;
    }
    void Mkdir(const std::string& rel) { ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root + rel))); }

    QTemporaryDir dir;
    std::string root;
};

}  // namespace

TEST_F(WalkForm, ProposedNameSkipsTheNamesInUse) {
    EXPECT_EQ(TWalkForm::ProposeFolderName(root), "New Folder");
    Mkdir("New Folder");
    EXPECT_EQ(TWalkForm::ProposeFolderName(root), "New Folder (2)");
    Mkdir("New Folder (2)");
    EXPECT_EQ(TWalkForm::ProposeFolderName(root), "New Folder (3)");
}

TEST_F(WalkForm, NewFolderRefusesBadNamesThenCreatesTheFolder) {
    Mkdir("New Folder");
    Mkdir("New Folder (2)");
    std::vector<std::string> messages;
    std::string proposed, prompt;
    bool dirtyAfter = false;
    std::string selected;
    QueueModalAction([&](QDialog& d) {
        auto& form = static_cast<TWalkForm&>(d);
        form.btnNewFolder->click();
        dirtyAfter = xplr8900::ExplorerDirty;
        selected = form.Tree->currentItem()->data(0, Qt::UserRole).toString().toStdString();
        form.btnCancel->click();
    });
    // First answer: the proposal is kept but a colon is typed in.
    QueueModalAction([&](QDialog& d) {
        auto* edit = d.findChild<QLineEdit*>("Edit");
        proposed = edit->text().toStdString();
        prompt = MessageText(d);
        edit->setText("a:b");
        d.findChild<QPushButton*>("OK")->click();
    });
    AnswerMessage(messages);
    // Asked again: a name of 256 characters with the folder.
    QueueModalAction([&](QDialog& d) {
        d.findChild<QLineEdit*>("Edit")->setText(QString(int(256 - root.size()), 'x'));
        d.findChild<QPushButton*>("OK")->click();
    });
    AnswerMessage(messages);
    QueueModalAction([&](QDialog& d) {
        d.findChild<QLineEdit*>("Edit")->setText("Holiday");
        d.findChild<QPushButton*>("OK")->click();
    });
    EXPECT_FALSE(ExecuteWalkForm(0, "Go to folder ...", root));
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(UnansweredModalRuns(), 0);
    EXPECT_EQ(proposed, "New Folder (3)");
    EXPECT_EQ(messages, (std::vector<std::string>{
                            "Illegal characters in name.\nPlease avoid using the following characters.\n\n"
                            " \\ / : * ? \" < > |",
                            "Pathname exceeds 255 characters. Please change."}));
    EXPECT_TRUE(QDir(QString::fromStdString(root + "Holiday")).exists());
    EXPECT_FALSE(QDir(QString::fromStdString(root + "a:b")).exists());
    EXPECT_TRUE(dirtyAfter);
    EXPECT_EQ(selected, root + "Holiday/");
}

TEST_F(WalkForm, OkWhileBusyIsRefusedAndTheFormStaysOpen) {
    std::vector<std::string> messages;
    bool stillOpen = false;
    QueueModalAction([&](QDialog& d) {
        auto& form = static_cast<TWalkForm&>(d);
        IsBusy = 1;
        form.btnOK->click();
        stillOpen = form.isVisible();
        IsBusy = 0;
        form.btnOK->click();
    });
    AnswerMessage(messages);
    EXPECT_TRUE(ExecuteWalkForm(0, "Go to folder ...", root));
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(messages, std::vector<std::string>{"A critical process is being executed.\nCancel the process to proceed."});
    EXPECT_EQ(walk8900::WalkFolder, root);
    EXPECT_EQ(lumv8900::FolderHistory.Count(), 1);
}

TEST_F(WalkForm, SeventeenthFolderDropsTheOldestFromTheHistory) {
    for (int i = 0; i < 17; ++i) {
        Mkdir("f" + std::to_string(i));
        QueueModalAction([](QDialog& d) { static_cast<TWalkForm&>(d).btnOK->click(); });
        ASSERT_TRUE(ExecuteWalkForm(0, "Go to folder ...", root + "f" + std::to_string(i)));
        ASSERT_EQ(walk8900::WalkFolder, root + "f" + std::to_string(i) + "/");
    }
    // Choosing one already held adds nothing.
    QueueModalAction([](QDialog& d) { static_cast<TWalkForm&>(d).btnOK->click(); });
    ASSERT_TRUE(ExecuteWalkForm(0, "Go to folder ...", root + "f5"));
    ASSERT_EQ(lumv8900::FolderHistory.Count(), 16);
    EXPECT_EQ(lumv8900::FolderHistory.Get(0), root + "f1/");
    EXPECT_EQ(lumv8900::FolderHistory.Get(15), root + "f16/");
}

TEST_F(WalkForm, UpAndTypedFolderMoveTheLookInFolder) {
    Mkdir("one/two");
    std::string afterUp, afterTyped, copyCaption;
    QueueModalAction([&](QDialog& d) {
        auto& form = static_cast<TWalkForm&>(d);
        copyCaption = form.btnOK->text().toStdString();
        form.btnUp->click();
        afterUp = form.WalkBox->Folder();
        form.MoveHistory->SetText(root + "one/two");
        form.btnGoto->click();
        afterTyped = form.WalkBox->Folder();
        form.btnOK->click();
    });
    EXPECT_TRUE(ExecuteWalkForm(1, "Copy to ...", root + "one/two"));
    EXPECT_EQ(copyCaption, "C&opy");
    EXPECT_EQ(afterUp, root + "one/");
    EXPECT_EQ(afterTyped, root + "one/two/");
    EXPECT_EQ(walk8900::WalkFolder, root + "one/two/");
}

namespace {

// The fixture tree of the slide listing: media files at three depths, an empty
// picture, a file of another kind, a hidden folder and the thumbnail folder.
void MakeSlideTree(const std::string& root) {
    struct File {
        const char* name;
        int size;
        const char* stamp;  // touch -d
    };
    const File files[] = {
        {"a.jpg", 3, "2021-03-04 05:06:08"},       {"notes.txt", 5, "2021-03-04 05:06:08"},
        {"empty.png", 0, "2021-03-04 05:06:08"},   {"sub/c.MP3", 7, "2019-12-31 23:59:58"},
        {"sub/deeper/d.gif", 11, "2020-02-29 12:00:00"}, {".hidden/e.jpg", 2, "2020-01-01 00:00:00"},
        {"sub2/f.avi", 13, "2022-07-01 08:30:14"}, {"thumbs/t.jpg", 4, "2022-07-01 08:30:14"},
        {"sub2/x.peg", 4, "2022-07-01 08:30:14"},
    };
    for (const File& f : files) {
        WriteFileText(root + f.name, std::string(size_t(f.size), 'z'));
        CommandOutput("touch -d '" + std::string(f.stamp) + "' '" + root + f.name + "'");
    }
}

std::vector<TSlideRec> ReadRecords(const std::string& file) {
    const std::string bytes = ReadFileText(file);
    std::vector<TSlideRec> out(bytes.size() / sizeof(TSlideRec));
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(TSlideRec));
    return out;
}

std::string ShortString(const uint8_t* field) { return std::string(reinterpret_cast<const char*>(field + 1), field[0]); }

}  // namespace

TEST_F(WalkForm, SlideListingWritesARecordPerMediaFile) {
    MakeSlideTree(root);
    show8900::ThumbPath = root + "thumbs";
    // What find sees: name without extension, size, and the last write as local
    // date and time fields.
    const auto found = CommandLines("cd '" + root + "' && find . -type f -size +0 ! -path './.*' ! -path './thumbs/*' "
                                    "\\( -iname '*.jpg' -o -iname '*.mp3' -o -iname '*.gif' -o -iname '*.avi' \\) "
                                    "-printf '%p %s %TY %Tm %Td %TH %TM %TS\\n'");
    ASSERT_EQ(found.size(), 4u);
    std::set<std::tuple<std::string, uint32_t, int32_t, int32_t>> expected;
    for (const std::string& line : found) {
        std::istringstream in(line);
        std::string path;
        uint32_t size;
        int y, mo, d, h, mi;
        double s;
        in >> path >> size >> y >> mo >> d >> h >> mi >> s;
        const int sec = int(s);
        const int32_t dos = ((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (sec / 2);
        const std::string full = root + path.substr(2);
        expected.emplace(full.substr(0, full.rfind('.')), size, dos, ((h * 60 + mi) * 60 + sec) * 1000);
    }

    QueueModalAction([](QDialog& d) { static_cast<TWalkForm&>(d).btnOK->click(); });
    ASSERT_TRUE(ExecuteWalkForm(9, "Get slides from ...", root));
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_EQ(show8900::ShowForm->Calls, (std::vector<std::string>{"PopulateSlides_Begin", "PopulateSlides_End"}));
    EXPECT_EQ(show8900::SlideCount, 4);

    const std::vector<TSlideRec> recs = ReadRecords(CatalogDFile);
    const auto names = CommandLines("tr -d '\\r' < '" + CatalogNFile + "'");
    ASSERT_EQ(recs.size(), 4u);
    ASSERT_EQ(names.size(), 4u);
    EXPECT_EQ(names[0], root + "a");  // the chosen folder's own files come first
    std::set<std::tuple<std::string, uint32_t, int32_t, int32_t>> got;
    for (size_t i = 0; i < recs.size(); ++i) {
        const TSlideRec& r = recs[i];
        SCOPED_TRACE(names[i]);
        got.emplace(names[i], r.FileSize, r.FileDate, r.FileTime);
        EXPECT_EQ(r.NameIndex, int32_t(i));
        EXPECT_EQ(r.FolderIndex, int32_t(i));
        EXPECT_EQ(r.FileCrc, 0xFFFFFFFFu);
        EXPECT_EQ(r.DimState, 1);
        EXPECT_EQ(r.Wait, 1);
        EXPECT_EQ(ShortString(r.ThumbName), "");
        const std::string ext = ShortString(r.FileExt);
        const bool sound = ext == ".MP3";
        EXPECT_EQ(r.BackColor, sound ? -1 : -2);
        for (uint16_t v : {r.PosX, r.PosY, r.PanelW, r.PanelH}) EXPECT_EQ(v, sound ? 65535 : 65534);
        if (ext == ".JPG" || ext == ".GIF") {
            EXPECT_EQ(r.Effect, 0);
            EXPECT_EQ(r.Gamma, 100);
            EXPECT_EQ(r.Zoom, 100);
        }
    }
    EXPECT_EQ(got, expected);
    std::set<std::string> exts;
    for (const TSlideRec& r : recs) exts.insert(ShortString(r.FileExt));
    EXPECT_EQ(exts, (std::set<std::string>{".JPG", ".MP3", ".GIF", ".AVI"}));
    EXPECT_GE(lumv8900::ExtIconCache.IndexOf(".JPG"), 0);
    EXPECT_EQ(IsBusy, 0);
}

TEST_F(WalkForm, StopDuringTheListingDiscardsTheAddition) {
    MakeSlideTree(root);
    std::vector<std::string> messages;
    QTimer stopper;
    QueueModalAction([&](QDialog& d) {
        auto& form = static_cast<TWalkForm&>(d);
        // Press Stop as soon as the first slides were added.
        QObject::connect(&stopper, &QTimer::timeout, [&form, &stopper] {
            if (show8900::SlideCount > 0 && form.btnStop->isEnabled()) {
                stopper.stop();
                form.btnStop->click();
            }
        });
        stopper.start(0);
        form.btnOK->click();
        form.btnCancel->click();
    });
    AnswerMessage(messages);
    EXPECT_FALSE(ExecuteWalkForm(9, "Get slides from ...", root));
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_EQ(show8900::ShowForm->Calls, (std::vector<std::string>{"PopulateSlides_Begin", "PopulateSlides_Clear"}));
    EXPECT_EQ(messages, std::vector<std::string>{"Slide listing aborted."});
    EXPECT_EQ(show8900::SlideCount, 0);
    EXPECT_EQ(show8900::SlideStream, nullptr);
    EXPECT_EQ(IsBusy, 0);
    EXPECT_EQ(CancelPressed, 0);
}
