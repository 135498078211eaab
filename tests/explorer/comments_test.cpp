// Folder comments: the two files on disk (format, encodings, hostile files,
// writes that fail half-way), which line belongs to which file, and the
// explorer's commands that edit, fill from EXIF dates, query and sort them.
#include "explorer/FolderComments.h"

#include "explorer/FolderListing.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/Streams.h"
#include "platform/SysUtils.h"
#include "ui/StringListEx.h"
#include "ui/VListShowEx.h"
#include "ui/voMsgBox.h"

#include "support/case_names.h"
#include "support/explorer_state.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;
using namespace xplr8900;

std::string Fixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/" + name; }
std::string Home() { return IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")); }

void MakeOld(const std::string& path) {
    const auto then = fs::file_time_type::clock::now() - std::chrono::minutes(1);
    fs::last_write_time(fs::path(ExcludeTrailingPathDelimiter(path)), then);
}

TStringList Lines(std::initializer_list<const char*> texts) {
    TStringList list;
    for (const char* text : texts) list.Add(text);
    return list;
}

// ---- The files

class CommentFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = Home() + "files/";
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { WriteFaultHook = nullptr; }
    std::string Names() const { return test::ReadFileText(folder_ + "FILELIST.VOX"); }
    std::string Texts() const { return test::ReadFileText(folder_ + "FILETEXT.VOX"); }
    void WritePair(const std::string& names, const std::string& texts, const char* namesFile = "FILELIST.VOX",
                   const char* textsFile = "FILETEXT.VOX") {
        test::WriteFileText(folder_ + namesFile, names);
        test::WriteFileText(folder_ + textsFile, texts);
    }
    TCommentRead Read(TStringList& names, TStringList& texts, TCommentEncoding& encoding) const {
        return ReadCommentFiles(folder_, names, texts, encoding);
    }

    std::string folder_;
};

TEST_F(CommentFilesTest, PairIsWrittenWithCrLfAndReadBack) {
    TStringList names = Lines({"a.jpg", "b c.png"}), texts = Lines({"first", ""});
    EXPECT_EQ(WriteCommentFiles(folder_, names, texts, TCommentEncoding::Utf8), TCommentEncoding::Utf8);
    EXPECT_EQ(Names(), "a.jpg\r\nb c.png\r\n");
    EXPECT_EQ(Texts(), "first\r\n\r\n");
    // A text holding a line break keeps the files in step.
    TStringList broken = Lines({"one\r\ntwo", "x"});
    WriteCommentFiles(folder_, names, broken, TCommentEncoding::Utf8);
    EXPECT_EQ(Texts(), "one  two\r\nx\r\n");
    WriteCommentFiles(folder_, names, texts, TCommentEncoding::Utf8);

    TStringList readNames, readTexts;
    TCommentEncoding encoding = TCommentEncoding::Windows1252;
    ASSERT_EQ(Read(readNames, readTexts, encoding), TCommentRead::Read);
    EXPECT_EQ(readNames.Text(), names.Text());
    EXPECT_EQ(readTexts.Text(), texts.Text());
    EXPECT_EQ(encoding, TCommentEncoding::Utf8);
    EXPECT_TRUE(fs::directory_entry(folder_).exists());
    for (const auto& entry : fs::directory_iterator(folder_))
        EXPECT_EQ(entry.path().filename().string().rfind('.', 0), std::string::npos) << "no scratch file is left";
}

TEST_F(CommentFilesTest, LinesOfUnequalFilesPairUpByName) {
    // Line ends of every kind; a name without its comment line; a comment
    // line without a name.
    WritePair("a.jpg\r\nb.jpg\nc.jpg\rd.jpg", "one\r\ntwo\r\n");
    TStringList names, texts;
    TCommentEncoding encoding;
    ASSERT_EQ(Read(names, texts, encoding), TCommentRead::Read);
    ASSERT_EQ(names.Count(), 4);
    ASSERT_EQ(texts.Count(), 4);
    EXPECT_EQ(texts[1], "two");
    EXPECT_EQ(texts[3], "");

    test::WriteFileText(folder_ + "FILETEXT.VOX", "one\r\ntwo\r\nthree\r\nfour\r\norphan\r\n");
    ASSERT_EQ(Read(names, texts, encoding), TCommentRead::Read);
    EXPECT_EQ(texts.Count(), 4) << "a comment line beyond the names belongs to no file";

    fs::remove(folder_ + "FILETEXT.VOX");
    ASSERT_EQ(Read(names, texts, encoding), TCommentRead::Read) << "names without their comments file";
    EXPECT_EQ(texts.Text(), "\r\n\r\n\r\n\r\n");

    fs::remove(folder_ + "FILELIST.VOX");
    EXPECT_EQ(Read(names, texts, encoding), TCommentRead::Missing);
    EXPECT_EQ(names.Count() + texts.Count(), 0);
}

TEST_F(CommentFilesTest, PairNamedInAnotherCaseIsFoundAndWrittenBack) {
    WritePair("a.jpg\r\n", "old\r\n", "filelist.vox", "filetext.vox");
    TStringList names, texts;
    TCommentEncoding encoding;
    ASSERT_EQ(Read(names, texts, encoding), TCommentRead::Read);
    EXPECT_EQ(texts[0], "old");
    texts.Put(0, "new");
    WriteCommentFiles(folder_, names, texts, encoding);
    EXPECT_EQ(test::ReadFileText(folder_ + "filetext.vox"), "new\r\n");
    EXPECT_FALSE(fs::exists(folder_ + "FILETEXT.VOX")) << "no second pair beside the first";
}

TEST_F(CommentFilesTest, HostileFilesAreNotReadAndMarkedUnreadable) {
    struct Case {
        const char* what;
        std::string names;
    };
    const Case cases[] = {
        {"a NUL byte", std::string("a.jpg\r\nb\0c.jpg\r\n", 15)},
        {"a file larger than any comment list", std::string(size_t(MaxCommentFileSize) + 1, 'x')},
    };
    for (const Case& c : cases) {
        test::WriteFileText(folder_ + "FILELIST.VOX", c.names);
        TStringList names = Lines({"stale"}), texts = Lines({"stale"});
        TCommentEncoding encoding;
        EXPECT_EQ(Read(names, texts, encoding), TCommentRead::Unreadable) << c.what;
        EXPECT_EQ(names.Count() + texts.Count(), 0) << c.what;
    }
    fs::remove(folder_ + "FILELIST.VOX");
    fs::create_directory(folder_ + "FILELIST.VOX");
    TStringList names, texts;
    TCommentEncoding encoding;
    EXPECT_NE(Read(names, texts, encoding), TCommentRead::Read) << "a folder of that name";
}

TEST_F(CommentFilesTest, WriteFailingBetweenTheTwoFilesKeepsBothOldFiles) {
    WritePair("a.jpg\r\n", "kept\r\n");
    WriteFaultHook = [](const std::string& file) { return file.ends_with("FILETEXT.VOX") ? EIO : 0; };
    TStringList names = Lines({"a.jpg", "b.jpg"}), texts = Lines({"new", "added"});
    EXPECT_THROW(WriteCommentFiles(folder_, names, texts, TCommentEncoding::Utf8), EWriteError);
    EXPECT_EQ(Names(), "a.jpg\r\n");
    EXPECT_EQ(Texts(), "kept\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2) << "no scratch file left";
}

// The encoding a pair goes back in.
struct EncodingCase {
    const char* name;
    TCommentEncoding readAs;
    const char* text;
    TCommentEncoding written;
};

void PrintTo(const EncodingCase& c, std::ostream* os) { *os << c.name; }

class CommentEncodingTest : public ::testing::TestWithParam<EncodingCase> {};

TEST_P(CommentEncodingTest, PairKeepsItsEncodingWhileItCan) {
    const EncodingCase& c = GetParam();
    EXPECT_EQ(CommentWriteEncoding(c.readAs, Lines({"Straße.jpg"}), Lines({c.text})), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CommentEncodingTest,
    ::testing::Values(EncodingCase{"AnsiPairWithAnsiText", TCommentEncoding::Windows1252, "Crème € “q”",
                                   TCommentEncoding::Windows1252},
                      EncodingCase{"AnsiPairWithOmega", TCommentEncoding::Windows1252, "Ω", TCommentEncoding::Utf8},
                      EncodingCase{"AnsiPairWithEmoji", TCommentEncoding::Windows1252, "\xF0\x9F\x98\x80",
                                   TCommentEncoding::Utf8},
                      EncodingCase{"Utf8PairWithAnsiText", TCommentEncoding::Utf8, "Crème", TCommentEncoding::Utf8}),
    test::CaseNames<&EncodingCase::name>);

// ---- Which line belongs to which file

struct LookupCase {
    const char* name;
    std::vector<std::string> lines;
    std::vector<std::string> files;
    std::string file;
    int line;
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class CommentLookupTest : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CommentLookupTest, LineOfAFile) {
    const LookupCase& c = GetParam();
    TStringList names;
    for (const std::string& line : c.lines) names.Add(line);
    TCommentLookup lookup;
    lookup.Build(names, c.files);
    EXPECT_EQ(lookup.LineOf(c.file), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, CommentLookupTest,
    ::testing::Values(
        LookupCase{"ExactName", {"b.jpg", "photo.jpg"}, {"photo.jpg"}, "photo.jpg", 1},
        LookupCase{"CapitalsFindSmallLetters", {"PHOTO.JPG"}, {"photo.jpg"}, "photo.jpg", 0},
        LookupCase{"CapitalsBelongToTheirOwnFile", {"PHOTO.JPG"}, {"PHOTO.JPG", "photo.jpg"}, "photo.jpg", -1},
        LookupCase{"FirstInByteOrderTakesTheLine", {"PHOTO.JPG"}, {"photo.jpg", "Photo.jpg"}, "Photo.jpg", 0},
        LookupCase{"LaterInByteOrderGetsNothing", {"PHOTO.JPG"}, {"photo.jpg", "Photo.jpg"}, "photo.jpg", -1},
        LookupCase{"FirstOfTwoLinesWins", {"a.jpg", "x.jpg", "a.jpg"}, {"a.jpg"}, "a.jpg", 0},
        LookupCase{"AccentedCapitals", {"ÉTÉ.JPG"}, {"été.jpg"}, "été.jpg", 0},
        LookupCase{"NoLine", {"a.jpg"}, {"a.jpg", "b.jpg"}, "b.jpg", -1}),
    test::CaseNames<&LookupCase::name>);

// ---- The explorer's commands

class CommentCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ResetExplorerState();
        SetStrictModalRuns(true);
        ExifDatesUnasked = false;
        folder_ = test::FreshExploredFolder("pics");
    }
    void TearDown() override {
        delete FileForm;
        FileForm = nullptr;
        ExploreDir.clear();
        JpegDateSource = DefaultJpegDateText;
        WriteFaultHook = nullptr;
        CommentNames.Clear();
        CommentTexts.Clear();
        EXPECT_EQ(QueuedModalAnswers(), 0) << "every box the test expected was shown";
        EXPECT_EQ(UnansweredModalRuns(), 0) << "no box the test did not expect was shown";
        SetStrictModalRuns(false);
        test::ResetApplicationHooks();
    }

    void AddFile(const std::string& name, const std::string& bytes = std::string(1500, 'p')) {
        test::WriteFileText(folder_ + name, bytes);
        MakeOld(folder_ + name);
    }
    void AddPair(const std::string& names, const std::string& texts) {
        test::WriteFileText(folder_ + "FILELIST.VOX", names);
        test::WriteFileText(folder_ + "FILETEXT.VOX", texts);
        MakeOld(folder_ + "FILELIST.VOX");
        MakeOld(folder_ + "FILETEXT.VOX");
    }
    std::string Names() const { return test::ReadFileText(folder_ + "FILELIST.VOX"); }
    std::string Texts() const { return test::ReadFileText(folder_ + "FILETEXT.VOX"); }

    TFileForm* Open() {
        MakeOld(folder_);
        TFileForm* form = test::OpenExplorer();
        form->mnuViewReportClick(form);
        return form;
    }
    int RowOf(const std::string& name) const { return test::ListedRow(name); }
    // What the comment column shows for a row ("" when it adds nothing).
    std::string Shown(const std::string& name) {
        TVListItem* item = FileForm->XL->Items()->Item(RowOf(name));
        return item->SubItems()->Count() > 3 ? item->SubItems()->At(3) : std::string();
    }
    void Select(const std::string& name) {
        FileForm->XL->SetSelected(nullptr);
        FileForm->XL->SelectRows(RowOf(name), RowOf(name), true);
    }
    // Answers the next input box with text (OK) or Cancel, noting what it showed.
    struct InputBox {
        std::string caption, prompt, preset;
        bool deleteKeyFree = false;
    };
    void AnswerInput(InputBox& seen, const std::string& text, bool ok = true) {
        QueueModalAction([&seen, text, ok](QDialog& dialog) {
            seen.caption = dialog.windowTitle().toStdString();
            if (auto* label = dialog.findChild<QLabel*>()) seen.prompt = label->text().toStdString();
            auto* edit = dialog.findChild<QLineEdit*>("Edit");
            seen.preset = edit->text().toStdString();
            auto* erase = static_cast<QAction*>(FileForm->FindItem("mnuFDelete"));
            seen.deleteKeyFree = erase->shortcut().isEmpty();
            edit->setText(QString::fromStdString(text));
            dialog.done(ok ? mrOk : mrCancel);
        });
    }
    void Edit(const std::string& name, const std::string& text) {
        Select(name);
        InputBox seen;
        AnswerInput(seen, text);
        FileForm->mnuCommentClick(FileForm);
    }
    // An edit whose comment cannot be written: the warning is the only box.
    void EditRefused(const std::string& name, const std::string& text, std::vector<test::Box>& boxes) {
        Select(name);
        InputBox seen;
        AnswerInput(seen, text);
        test::Answer(boxes, mrOk);
        FileForm->mnuCommentClick(FileForm);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Cannot write comments to current folder.");
    }
    void ExifDates(std::vector<test::Box>& boxes) {
        test::Answer(boxes, mrOk);
        FileForm->mnuCommentEXIFClick(FileForm);
    }
    void UseDates(std::map<std::string, std::string> dates) {
        JpegDateSource = [dates](const std::string& path) {
            const auto at = dates.find(ExtractFileName(path));
            return at == dates.end() ? std::string() : at->second;
        };
    }

    std::string folder_;
};

TEST_F(CommentCommandsTest, FirstCommentCreatesBothFiles) {
    AddFile("a.jpg");
    AddFile("b.jpg");
    TFileForm* form = Open();
    ASSERT_TRUE(form->Listing->CommentsLoaded) << "the listing loads the comments";
    EXPECT_EQ(Shown("a.jpg"), "");
    EXPECT_EQ(Shown("b.jpg"), "");

    Select("b.jpg");
    InputBox seen;
    AnswerInput(seen, "At the beach");
    form->mnuCommentClick(form);
    EXPECT_EQ(seen.caption, "Add or Edit Comment");
    EXPECT_EQ(seen.prompt, "Filename: b.jpg");
    EXPECT_EQ(seen.preset, "");
    EXPECT_TRUE(seen.deleteKeyFree) << "Delete does not delete the file while the comment is typed";
    EXPECT_EQ(static_cast<QAction*>(form->FindItem("mnuFDelete"))->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(Names(), "b.jpg\r\n");
    EXPECT_EQ(Texts(), "At the beach\r\n");
    EXPECT_EQ(Shown("b.jpg"), "At the beach");

    // Cancel changes nothing.
    AnswerInput(seen, "ignored", false);
    form->mnuCommentClick(form);
    EXPECT_EQ(seen.preset, "At the beach");
    EXPECT_EQ(Texts(), "At the beach\r\n");
}

TEST_F(CommentCommandsTest, EditReplacesOnlyTheFilesLine) {
    AddFile("a.jpg");
    AddFile("photo.jpg");
    AddPair("x.jpg\r\nPHOTO.JPG\r\na.jpg\r\nphoto.jpg\r\n", "ex\r\ncapitals\r\nfirst a\r\nsecond\r\n");
    Open();
    EXPECT_EQ(Shown("photo.jpg"), "second") << "the exact name before the same letters in capitals";
    Edit("a.jpg", "edited");
    EXPECT_EQ(Names(), "x.jpg\r\nPHOTO.JPG\r\na.jpg\r\nphoto.jpg\r\n");
    EXPECT_EQ(Texts(), "ex\r\ncapitals\r\nedited\r\nsecond\r\n");
}

TEST_F(CommentCommandsTest, CapitalsLineBelongsToTheFirstFileInByteOrderWhateverTheSort) {
    AddFile("Photo.jpg");
    AddFile("photo.jpg", std::string(900, 'q'));
    AddFile("zz.jpg", std::string(100, 'z'));
    AddPair("PHOTO.JPG\r\nzz.jpg\r\nzz.jpg\r\n", "sunset\r\nfirst\r\nsecond\r\n");
    TFileForm* form = Open();
    for (const char* arrange : {"mnuByName", "mnuByNameD", "mnuBySize", "mnuBySizeD"}) {
        static_cast<QAction*>(form->FindItem(arrange))->trigger();
        EXPECT_EQ(Shown("Photo.jpg"), "sunset") << arrange;
        EXPECT_EQ(Shown("photo.jpg"), "") << arrange;
        EXPECT_EQ(Shown("zz.jpg"), "first") << "two lines of one name: the first";
    }
    InputBox seen;
    Select("photo.jpg");
    AnswerInput(seen, "own line");
    form->mnuCommentClick(form);
    EXPECT_EQ(seen.preset, "");
    Edit("zz.jpg", "first, edited");
    EXPECT_EQ(Names(), "PHOTO.JPG\r\nzz.jpg\r\nzz.jpg\r\nphoto.jpg\r\n");
    EXPECT_EQ(Texts(), "sunset\r\nfirst, edited\r\nsecond\r\nown line\r\n");
    EXPECT_EQ(Shown("Photo.jpg"), "sunset");
}

TEST_F(CommentCommandsTest, ExifRunFindingNoDateKeepsEveryOldComment) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
    AddPair("a.jpg\r\nb.jpg\r\nc.jpg\r\n", "one\r\ntwo\r\nthree\r\n");
    Open();
    UseDates({});
    std::vector<test::Box> boxes;
    ExifDates(boxes);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Add EXIF datestamps");
    EXPECT_EQ(boxes[0].text, "Existing comments will be replaced.\nPopulate comments?");
    EXPECT_EQ(Texts(), "one\r\ntwo\r\nthree\r\n");
    EXPECT_EQ(Shown("b.jpg"), "two");

    Edit("b.jpg", "two, edited");
    EXPECT_EQ(Names(), "a.jpg\r\nb.jpg\r\nc.jpg\r\n");
    EXPECT_EQ(Texts(), "one\r\ntwo, edited\r\nthree\r\n");
}

TEST_F(CommentCommandsTest, ExifRunRebuildsThePairFromTheDatesFound) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) AddFile(name);
    AddPair("c.jpg\r\nold.jpg\r\n", "old comment\r\ngone\r\n");
    Open();
    UseDates({{"a.jpg", "Taken = 2021:07:04 12:00:00"}, {"c.jpg", "Edited = 2021:07:05 08:30:00"}});
    std::vector<test::Box> boxes;
    ExifDates(boxes);
    EXPECT_EQ(Names(), "a.jpg\r\nc.jpg\r\n");
    EXPECT_EQ(Texts(), "Taken = 2021:07:04 12:00:00\r\nEdited = 2021:07:05 08:30:00\r\n");
    EXPECT_EQ(Shown("b.jpg"), "");
}

TEST_F(CommentCommandsTest, ExifRunReadsTheDatesExiftoolWrote) {
    fs::copy_file(Fixture("exif/exif_motorola.jpg"), folder_ + "taken.jpg");
    fs::copy_file(Fixture("exif/exif_edited_only.jpg"), folder_ + "edited.jpg");
    fs::copy_file(Fixture("exif/bare.jpg"), folder_ + "bare.jpg");
    for (const char* name : {"taken.jpg", "edited.jpg", "bare.jpg"}) MakeOld(folder_ + name);
    TFileForm* form = Open();
    std::vector<test::Box> boxes;
    test::Answer(boxes, mrOk | CheckBoxTicked);
    form->mnuCommentEXIFClick(form);
    EXPECT_EQ(Shown("taken.jpg"), "Taken = 2021:07:04 12:00:00");
    EXPECT_EQ(Shown("edited.jpg"), "Edited = 2021:07:05 08:30:00");
    EXPECT_EQ(Shown("bare.jpg"), "");
    // The ticked check box holds for the rest of the run: no question now.
    form->mnuCommentEXIFClick(form);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(CommentCommandsTest, ExifRunOnAnOpticalVolumeShowsTheDatesAndWritesNothing) {
    for (const char* name : {"a.jpg", "b.jpg"}) AddFile(name);
    AddPair("a.jpg\r\n", "on the disc\r\n");
    TFileForm* form = Open();
    for (int i = 0; i < form->DriveList->Count(); ++i) form->DriveList->PutData(i, DriveOptical);
    UseDates({{"b.jpg", "Taken = 2001:01:01 00:00:00"}});
    std::vector<test::Box> boxes;
    ExifDates(boxes);
    EXPECT_EQ(Shown("b.jpg"), "Taken = 2001:01:01 00:00:00");
    EXPECT_EQ(Shown("a.jpg"), "");
    EXPECT_EQ(Names(), "a.jpg\r\n");
    EXPECT_EQ(Texts(), "on the disc\r\n");
}

TEST_F(CommentCommandsTest, DrivesViewRefusesEveryCommentCommand) {
    AddFile("a.jpg");
    TFileForm* form = Open();
    form->Listing->UpdateDrives({{"/", "Root", -1}});
    form->XL->Items()->SetCount(int(form->Listing->FileOrder.size()));
    emit form->mnuFileX->menu()->aboutToShow();
    emit form->mnuEditX->menu()->aboutToShow();
    for (const char* name : {"mnuAddExifDates", "mnuEditComment", "mnuQueryComments"})
        EXPECT_FALSE(static_cast<QAction*>(form->FindItem(name))->isEnabled()) << name;

    const fs::path before = fs::current_path();
    const std::string work = Home() + "cwd/";
    fs::create_directories(work);
    fs::current_path(work);
    form->XL->SelectRows(0, 0, true);
    UseDates({{"Root", "Taken = 2001:01:01 00:00:00"}});
    form->mnuCommentClick(form);
    form->mnuCommentEXIFClick(form);
    form->mnuQueryClick(form);
    fs::current_path(before);
    EXPECT_TRUE(fs::is_empty(work)) << "no comment file lands in the current folder";
    EXPECT_FALSE(fs::exists(folder_ + "FILELIST.VOX"));
}

TEST_F(CommentCommandsTest, FailedWriteKeepsBothOldFiles) {
    for (const char* name : {"a.jpg", "b.jpg"}) AddFile(name);
    AddPair("a.jpg\r\n", "kept\r\n");
    Open();
    WriteFaultHook = [](const std::string& file) { return file.ends_with("FILETEXT.VOX") ? EIO : 0; };

    std::vector<test::Box> boxes;
    EditRefused("b.jpg", "lost?", boxes);
    EXPECT_EQ(Shown("b.jpg"), "lost?") << "the edit stays in memory";

    UseDates({{"a.jpg", "Taken = 2001:01:01 00:00:00"}});
    ExifDates(boxes);
    EXPECT_EQ(boxes.size(), 2u) << "only the question; the failure is silent";
    EXPECT_EQ(Names(), "a.jpg\r\n");
    EXPECT_EQ(Texts(), "kept\r\n");
}

TEST_F(CommentCommandsTest, UnreadablePairIsNeverWrittenOver) {
    AddFile("a.jpg");
    const std::string hostile = std::string("a.jpg\r\n\0\0\0", 10);
    AddPair(hostile, "old\r\n");
    Open();
    EXPECT_EQ(Shown("a.jpg"), "");
    std::vector<test::Box> boxes;
    EditRefused("a.jpg", "new", boxes);
    EXPECT_EQ(Names(), hostile);
    EXPECT_EQ(Texts(), "old\r\n");
}

TEST_F(CommentCommandsTest, WindowsPairStaysWindowsUntilATextNeedsUtf8) {
    AddFile("cafe.jpg");
    fs::copy_file(Fixture("comments/FILELIST.VOX"), folder_ + "FILELIST.VOX");
    fs::copy_file(Fixture("comments/FILETEXT.VOX"), folder_ + "FILETEXT.VOX");
    TFileForm* form = Open();
    EXPECT_EQ(Shown("cafe.jpg"), "Café");
    EXPECT_EQ(Texts(), "Caf\xE9\r\n");

    Edit("cafe.jpg", "Crème");
    EXPECT_EQ(Texts(), test::ReadFileText(Fixture("comments/creme_cp1252.txt")));
    EXPECT_EQ(Names(), test::ReadFileText(Fixture("comments/FILELIST.VOX")));

    Edit("cafe.jpg", "Crème Ω");
    EXPECT_EQ(Texts(), "Cr\xC3\xA8me \xCE\xA9\r\n");
    form->Listing->CommentsLoaded = false;
    form->LoadComments();
    EXPECT_EQ(Shown("cafe.jpg"), "Crème Ω");
}

TEST_F(CommentCommandsTest, RefreshReadsTheCommentsAgain) {
    AddFile("a.jpg");
    AddPair("a.jpg\r\n", "before\r\n");
    TFileForm* form = Open();
    EXPECT_EQ(Shown("a.jpg"), "before");
    AddPair("a.jpg\r\n", "changed elsewhere\r\n");
    form->Listing->ValidateFiles_Changed(true);
    EXPECT_TRUE(form->Listing->CommentsLoaded);
    EXPECT_EQ(Shown("a.jpg"), "changed elsewhere");
}

TEST_F(CommentCommandsTest, QuerySelectsEveryMatchInAnyCaseAndKeepsTheSelection) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}) AddFile(name);
    AddPair("a.jpg\r\nb.jpg\r\nc.jpg\r\nd.jpg\r\n", "Beach party\r\nmountains\r\non the BEACH\r\nbeachy\r\n");
    TFileForm* form = Open();
    form->XL->SetSelected(nullptr);
    form->XL->SelectRows(RowOf("e.jpg"), RowOf("e.jpg"), true);
    InputBox seen;
    AnswerInput(seen, "BEACH");
    form->mnuQueryClick(form);
    EXPECT_EQ(seen.caption, "Query Comments for keyword (text)");
    EXPECT_EQ(seen.prompt, "Enter keyword.");
    std::vector<int> expected;
    for (const char* name : {"a.jpg", "c.jpg", "d.jpg", "e.jpg"}) expected.push_back(RowOf(name));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(form->XL->SelectedRows(), expected);

    form->XL->SetSelected(nullptr);
    std::vector<test::Box> boxes;
    AnswerInput(seen, "desert");
    test::Answer(boxes, mrOk);
    form->mnuQueryClick(form);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No match found for\ndesert");
}

TEST_F(CommentCommandsTest, QueryInAFolderOfOneFileDoesNothing) {
    AddFile("a.jpg");
    TFileForm* form = Open();
    form->XL->SetSelected(nullptr);
    InputBox seen;
    AnswerInput(seen, "nothing like it");
    form->mnuQueryClick(form);
    EXPECT_EQ(form->XL->SelCount(), 0) << "and no message box (the fixture checks)";
}

TEST_F(CommentCommandsTest, SortByCommentPutsRowsWithoutCommentFirst) {
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}) AddFile(name);
    AddPair("a.jpg\r\nb.jpg\r\nd.jpg\r\n", "zebra\r\napple\r\nMango\r\n");
    TFileForm* form = Open();
    static_cast<QAction*>(form->FindItem("mnuByComment"))->trigger();
    std::vector<std::string> order;
    for (int row = 0; row < int(form->Listing->FileOrder.size()); ++row)
        order.push_back(std::string(test::ListedRec(row).Name()));
    // The comment files themselves have no comment either.
    EXPECT_EQ(order, (std::vector<std::string>{"c.jpg", "FILELIST.VOX", "FILETEXT.VOX", "b.jpg", "d.jpg", "a.jpg"}));
    static_cast<QAction*>(form->FindItem("mnuByName"))->trigger();
    form->XLColumnClick(4);
    form->XLColumnClick(4);
    EXPECT_EQ(std::string(test::ListedRec(0).Name()), "a.jpg") << "the column's second click sorts descending";
}

TEST_F(CommentCommandsTest, ScreenshotsOfTheCommentBoxesAndColumn) {
    const char* shots = std::getenv("LUMVOR_SHOTS");
    if (!shots) GTEST_SKIP() << "set LUMVOR_SHOTS to a folder to take the screenshots";
    const std::string out = IncludeTrailingPathDelimiter(shots);
    for (const char* name : {"Beach at dawn.jpg", "bird.jpg", "city lights.jpg", "dune.jpg"}) AddFile(name);
    AddPair("Beach at dawn.jpg\r\nbird.jpg\r\ndune.jpg\r\n",
            "Our first morning on the island, before the rain came\r\nA wren\r\nTaken = 2021:07:04 12:00:00\r\n");
    TFileForm* form = Open();
    form->resize(900, 420);
    form->show();
    WaitWithEvents(200);
    form->grab().save(QString::fromStdString(out + "comments_column.png"));

    Select("Beach at dawn.jpg");
    QueueModalAction([out](QDialog& dialog) {
        WaitWithEvents(100);
        dialog.grab().save(QString::fromStdString(out + "comments_edit.png"));
        dialog.done(mrCancel);
    });
    form->mnuCommentClick(form);
    QueueModalAction([out](QDialog& dialog) {
        WaitWithEvents(100);
        dialog.grab().save(QString::fromStdString(out + "comments_exif_question.png"));
        dialog.done(mrCancel);
    });
    form->mnuCommentEXIFClick(form);
}

}  // namespace
}  // namespace lumvor
