// The zip window against Info-ZIP's zipinfo and unzip, on archives made by
// Info-ZIP zip and Python's zipfile: the archive list, the entry grid, batch
// and single-file extraction, the log, the trash and the window's bounds.
#include "app/save_form_fixture.h"

#include "state/ExplorerSettings.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "ui/DragDrop.h"
#include "ui/MeOpenDialogEx.h"
#include "platform/Grids.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "ui/Status_y.h"
#include "ui/walk8900.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QListWidget>

#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace fs = std::filesystem;
using namespace lumvor;
using namespace lumvor::test;
using lumvor::lumv8900::WebForm;

namespace {

std::string ZipFixture(const std::string& name) { return std::string(LUMVOR_FIXTURES) + "/zip/" + name; }
std::string Quoted(const std::string& path) { return "'" + path + "'"; }

// The folder picker closed with OK on folder; caption receives its caption.
void ChooseFolder(const std::string& folder, std::string* caption = nullptr) {
    QueueModalAction([folder, caption](QDialog& d) {
        if (caption) {
            const std::string title = d.windowTitle().toStdString();
            const std::string shown = walk8900::WalkFolder;
            *caption = title.size() >= shown.size() && title.compare(title.size() - shown.size(), shown.size(), shown) == 0
                           ? title.substr(0, title.size() - shown.size())
                           : title;
        }
        walk8900::WalkFolder = folder;
        d.done(mrOk);
    });
}

// What `unzip -d` and `diff -r` say: empty when the folders hold the same files.
std::string DiffWithUnzip(const std::string& archive, const std::string& folder) {
    const std::string reference = folder + ".unzip";
    CommandOutput("unzip -q -o " + Quoted(archive) + " -d " + Quoted(reference) + " 2>&1");
    return CommandOutput("diff -r " + Quoted(reference) + " " + Quoted(folder) + " 2>&1");
}

class ZipWindowTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        home = ProgramFolder();
        archives = home + "archives/";
        fs::create_directories(archives);
        // A trash of this test's own, on the archives' file system.
        oldDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        dataHome = home + "data-home";
        fs::create_directories(dataHome);
        ::setenv("XDG_DATA_HOME", dataHome.c_str(), 1);
        lumv8900::ShellOpenDocument = [this](const std::string& file) {
            opened.push_back(file);
            return true;
        };
        form = &EnsureUnZipForm();
        form->show();
    }
    void TearDown() override {
        lumv8900::ShellOpenDocument = nullptr;
        ::setenv("XDG_DATA_HOME", oldDataHome.c_str(), 1);
        Screen.SetSize(QSize());
        ImageWindowTest::TearDown();
    }

    std::string Copy(const std::string& fixture, const std::string& name) {
        const std::string path = archives + name;
        fs::copy_file(ZipFixture(fixture), path, fs::copy_options::overwrite_existing);
        return path;
    }
    bool Trashed(const std::string& path) {
        const std::string info = ReadFileText(dataHome + "/Trash/info/" + ExtractFileName(path) + ".trashinfo");
        return info.find("Path=" + path) != std::string::npos && !fs::exists(path);
    }
    // Lists the archive at path as a click in the list would.
    void Select(const std::string& path) {
        for (int i = 0; i < form->ZipSrcList->count(); ++i)
            if (form->ZipSrcList->item(i)->text().toStdString() == path) {
                form->ZipSrcList->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
                return;
            }
        ADD_FAILURE() << path << " is not listed";
    }
    std::vector<std::string> GridColumn(int col) const {
        std::vector<std::string> cells;
        for (int row = 1; row < form->ZipGrid->RowCount(); ++row)
            cells.push_back(form->ZipGrid->Cells(col, row).toStdString());
        return cells;
    }
    std::string Log() const { return ReadFileText(TUnZipForm::LogFileName()); }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const Box& box : boxes)
            texts.push_back(box.text);
        return texts;
    }

    TUnZipForm* form = nullptr;
    std::string home, archives, dataHome, oldDataHome;
    std::vector<std::string> opened;
    std::vector<Box> boxes;
};

// ---- The archive list

TEST_F(ZipWindowTest, TheSameArchiveByDialogDropAndPopulateIsListedOnce) {
    const std::string trip = Copy("window.zip", "Trip.ZIP");
    const std::string lower = Copy("window.zip", "trip.zip");
    const std::string text = archives + "notes.txt";
    WriteFileText(text, "not an archive");

    form->Populate(trip);
    QMimeData dropped;
    dropped.setData(UriListMimeType, UriListOf({trip, lower, text}));
    int effect = DROPEFFECT_COPY;
    form->UnzipDropFiles->Drop(&dropped, MK_LBUTTON, TPoint{5, 5}, effect);
    EXPECT_EQ(form->Archives(), (std::vector<std::string>{trip, lower}));
    // The dialog's Recent button opens it again in the recent folder.
    std::string title, reopenedIn;
    QueueModalAction([&](QDialog& d) {
        title = d.windowTitle().toStdString();
        WebForm->OpenDialogAny->FRecent()->click();
    });
    QueueModalAction([&](QDialog& d) {
        auto& dialog = static_cast<QFileDialog&>(d);
        reopenedIn = dialog.directory().absolutePath().toStdString();
        dialog.setDirectory(QString::fromStdString(archives));
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText("\"Trip.ZIP\" \"trip.zip\"");
        static_cast<QDialog&>(dialog).accept();
    });
    form->mnuAdd->trigger();
    form->Populate(lower);

    EXPECT_EQ(reopenedIn, lumv8900::EnsureRecentPath());
    EXPECT_EQ(title, "Select source *.zip file(s)");
    EXPECT_EQ(form->Archives(), (std::vector<std::string>{trip, lower}));
    EXPECT_EQ(QueuedModalAnswers(), 0);
    // The dialog goes back to choosing one file, in the folder chosen.
    EXPECT_FALSE(WebForm->OpenDialogAny->Options & ofAllowMultiSelect);
    EXPECT_EQ(AddBackslash(WebForm->OpenDialogAny->InitialDir()), archives);

    Select(lower);
    EXPECT_EQ(form->StatusText(), "[ Archive: trip.zip ]   File selected: cover [1].jpg");
    form->ZipSrcList->selectAll();
    EXPECT_EQ(form->StatusText(), " 2 archives selected for batch.");
    form->ZipSrcList->clearSelection();
    EXPECT_EQ(form->StatusText(), "Ready.");
}

TEST_F(ZipWindowTest, ClosingWhileTheProgramRunsEmptiesTheListAndHides) {
    form->Populate(Copy("window.zip", "a.zip"));
    ASSERT_TRUE(form->mnuUnZipAll->isEnabled());
    form->close();
    EXPECT_FALSE(form->isVisible());
    WebForm->mnuUnZipperClick(nullptr);
    EXPECT_EQ(Unzip_8900::UnZipForm, form);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->Archives().empty());
    EXPECT_EQ(form->StatusText(), "Ready.");
    EXPECT_FALSE(form->mnuUnZipAll->isEnabled());
    // At shut-down the window really closes and is freed.
    lumv8900::ShutDown = true;
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    lumv8900::ShutDown = false;
    EXPECT_EQ(Unzip_8900::UnZipForm, nullptr);
    EXPECT_FALSE(Unzip_8900::UnZipFormCreated);
}

TEST_F(ZipWindowTest, DeleteRecyclesTheSelectedArchivesOnlyWhenTheUserAgrees) {
    const std::string kept = Copy("window.zip", "kept.zip");
    const std::string gone = Copy("window.zip", "gone.zip");
    form->Populate(kept);
    form->Populate(gone);
    Select(gone);
    Answer(boxes, mrNo);
    form->mnuDeleteZ->trigger();
    EXPECT_TRUE(fs::exists(gone));
    Answer(boxes, mrYes);
    form->mnuDeleteZ->trigger();
    EXPECT_EQ(Texts(), std::vector<std::string>(2, "Recycle 1 ZIP archive(s) ?"));
    EXPECT_TRUE(Trashed(gone));
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_EQ(form->Archives(), std::vector<std::string>{kept});
    // The one left is listed.
    EXPECT_EQ(form->StatusText(), "[ Archive: kept.zip ]   File selected: cover [1].jpg");
}

TEST_F(ZipWindowTest, OptionsHelpAndEscape) {
    for (int i = 0; i < 4; ++i)
        Answer(boxes, mrOk);
    form->mnuOverwrite->trigger();
    form->mnuOverwrite->trigger();
    form->mnuCreateSubFolder->trigger();
    form->mnuCreateSubFolder->trigger();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"If a target file exists, it will not be extracted.",
                                                 "If a target file exists, a numbered duplicate will be created.",
                                                 "Auto-extract to sub-folder DISABLED.",
                                                 "Auto-extract to sub-folder ENABLED."}));
    EXPECT_EQ(form->UnZipper->OverwriteMode, Prompt);
    long topic = 0;
    Application.OnHelp = [&topic](long context) {
        topic = context;
        return true;
    };
    form->homeHelp->trigger();
    EXPECT_EQ(topic, 150);
    form->Populate(Copy("window.zip", "a.zip"));
    QTest::keyClick(form, Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(form->Archives().empty());
}

// ---- The entry grid

// One line of `zipinfo -l -T`: the grid row it stands for.
std::vector<std::string> GridRowOf(const std::string& line) {
    std::istringstream in(line);
    std::string perms, version, os, size, kind, packed, method, stamp;
    in >> perms >> version >> os >> size >> kind >> packed >> method >> stamp;
    std::string path;
    std::getline(in >> std::ws, path);
    const bool folder = path.back() == '/';
    std::vector<std::string> row{folder ? path : path.substr(path.rfind('/') + 1), "", "", "", ""};
    const long unpacked = std::stol(size), compressed = std::stol(packed);
    if (unpacked >= 1 && compressed >= 1) {
        const int year = std::stoi(stamp.substr(0, 4)), month = std::stoi(stamp.substr(4, 2)),
                  day = std::stoi(stamp.substr(6, 2)), hour = std::stoi(stamp.substr(9, 2)),
                  minute = std::stoi(stamp.substr(11, 2)), second = std::stoi(stamp.substr(13, 2));
        char date[64];
        if (hour == 0 && minute == 0 && second == 0)
            std::snprintf(date, sizeof date, "%d/%d/%d", month, day, year);
        else
            std::snprintf(date, sizeof date, "%d/%d/%d %d:%02d:%02d %s", month, day, year,
                          hour % 12 == 0 ? 12 : hour % 12, minute, second, hour < 12 ? "am" : "pm");
        row[1] = date;
        row[2] = size;
        row[3] = std::to_string((unpacked - compressed) * 100 / unpacked);
        row[4] = packed;
    }
    return row;
}

struct GridCase {
    const char* name;
    const char* fixture;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

class ZipGridTest : public ZipWindowTest, public ::testing::WithParamInterface<GridCase> {};

TEST_P(ZipGridTest, RowsEqualZipinfo) {
    const std::string archive = Copy(GetParam().fixture, GetParam().fixture);
    form->Populate(archive);
    Select(archive);
    std::vector<std::vector<std::string>> expected;
    for (const std::string& line : CommandLines("zipinfo -l -T " + Quoted(archive)))
        if (!line.empty() && std::string("-d?").find(line[0]) != std::string::npos)  // entry lines
            expected.push_back(GridRowOf(line));
    ASSERT_FALSE(expected.empty());
    ASSERT_EQ(form->ZipGrid->RowCount(), int(expected.size()) + 1);
    for (int row = 1; row < form->ZipGrid->RowCount(); ++row) {
        std::vector<std::string> cells;
        for (int col = 0; col < 5; ++col)
            cells.push_back(form->ZipGrid->Cells(col, row).toStdString());
        EXPECT_EQ(cells, expected[size_t(row - 1)]) << "row " << row;
    }
    EXPECT_EQ(form->ZipGrid->Cells(0, 0).toStdString(), " Name");
    EXPECT_EQ(form->ZipGrid->Cells(4, 0).toStdString(), " PackSize");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipGridTest,
                         ::testing::Values(GridCase{"InfoZipWithFoldersAndAnEmptyFile", "window.zip"},
                                           GridCase{"InfoZipDeflateLevels", "deflate_levels.zip"},
                                           GridCase{"PythonUtf8Names", "python_utf8.zip"}),
                         CaseNames<&GridCase::name>);

TEST_F(ZipWindowTest, AnArchiveWithoutItsDirectoryListsAfterTheRecoveryScan) {
    const std::string archive = Copy("no_central_dir.zip", "cut.zip");
    form->Populate(archive);
    Answer(boxes, mrAbort);
    Select(archive);
    EXPECT_EQ(Texts(), std::vector<std::string>{archive + "\nis incomplete or corrupted."});
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(GridColumn(0), (std::vector<std::string>{"cover [1].jpg", "album/", "album/2001/", "a.jpg", "album/2002/",
                                                       "a.jpg", "empty.txt", "empty_dir/"}));
}

// ---- Batch extraction

TEST_F(ZipWindowTest, ExtractAllWithDefaultOptionsFillsASubFolderPerArchiveAndTrashesThem) {
    const std::string window = Copy("window.zip", "window.zip");
    const std::string python = Copy("python_utf8.zip", "Python Made.zip");
    form->Populate(window);
    form->Populate(python);
    Answer(boxes, mrNo);  // "Extract all to source folders?": the sub-folder option holds anyway
    form->mnuUnZipAll->trigger();

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Extract 2 ZIP archive(s)");
    EXPECT_EQ(boxes[0].text, "Extract all to source folders?");
    EXPECT_EQ(DiffWithUnzip(ZipFixture("window.zip"), archives + "window"), "");
    EXPECT_EQ(DiffWithUnzip(ZipFixture("python_utf8.zip"), archives + "Python Made"), "");
    EXPECT_TRUE(Trashed(window));
    EXPECT_TRUE(Trashed(python));
    EXPECT_TRUE(form->Archives().empty());
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(StatusForm, nullptr);
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(ZipWindowTest, SelectedZipsIntoAChosenFolderAskBeforeRecycling) {
    const std::string first = Copy("window.zip", "first.zip");
    const std::string second = Copy("deflate_levels.zip", "second.zip");
    form->Populate(first);
    form->Populate(second);
    form->mnuCreateSubFolder->setChecked(false);
    Select(second);
    const std::string target = home + "chosen/";
    fs::create_directories(target);
    std::string caption;
    Answer(boxes, mrNo);
    ChooseFolder(target, &caption);
    Answer(boxes, mrYes);  // "Recycle second.zip ?"... of two listed: "1 selected ZIP files"
    form->mnuUnZipSel->trigger();

    EXPECT_EQ(caption, "Extract \"second.zip\" to");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Recycle 1 selected ZIP files ?");
    EXPECT_EQ(DiffWithUnzip(ZipFixture("deflate_levels.zip"), target.substr(0, target.size() - 1)), "");
    EXPECT_TRUE(Trashed(second));
    EXPECT_TRUE(fs::exists(first));
    EXPECT_EQ(form->Archives(), std::vector<std::string>{first});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ZipWindowTest, MissingArchivesAreDroppedBeforeTheRun) {
    const std::string kept = Copy("window.zip", "kept.zip");
    const std::string gone = archives + "Gone.zip";
    form->Populate(kept);
    form->Populate(gone);
    Answer(boxes, mrYes);
    Answer(boxes, mrOk);
    form->mnuUnZipAll->trigger();
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Missing file!\n" + gone + "\nItem removed from list.");
    EXPECT_TRUE(Trashed(kept));
}

TEST_F(ZipWindowTest, CancelInTheStatusBoxStopsTheRunAndKeepsTheArchive) {
    const std::string archive = Copy("window.zip", "stop.zip");
    form->Populate(archive);
    // The status box's Cancel, pressed once the first file is written.
    auto percentDone = form->UnZipper->OnTotalPercentDone;
    form->UnZipper->OnTotalPercentDone = [percentDone](TVCLUnZip* zip, int percent) {
        percentDone(zip, percent);
        ASSERT_NE(StatusForm, nullptr);
        StatusForm->btnCancel->click();
    };
    Answer(boxes, mrYes);
    Answer(boxes, mrOk);
    form->mnuUnZipAll->trigger();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Extract all to source folders?",
                                                 "There were extraction errors.\nSome files were recovered.\n"
                                                 "Last archive processed:\n" +
                                                     archive}));
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_EQ(form->Archives(), std::vector<std::string>{archive});
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(IsBusy, 0);
    // What was written is whole; the entry under way left nothing.
    EXPECT_EQ(ReadFileText(archives + "stop/cover [1].jpg"),
              CommandOutput("unzip -p " + Quoted(archive) + " 'cover [[]1].jpg'"));
    EXPECT_FALSE(fs::exists(archives + "stop/album/2001/a.jpg"));
}

TEST_F(ZipWindowTest, AnotherLongRunKeepsTheCommandsFromStarting) {
    form->Populate(Copy("window.zip", "wait.zip"));
    Select(form->Archives().front());
    IsBusy = 1;
    Answer(boxes, mrOk);
    Answer(boxes, mrOk);
    form->mnuUnZipAll->trigger();
    form->mnuUnZIpFile->trigger();
    IsBusy = 0;
    EXPECT_EQ(Texts(), std::vector<std::string>(2, "A critical process is being executed.\nCancel the process to proceed."));
    EXPECT_FALSE(fs::exists(archives + "wait"));
}

// A run in which something went wrong: every cause reaches the log, the log
// question follows and no archive goes to the trash.
struct TroubleCase {
    const char* name;
    const char* fixture;
    std::function<void(TUnZipForm&, const std::string& archive)> prepare;
    std::vector<std::string> logged;  // endings of log lines, after the entry path and the archive
    const char* kept;                 // the ending of the line, after the archive, that says why it stays
};
void PrintTo(const TroubleCase& c, std::ostream* os) { *os << c.name; }

class ZipTroubleTest : public ZipWindowTest, public ::testing::WithParamInterface<TroubleCase> {};

TEST_P(ZipTroubleTest, IsLoggedAndKeepsTheArchive) {
    const TroubleCase& c = GetParam();
    const std::string archive = Copy(c.fixture, "trouble.zip");
    c.prepare(*form, archive);
    form->Populate(archive);
    Answer(boxes, mrNo);
    Answer(boxes, mrYes);  // view the log
    form->mnuUnZipAll->trigger();

    ASSERT_EQ(boxes.size(), 2u) << ::testing::PrintToString(Texts());
    EXPECT_NE(boxes[1].text.find("There were exceptions. View log?"), std::string::npos) << boxes[1].text;
    EXPECT_EQ(opened, std::vector<std::string>{TUnZipForm::LogFileName()});
    const std::string log = Log();
    for (const std::string& ending : c.logged)
        EXPECT_NE(log.find(" in " + archive + ending + "\r\n"), std::string::npos) << ending << "\n" << log;
    EXPECT_NE(log.find(archive + c.kept + "\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Last archive processed: " + archive + "\r\n"), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_EQ(form->Archives(), std::vector<std::string>{archive});
    EXPECT_TRUE(form->isVisible());
}

constexpr const char* Troubled = ": some entries were not extracted; the archive was not recycled.";
constexpr const char* Incomplete =
    " is incomplete or corrupted: its entries were recovered as far as they could be; the archive was not recycled.";

// Flips one byte in the stored data of "cover [1].jpg".
void SpoilStoredEntry(TUnZipForm&, const std::string& archive) {
    std::string bytes = ReadFileText(archive);
    const size_t at = bytes.find("cover [1].jpg");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 13 + 100] = char(bytes[at + 13 + 100] ^ 0x55);
    WriteFileText(archive, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ZipTroubleTest,
    ::testing::Values(
        TroubleCase{"TargetsPresentWithSkipDuplicates", "window.zip",
                    [](TUnZipForm& f, const std::string& archive) {
                        CommandOutput("unzip -q " + Quoted(archive) + " -d " + Quoted(ChangeFileExt(archive, "")));
                        QueueModalResult(mrOk);
                        f.mnuOverwrite->trigger();
                    },
                    {" exists; skipped.", " exists; skipped."}, Troubled},
        TroubleCase{"EncryptedWithoutPassword", "encrypted.zip", [](TUnZipForm&, const std::string&) {},
                    {" needs a password; skipped."}, Troubled},
        TroubleCase{"DamagedEntry", "window.zip", SpoilStoredEntry, {" is corrupted (bad CRC)."}, Troubled},
        TroubleCase{"TraversalAndAbsolutePaths", "traversal.zip", [](TUnZipForm&, const std::string&) {},
                    {": path leaves the target folder or is a link; refused."}, Troubled},
        TroubleCase{"RecoveredDirectory", "no_central_dir.zip", [](TUnZipForm&, const std::string&) {}, {},
                    Incomplete},
        TroubleCase{"NotAnArchiveAtAll", "window.zip",
                    [](TUnZipForm&, const std::string& archive) { WriteFileText(archive, "plain text\n"); }, {},
                    Incomplete}),
    CaseNames<&TroubleCase::name>);

TEST_F(ZipWindowTest, SkippedTargetsAreKeptAndEachIsLogged) {
    const std::string archive = Copy("window.zip", "w.zip");
    const std::string target = archives + "w";
    CommandOutput("unzip -q " + Quoted(archive) + " -d " + Quoted(target));
    WriteFileText(target + "/album/2001/a.jpg", "mine");
    QueueModalResult(mrOk);
    form->mnuOverwrite->trigger();
    form->Populate(archive);
    Answer(boxes, mrNo);
    Answer(boxes, mrNo);
    form->mnuUnZipAll->trigger();
    EXPECT_EQ(ReadFileText(target + "/album/2001/a.jpg"), "mine");
    const std::string log = Log();
    for (const char* entry : {"cover [1].jpg", "album/2001/a.jpg", "album/2002/a.jpg", "empty.txt"})
        EXPECT_NE(log.find(std::string(entry) + " in " + archive + " exists; skipped.\r\n"), std::string::npos)
            << entry << "\n" << log;
    // Only the four folder entries count as unzipped.
    EXPECT_EQ(boxes[1].text, "4 file(s) unzipped.\nThere were exceptions. View log?");
    EXPECT_TRUE(opened.empty());
}

TEST_F(ZipWindowTest, TheIncompleteBoxShowsWhileListingButNotDuringARun) {
    const std::string archive = Copy("no_central_dir.zip", "cut.zip");
    form->Populate(archive);
    Answer(boxes, mrNo);
    Answer(boxes, mrNo);
    form->mnuUnZipAll->trigger();
    for (const Box& box : boxes)
        EXPECT_EQ(box.text.find("is incomplete or corrupted."), std::string::npos) << box.text;
    // What the local headers hold is extracted: all of it here.
    EXPECT_EQ(DiffWithUnzip(ZipFixture("window.zip"), archives + "cut"), "");
    EXPECT_NE(Log().find(archive + " is incomplete or corrupted"), std::string::npos);
    EXPECT_TRUE(fs::exists(archive));
}

TEST_F(ZipWindowTest, TraversalWritesNothingOutsideTheTarget) {
    const std::string archive = Copy("traversal.zip", "climb.zip");
    form->Populate(archive);
    Answer(boxes, mrNo);
    Answer(boxes, mrNo);
    form->mnuUnZipAll->trigger();
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(archives))
        if (!e.is_directory())
            files.push_back(fs::relative(e.path(), archives).string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"climb.zip", "climb/good/ok.txt"})) << ::testing::PrintToString(files);
    EXPECT_FALSE(fs::exists(home + "evil_parent.txt"));
    EXPECT_EQ(ReadFileText(archives + "climb/good/ok.txt"), "fine\n");
    for (const char* entry : {"../evil_parent.txt", "safe/../../evil_climb.txt"})
        EXPECT_NE(Log().find(std::string(entry) + " in " + archive + ": path leaves"), std::string::npos) << entry;
}

TEST_F(ZipWindowTest, AnArchiveTheTrashRefusesStaysAndTheLogSaysSo) {
    const std::string archive = Copy("window.zip", "stays.zip");
    // A data folder that is a file: no trash can be made.
    WriteFileText(dataHome + "/file", "");
    ::setenv("XDG_DATA_HOME", (dataHome + "/file").c_str(), 1);
    form->Populate(archive);
    Answer(boxes, mrYes);
    Answer(boxes, mrNo);
    form->mnuUnZipAll->trigger();
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_EQ(form->Archives(), std::vector<std::string>{archive});
    EXPECT_NE(Log().find(archive + " could not be moved to the trash; it was left where it is.\r\n"),
              std::string::npos)
        << Log();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Some ZIP archives could not be recycled.\nView log?");
}

// ---- Single-file extraction

struct SingleCase {
    const char* name;
    int row;             // grid row chosen
    const char* stored;  // its path in the archive
};
void PrintTo(const SingleCase& c, std::ostream* os) { *os << c.name; }

// A name that unzip's own wildcards take literally.
std::string UnzipLiteral(const std::string& name) {
    std::string pattern;
    for (char ch : name)
        pattern += ch == '[' ? std::string("[[]") : std::string(1, ch);
    return pattern;
}

class ZipSingleFileTest : public ZipWindowTest, public ::testing::WithParamInterface<SingleCase> {};

TEST_P(ZipSingleFileTest, WritesExactlyTheChosenEntry) {
    const SingleCase& c = GetParam();
    const std::string archive = Copy("window.zip", "one.zip");
    form->Populate(archive);
    Select(archive);
    form->ZipGrid->SetRow(c.row);
    const std::string target = home + "single/";
    fs::create_directories(target);
    std::string caption;
    ChooseFolder(target, &caption);
    Answer(boxes, mrOk);
    form->mnuUnZIpFile->trigger();

    EXPECT_EQ(caption, "Extract \"" + form->SelectedFile() + "\" to ");
    EXPECT_EQ(Texts(), std::vector<std::string>{"1 file(s) unzipped."});
    std::vector<std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(target))
        if (e.is_regular_file())
            files.push_back(fs::relative(e.path(), target).string());
    EXPECT_EQ(files, std::vector<std::string>{c.stored});
    EXPECT_EQ(ReadFileText(target + c.stored),
              CommandOutput("unzip -p " + Quoted(archive) + " " + Quoted(UnzipLiteral(c.stored))));
    EXPECT_TRUE(fs::exists(archive));
}

INSTANTIATE_TEST_SUITE_P(Entries, ZipSingleFileTest,
                         ::testing::Values(SingleCase{"NameWithBrackets", 1, "cover [1].jpg"},
                                           SingleCase{"SameNameInAnotherFolder", 6, "album/2002/a.jpg"}),
                         CaseNames<&SingleCase::name>);

// ---- Bounds

TEST_F(ZipWindowTest, BoundsSurviveARestart) {
    form->setGeometry(40, 50, 610, 330);
    const QRect frame = form->frameGeometry();
    bool canClose = false;
    xplr8900::FileForm->FormCloseQuery(xplr8900::FileForm, canClose);
    delete Unzip_8900::UnZipForm;
    delete xplr8900::FileForm;
    xplr8900::FileForm = nullptr;
    delete lumv8900::WebForm;
    lumv8900::WebForm = nullptr;
    ResetApplicationHooks();
    xplr8900::EControls = TByteRecord<140>{};

    MainUnitInit({});
    ASSERT_TRUE(ProgramStart());
    TUnZipForm& reopened = EnsureUnZipForm();
    reopened.show();
    EXPECT_EQ(reopened.frameGeometry(), frame);
}

TEST_F(ZipWindowTest, BoundsLargerThanTheScreenReopenAtTheCorner) {
    delete Unzip_8900::UnZipForm;
    Screen.SetSize(QSize(800, 600));
    xplr8900::TExplorerControls(xplr8900::EControls).SetZipBounds(QRect(100, 80, 900, 700));
    TUnZipForm& reopened = EnsureUnZipForm();
    // The archive list's 185 pixels and 372 more; half the screen high.
    EXPECT_EQ(reopened.geometry(), QRect(0, 0, 185 + 372, 300));
}

}  // namespace
