// Lists to the slide album and to the bookmarks over a real folder tree: the
// walk order against a short Python walk, the bookmark list's exact paths, the
// album's records read back with Python's struct, cancelling, the refusal while
// busy, loops in the tree and the network warnings.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "state/SlideListing.h"
#include "album/show8900.h"
#include "imaging/OpenPicture.h"
#include "app/lumv8900.h"
#include "explorer/FolderWalk.h"
#include "explorer/SlideLists.h"
#include "explorer/ThumbFiles.h"
#include "imaging/AvlScript.h"
#include "platform/Classes.h"
#include "support/case_names.h"
#include "support/explorer_start.h"
#include "support/file_helpers.h"
#include "support/message_boxes.h"
#include "support/own_mounts.h"
#include "ui/Status_y.h"
#include "ui/VListShowEx.h"

using namespace lumvor;
using namespace lumvor::test;

namespace {

namespace fs = std::filesystem;

const std::string kFixtures = std::string(LUMVOR_FIXTURES) + "/lists/";

// The lines of a CR LF text file, each without its line end.
std::vector<std::string> CrLfLines(const std::string& file) {
    const std::string text = ReadFileText(file);
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        const size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF in " << file;
        if (end == std::string::npos)
            break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class SlideListsTest : public ExplorerFormTest {
protected:
    void SetUp() override {
        ExplorerFormTest::SetUp();
        lumv8900::TempNameStem = "_liststest";
        lumv8900::AppQuitting = false;
        lumv8900::ExtIconCache.Clear();
        IsBusy = 0;
        CancelPressed = 0;
        show8900::SlideCount = 0;
        MakeTree();
        lumv8900::ThumbCacheDir = root + "Cache";
        xplr8900::OpenHandOff = [this](const std::string& command, const std::string& path) {
            handOffs.push_back(command + " " + path);
        };
        Go(root);
    }
    void TearDown() override {
        xplr8900::OpenHandOff = nullptr;
        lumv8900::ThumbCacheDir.clear();
        lumv8900::AppQuitting = false;
        delete show8900::ShowForm;
        show8900::ShowForm = nullptr;
        EXPECT_EQ(IsBusy, 0);
        EXPECT_FALSE(xplr8900::ListingBusy);
        ExplorerFormTest::TearDown();
    }

    // A file with its last write in 2021 (settled, and a known date).
    void File(const std::string& rel, const std::string& bytes) {
        WriteFileText(root + rel, bytes);
        const utimbuf times{LocalTime(2021, 6, 15, 10, 20, 30), LocalTime(2021, 6, 15, 10, 20, 31)};
        ASSERT_EQ(::utime((root + rel).c_str(), &times), 0);
    }
    void Link(const std::string& target, const std::string& rel) {
        ASSERT_EQ(::symlink(target.c_str(), (root + rel).c_str()), 0);
    }

    // The tree every test lists: pictures and media in the root (an empty JPEG,
    // links, a pipe, files of other kinds), a folder with a capital-letter name,
    // a link loop, an empty folder, the thumbnail cache with a picture inside,
    // and pictures in the last sub-folder.
    void MakeTree() {
        File("a.jpg", "jpeg bytes");
        File("Empty.JPG", "");
        File("song.mp3", "mp3 bytes, longer");
        File("clip.AVI", "avi");
        File("notes.txt", "text");
        File("show.avl", "[AVL]");
        Link("a.jpg", "pic_link.jpg");
        Link("missing.jpg", "dangling.jpg");
        ASSERT_EQ(::mkfifo((root + "pipe.jpg").c_str(), 0600), 0);
        File("Trip/Beach.JPG", "beach");
        File("Trip/inner/x.png", "png!");
        Link("../..", "Trip/inner/back");
        Folder("beta");
        File("Cache/sub/c.jpg", "cached");
        File("Zeta/pic.gif", "gif");
        Link("Trip", "zz_tree_link");
    }

    // What the Python walk written from the rule lists.
    std::vector<std::string> PythonWalk() {
        return CommandLines("/usr/bin/python3 '" + kFixtures + "walk_order.py' '" + root + "' '" + root + "Cache'");
    }

    // Runs action once, as soon as a run holds IsBusy with its progress box up.
    void OnceBusy(std::function<void()> action) {
        QObject::connect(&busyPoll, &QTimer::timeout, [this, action] {
            if (!IsBusy || !StatusForm)
                return;
            busyPoll.stop();
            action();
        });
        busyPoll.start(0);
    }

    QTimer busyPoll;
    std::vector<std::string> handOffs;
    std::vector<Box> boxes;
};

TEST_F(SlideListsTest, InstantSlideshowListsTheWholeTreeWithExactPathsAndStartsTheShow) {
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));

    // The folder list: every folder in the walk order, the last sub-folder too,
    // the cache and the loop left out.
    const std::vector<std::string> folders = CrLfLines(CatalogRFile);
    EXPECT_EQ(folders, PythonWalk());
    EXPECT_EQ(folders, (std::vector<std::string>{root, root + "beta/", root + "Trip/", root + "Trip/inner/",
                                                 root + "Zeta/"}));
    std::string stem;
    GetDataFolder(stem);
    EXPECT_EQ(CatalogRFile, stem + "_liststest.dir");
    EXPECT_EQ(xplr8900::BookmarkListFile, stem + "_liststest.vop");

    ASSERT_EQ(handOffs, (std::vector<std::string>{"mnuHistoryLoadClick " + xplr8900::BookmarkListFile}));
    EXPECT_EQ(CrLfLines(xplr8900::BookmarkListFile),
              (std::vector<std::string>{root + "a.jpg", root + "clip.AVI", root + "Empty.JPG", root + "pic_link.jpg",
                                        root + "song.mp3", root + "Trip/Beach.JPG", root + "Trip/inner/x.png",
                                        root + "Zeta/pic.gif"}));
    EXPECT_EQ(form->FileList.Count(), 0);
    EXPECT_EQ(form->FolderList.Count(), 0);
    EXPECT_EQ(StatusForm, nullptr);
    EXPECT_EQ(ExploreDir, root);
}

// A list longer than the piece the run writes at a time: every line whole,
// in the walk's order, each folder's files in name order.
TEST_F(SlideListsTest, ALongListIsWrittenWholeInOrder) {
    std::vector<std::string> many;
    for (const char* folder : {"Many/one/", "Many/three/", "Many/two/"})
        for (int i = 0; i < 1200; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "Photo%04d", i);
            const std::string relative = folder + std::string(name) + std::string(80, 'x') + (i % 3 ? ".jpg" : ".TIF");
            WriteFileText(root + relative, "p");
            many.push_back(root + relative);
            WriteFileText(root + folder + name + ".txt", "not listed");
        }
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));

    std::vector<std::string> expected = {root + "a.jpg", root + "clip.AVI", root + "Empty.JPG", root + "pic_link.jpg",
                                         root + "song.mp3"};
    expected.insert(expected.end(), many.begin(), many.end());
    for (const char* tail : {"Trip/Beach.JPG", "Trip/inner/x.png", "Zeta/pic.gif"})
        expected.push_back(root + tail);
    const std::vector<std::string> lines = CrLfLines(xplr8900::BookmarkListFile);
    EXPECT_EQ(lines.size(), expected.size());
    EXPECT_TRUE(lines == expected);  // (not printed: thousands of lines)
}

// The run's files are made anew: a longer list left by an earlier run leaves
// no tail behind, whether it sits at the list's name or behind a link there.
// A link at the name (to a file elsewhere, or to none yet) is written through:
// the link stays a link and the file it points to holds the list.
TEST_F(SlideListsTest, ListFilesAreMadeAnewAndWrittenThroughALinkAtTheirName) {
    lumv8900::TempNameStem = "_liststest_anew";
    std::string stem;
    GetDataFolder(stem);
    stem += lumv8900::TempNameStem;
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const std::string away = elsewhere.path().toStdString() + "/";

    // Where one list file of a run goes: its name, and the file a link there
    // points to (none: a plain file at the name).
    struct TPlace {
        std::string Ending;   // ".dir" or ".vop"
        std::string Linked;   // the link's file in away, "" for no link
        bool Relative;        // the link names its file relative to its folder
        bool OldList;         // a longer list is there before the run
        size_t Lines;         // the run's lines
    };
    const std::vector<std::vector<TPlace>> runs = {
        {{".dir", "", false, true, 5}, {".vop", "bookmarks.vop", false, true, 8}},
        {{".dir", "folders.dir", true, true, 5}, {".vop", "new.vop", false, false, 8}},
    };
    for (const auto& run : runs) {
        for (const TPlace& place : run) {
            const std::string name = stem + place.Ending;
            fs::remove(name);  // the link itself, never its file
            const std::string file = place.Linked.empty() ? name : away + place.Linked;
            if (place.OldList)
                WriteFileText(file, std::string(100000, 'x'));
            if (!place.Linked.empty()) {
                const std::string target =
                    place.Relative ? fs::relative(file, ExtractFilePath(stem)).string() : file;
                ASSERT_EQ(::symlink(target.c_str(), name.c_str()), 0);
            }
        }
        form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));
        for (const TPlace& place : run) {
            SCOPED_TRACE(place.Ending + " at " + (place.Linked.empty() ? "its name" : place.Linked));
            const std::string name = stem + place.Ending;
            EXPECT_EQ(fs::is_symlink(name), !place.Linked.empty());
            EXPECT_EQ(CrLfLines(place.Linked.empty() ? name : away + place.Linked).size(), place.Lines);
        }
    }
    EXPECT_EQ(CrLfLines(away + "bookmarks.vop").size(), 8u);  // left as the first run made it
    fs::remove(stem + ".vop");
    fs::remove(stem + ".dir");
}

TEST_F(SlideListsTest, AddToAlbumHandsTheListOverThroughTheHandOffFile) {
    lumv8900::NetPasswordWarned = false;
    form->mnuAddSlideAlbumXClick(nullptr);
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_EQ(show8900::ShowForm->Calls, (std::vector<std::string>{"DoAppend"}));
    const std::vector<std::string> lines = CrLfLines(xplr8900::HandOffListFile());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[5], root + "Trip/Beach.JPG");
    EXPECT_TRUE(handOffs.empty());
    EXPECT_FALSE(FileExists(xplr8900::BookmarkListFile));
}

TEST_F(SlideListsTest, AlbumRecordsTakeEveryNonEmptyListableFileWithTheirKindsDefaults) {
    form->mnuListSlideAlbum(form);
    ASSERT_NE(show8900::ShowForm, nullptr);
    EXPECT_EQ(show8900::ShowForm->Calls,
              (std::vector<std::string>{"PopulateSlides_Begin", "PopulateSlides_End", "btnLoadSClick"}));
    EXPECT_EQ(show8900::SlideCount, 7);

    // Read back independently: the names file holds the paths without their
    // extensions as on disk; sizes and dates agree with os.stat.
    const std::vector<std::string> records =
        CommandLines("/usr/bin/python3 '" + kFixtures + "slide_records.py' '" + CatalogDFile + "' '" + CatalogNFile + "'");
    // name|ext|size agrees|date agrees|dim state|name, folder index and sequence|
    // back colour|wait|effect|gamma|zoom|rotation|bytes 114..129
    const std::string feff4 = "feff" "feff" "feff" "feff";
    const std::string picture = "|-2|1|0|100|100|0|000064006400" + feff4 + "0000";
    const std::string otherMedia = "|-2|1|65535|65535|100|0|ffffffff6400" + feff4 + "0000";
    const std::string sound = "|-1|1|65535|65535|65535|65535|" + std::string(32, 'f');
    const auto line = [&](const std::string& name, const char* ext, int i, const std::string& tail) {
        const std::string n = std::to_string(i);
        return root + name + "|" + ext + "|True|True|1|" + n + "|" + n + "|" + n + tail;
    };
    ASSERT_EQ(records.size(), 7u);
    EXPECT_EQ(records[0], line("a", ".JPG", 0, picture));
    EXPECT_EQ(records[1], line("clip", ".AVI", 1, otherMedia));
    EXPECT_EQ(records[2], line("pic_link", ".JPG", 2, picture));
    EXPECT_EQ(records[3], line("song", ".MP3", 3, sound));
    EXPECT_EQ(records[4], line("Trip/Beach", ".JPG", 4, picture));
    EXPECT_EQ(records[5], line("Trip/inner/x", ".PNG", 5, picture));
    EXPECT_EQ(records[6], line("Zeta/pic", ".GIF", 6, picture));

    // One volume tag per listed folder.
    std::string tag;
    GetVolumeTag(root, tag);
    EXPECT_EQ(CrLfLines(CatalogVFile), std::vector<std::string>(5, tag));
}

TEST_F(SlideListsTest, AlbumOfTheFolderAloneLeavesItsSubFoldersOut) {
    form->mnuListSlideAlbum(form->FindItem("mnuNewSlideAlbumX"));
    EXPECT_EQ(show8900::SlideCount, 4);
    EXPECT_EQ(CrLfLines(CatalogRFile), (std::vector<std::string>{root}));
}

// What Cancel in the progress box leads to, by the answer to the question.
struct CancelCase {
    const char* name;
    bool quitting;
    int answer;  // to "Cancel batch operation?"; 0 when it must not be asked
    bool ends;
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class SlideListsCancel : public SlideListsTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(SlideListsCancel, CancelAsksAndYesKeepsNothing) {
    const CancelCase c = GetParam();
    OnceBusy([c] {
        CancelPressed = 1;
        lumv8900::AppQuitting = c.quitting;
    });
    if (c.answer)
        Answer(boxes, c.answer);
    if (c.ends)
        Answer(boxes, mrOk);  // "Slide listing aborted."
    form->mnuListSlideAlbum(form);

    std::vector<std::string> texts;
    for (const Box& box : boxes)
        texts.push_back(box.text);
    std::vector<std::string> expected;
    if (c.answer)
        expected.push_back("Cancel batch operation?");
    if (c.ends)
        expected.push_back("Slide listing aborted.");
    EXPECT_EQ(texts, expected);
    const std::vector<std::string> calls = show8900::ShowForm->Calls;
    if (c.ends) {
        EXPECT_EQ(calls, (std::vector<std::string>{"PopulateSlides_Begin", "PopulateSlides_Clear"}));
        EXPECT_EQ(form->FileList.Count(), 0);
        EXPECT_EQ(form->FolderList.Count(), 0);
    } else {
        EXPECT_EQ(calls.back(), "btnLoadSClick");
        EXPECT_EQ(show8900::SlideCount, 7);
    }
    EXPECT_EQ(CancelPressed, 0);
}

INSTANTIATE_TEST_SUITE_P(Answers, SlideListsCancel,
                         ::testing::Values(CancelCase{"YesEndsAndClearsTheAlbum", false, mrYes, true},
                                           CancelCase{"NoGoesOn", false, mrNo, false},
                                           CancelCase{"QuittingEndsWithoutAsking", true, 0, true}),
                         CaseNames<&CancelCase::name>);

TEST_F(SlideListsTest, CancelledBookmarkRunHandsNothingOver) {
    OnceBusy([] { CancelPressed = 1; });
    Answer(boxes, mrYes);
    Answer(boxes, mrAbort);
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Slide listing aborted.");
    EXPECT_TRUE(handOffs.empty());
    EXPECT_FALSE(FileExists(xplr8900::BookmarkListFile));
    EXPECT_EQ(form->FileList.Count(), 0);
}

TEST_F(SlideListsTest, SecondStartDuringARunIsRefusedAndChangesNothing) {
    OnceBusy([this] { form->mnuListSlideAlbum(form); });
    Answer(boxes, mrOk);
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "A critical process is being executed.\nCancel the process to proceed.");
    EXPECT_EQ(show8900::ShowForm, nullptr);  // the refused album run made no album
    ASSERT_EQ(handOffs.size(), 1u);
    EXPECT_EQ(CrLfLines(xplr8900::BookmarkListFile).size(), 8u);
}

TEST_F(SlideListsTest, MakeSlideshowAsksAboutSubFoldersAndNoListsTheFolderAlone) {
    Answer(boxes, mrNo);
    form->MakeSlideshow(form->FindItem("mnuNewSlideAlbumX"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Add slides to Slide Album from folders");
    EXPECT_EQ(boxes[0].text,
              "All available slides from current folder will be imported.\nInclude contents from all sub-folders too?");
    EXPECT_EQ(show8900::SlideCount, 4);
}

TEST_F(SlideListsTest, MakeSlideshowOfSelectedFilesTakesOnlyListableFilesThatExist) {
    form->mnuSelectAllClick(nullptr);
    ASSERT_GE(form->XL->SelCount(), 3);
    form->MakeSlideshow(nullptr);
    ASSERT_NE(show8900::ShowForm, nullptr);
    ASSERT_NE(show8900::ShowForm->InstantFiles, nullptr);
    std::set<std::string> files;
    for (int i = 0; i < show8900::ShowForm->InstantFiles->Count(); ++i)
        files.insert((*show8900::ShowForm->InstantFiles)[i]);
    for (const char* name : {"a.jpg", "clip.AVI", "song.mp3"})
        EXPECT_TRUE(files.count(root + name)) << name;
    for (const char* name : {"notes.txt", "show.avl", "dangling.jpg", "pipe.jpg", "Trip", "zz_tree_link"})
        EXPECT_FALSE(files.count(root + name)) << name;
}

TEST_F(SlideListsTest, NetworkPlaceWarnsFirstAndCancelChangesNothing) {
    const std::string runtime = root + "runtime";
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    const std::string share = runtime + "/gvfs/smb-share:server=nas,share=photos/";
    WriteFileText(share + "n.jpg", "net");
    ExploreDir = share;
    Answer(boxes, mrCancel);
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text.rfind("Password dialogs are NOT invoked", 0), 0u);
    EXPECT_TRUE(handOffs.empty());
}

TEST_F(SlideListsTest, MountedNetworkVolumeListsWithoutWarning) {
    // A volume of a mounted network file system is a local drive here.
    const int index = form->DriveList->Add(root);
    form->DriveList->PutData(index, xplr8900::DriveMappedNetwork);
    form->mnuListBookmarksClick(form->FindItem("mnuInstantSlideshow"));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(handOffs.size(), 1u);
}

// Binds the tree's root into its own sub-folder (in a child process with its
// own mounts, where the kernel allows them) and lists the tree for bookmarks:
// the list must end and hold each file once.
TEST_F(SlideListsTest, FolderBoundIntoItsOwnSubFolderEndsTheListNormally) {
    const int outcome = RunWithOwnMounts(root, root + "beta", [this] {
        TStringList lines;
        const bool ended = WalkFolderTree(root, [&](TWalkFolder& folder) {
            AppendBookmarkLines(ListFolderEntries(folder), lines);
            return lines.Count() > 100 ? TWalkStep::Stop : TWalkStep::Continue;
        });
        return ended && lines.Count() == 8 ? 0 : 1;
    });
    if (outcome == NoOwnMounts)
        GTEST_SKIP() << "no user and mount namespaces here";
    EXPECT_EQ(outcome, 0);
}

// Which names the lists take, by their extension in any case. The test
// finds the extension anywhere in the list of listable ones, so the beginning
// of one counts too (".jpe"); a two-letter one only as a short media type.
struct ListableCase {
    const char* name;
    const char* file;
    bool listable;
};
void PrintTo(const ListableCase& c, std::ostream* os) { *os << c.name; }

class ListableNames : public ::testing::TestWithParam<ListableCase> {};

TEST_P(ListableNames, TakeOnlyListedExtensions) {
    const ListableCase c = GetParam();
    EXPECT_EQ(IsListableName(c.file), c.listable) << c.file;
    EXPECT_EQ(IsListableFile(std::string("/photos/Trip.2021/") + c.file), c.listable) << c.file;
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, ListableNames,
    ::testing::Values(ListableCase{"LowerCasePicture", "a.jpg", true}, ListableCase{"MixedCase", "Trip.JpEg", true},
                      ListableCase{"Media", "clip.mkv", true}, ListableCase{"Sound", "tune.FLAC", true},
                      ListableCase{"BeginningOfAListedOne", "x.jpe", true},
                      ListableCase{"ShortMediaType", "tune.au", true},
                      ListableCase{"ShortMediaTypeBeginningAListedOne", "clip.rm", true},
                      ListableCase{"ShortMediaTypeNotListed", "clip.qt", false},
                      ListableCase{"TwoLettersNotShortMedia", "x.mp", false}, ListableCase{"Text", "notes.txt", false},
                      ListableCase{"SlideScript", "show.avl", false}, ListableCase{"NoExtension", "README", false},
                      ListableCase{"DotAtTheEnd", "name.", false}, ListableCase{"OnlyAnExtension", ".jpg", true},
                      ListableCase{"LastExtensionCounts", "a.jpg.txt", false},
                      ListableCase{"LongerThanAnyListed", "a.jpegjpeg", false},
                      ListableCase{"NotAscii", "a.jp\xc4\x9d", false}),
    CaseNames<&ListableCase::name>);

// Every extension of one to four letters, in upper and lower case, against the
// rule in its plainest form: more than a dot and one letter, found in the
// list, and a two-letter one among the short media types.
TEST(ListableNamesTest, AgreeWithTheListForEveryShortExtension) {
    const std::string listed = ListableExtensions;
    const std::string shortMedia = OpenPicture::ShortMediaList;
    int checked = 0;
    std::string letters;
    const std::function<void(int)> each = [&](int left) {
        if (!letters.empty()) {
            const std::string upper = "." + letters;
            const bool expected = upper.size() > 2 && listed.find(upper) != std::string::npos &&
                                  (upper.size() != 3 || shortMedia.find(upper) != std::string::npos);
            std::string lower = "x" + upper;
            for (char& ch : lower)
                ch = char(std::tolower(static_cast<unsigned char>(ch)));
            ASSERT_EQ(IsListableName("x" + upper), expected) << upper;
            ASSERT_EQ(IsListableName(lower), expected) << lower;
            ++checked;
        }
        if (left == 0)
            return;
        for (char ch = 'A'; ch <= 'Z'; ++ch) {
            letters.push_back(ch);
            each(left - 1);
            letters.pop_back();
        }
    };
    each(4);
    EXPECT_GT(checked, 26 * 26 * 26 * 26);
}

}  // namespace
