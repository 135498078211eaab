// The folder listing over real folders that each test makes with touch,
// truncate, mkfifo and ln; record bytes checked by an independent Python reader.
#include "explorer/FolderListing.h"

#include "app/lumv8900.h"
#include "explorer/ThumbFiles.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "imaging/ThumbCache.h"
#include "platform/Graphics.h"
#include "support/file_helpers.h"
#include "support/picture_folder.h"
#include "support/thumb_cells.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace lumvor {
namespace {

class Listing : public test::PictureFolderTest {
protected:
    void SetUp() override {
        PictureFolderTest::SetUp();
        xplr8900::CommentNames.Clear();
        xplr8900::CommentTexts.Clear();
        list_.View.SelectedCount = [this] { return static_cast<int>(selected_.size()); };
        list_.View.IsRowSelected = [this](int row) { return selected_.count(row) > 0; };
        list_.View.SelectRow = [this](int row) { selected_.insert(row); };
        list_.View.ClearSelection = [this] { selected_.clear(); };
        // A new row count drops the view's selection, as the owner-data list does.
        list_.View.RowCountChanged = [this] { selected_.clear(); };
        list_.View.StartTransitFiles = [this] { ++transitStarts_; };
    }

    // Runs a shell command in the folder.
    void Sh(const std::string& command) {
        const std::string line = "cd '" + folder_ + "' && " + command;
        ASSERT_EQ(std::system(line.c_str()), 0) << line;
    }
    // A file of some bytes written an hour ago.
    void OldFile(const std::string& name, const std::string& content = "data") {
        test::WriteFileText(folder_ + name, content);
        Sh("touch -d '1 hour ago' '" + name + "'");
    }

    std::vector<std::string> RowNames() const {
        std::vector<std::string> names;
        for (int32_t recNo : list_.FileOrder) names.emplace_back(list_.ReadRec(recNo).Name());
        return names;
    }
    // The record of the row showing Name; fails the test when there is none.
    FileRec RecOf(const std::string& name, int32_t* recNo = nullptr) const {
        for (int32_t n : list_.FileOrder) {
            const FileRec rec = list_.ReadRec(n);
            if (rec.Name() == name) {
                if (recNo) *recNo = n;
                return rec;
            }
        }
        ADD_FAILURE() << name << " is not listed";
        return {};
    }
    bool Listed(const std::string& name) const {
        for (int32_t n : list_.FileOrder)
            if (list_.ReadRec(n).Name() == name) return true;
        return false;
    }
    int RowOf(const std::string& name) const {
        for (size_t row = 0; row < list_.FileOrder.size(); ++row)
            if (list_.ReadRec(list_.FileOrder[row]).Name() == name) return static_cast<int>(row);
        return -1;
    }

    TFolderListing list_;
    std::set<int> selected_;
    int transitStarts_ = 0;
};

// ---- Inclusion

TEST_F(Listing, ListsWhatTheFolderHoldsAndLeavesOutEmptyAndYoungFiles) {
    OldFile("empty.jpg", "");
    OldFile(".hidden.txt");
    Sh("mkfifo pipe.jpg && touch -d '1 hour ago' pipe.jpg");
    Sh("mkdir Album && touch -d '1 hour ago' Album");
    const std::string longName = [] {
        std::string name;
        for (int i = 0; i < 127; ++i) name += "\xC3\xA9";  // é
        return name + "a";                                  // 255 bytes
    }();
    OldFile(longName);
    // Written relative to this moment, to the nanosecond, just before the listing.
    for (const auto& [name, seconds] : {std::pair<const char*, int>{"ago1.jpg", -1}, {"ago5.jpg", -5},
                                        {"ahead1.jpg", 1}, {"ahead10.jpg", 10}}) {
        test::WriteFileText(folder_ + name, "x");
        timespec moment{};
        clock_gettime(CLOCK_REALTIME, &moment);
        moment.tv_sec += seconds;
        const timespec times[2] = {moment, moment};
        ASSERT_EQ(::utimensat(AT_FDCWD, (folder_ + name).c_str(), times, 0), 0);
    }

    ASSERT_TRUE(list_.UpdateFiles(true));
    const struct {
        const char* name;
        bool listed;
    } cases[] = {{"empty.jpg", false}, {"ago1.jpg", false},   {"ago5.jpg", true}, {"ahead1.jpg", false},
                 {"ahead10.jpg", true}, {".hidden.txt", true}, {"pipe.jpg", true}, {"Album", true}};
    for (const auto& c : cases) EXPECT_EQ(Listed(c.name), c.listed) << c.name;
    EXPECT_EQ(list_.FileRecCount, 6);
    EXPECT_EQ(static_cast<int>(list_.FileOrder.size()), list_.FileRecCount);

    const FileRec folder = RecOf("Album");
    EXPECT_EQ(folder.Flags(), 8193);
    EXPECT_EQ(folder.State(), 0);
    EXPECT_TRUE(list_.FoldersSeen);
    EXPECT_EQ(RecOf(longName).Name(), longName);
    EXPECT_EQ(list_.GetItemPath(RowOf(longName)), folder_ + longName);

    // A FIFO is listed but never offered to anything that would open it.
    const FileRec pipe = RecOf("pipe.jpg");
    EXPECT_EQ(pipe.State(), fsFailed);
    EXPECT_EQ(pipe.Kind(), 0);
    EXPECT_TRUE(pipe.CacheName().empty());
    // Names are file names: Ext stays empty and the path is folder + name.
    EXPECT_TRUE(RecOf("ago5.jpg").Ext().empty());
    EXPECT_EQ(list_.GetItemPath(RowOf("ago5.jpg")), folder_ + "ago5.jpg");
}

TEST_F(Listing, LinksListWithTheirTargetsData) {
    OldFile("target.jpg", std::string(3000, 'x'));
    Sh("mkdir sub && ln -s target.jpg link.jpg && ln -s sub linkdir && ln -s nowhere dangling.jpg");
    Sh("touch -h -d '1 hour ago' link.jpg linkdir dangling.jpg sub");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RecOf("link.jpg").SizeLow(), 3000u);
    EXPECT_EQ(RecOf("linkdir").Flags(), 8193);
    EXPECT_EQ(RecOf("dangling.jpg").SizeLow(), 7u);  // the link's own length: "nowhere"

    // The link to a folder lists the folder it leads to.
    OldFile("sub/inner.png");
    ExploreDir = folder_ + "linkdir/";
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RowNames(), std::vector<std::string>{"inner.png"});
}

TEST_F(Listing, MissingFoldersAndNetworkPlaces) {
    ExploreDir = folder_ + "missing/";
    EXPECT_TRUE(list_.UpdateFiles(true));  // an empty list, no failure
    EXPECT_TRUE(list_.FileOrder.empty());

    Sh("mkdir locked && chmod 000 locked");
    if (::access((folder_ + "locked").c_str(), R_OK) != 0) {  // root reads every folder
        ExploreDir = folder_ + "locked/";
        EXPECT_FALSE(list_.UpdateFiles(true));
        EXPECT_TRUE(list_.FileOrder.empty());
    }
    Sh("chmod 755 locked");

    // A folder inside the user's mount of network places lists only with network support.
    const std::string gvfs = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/gvfs/";
    const std::string share = gvfs + "smb-share:server=nas,share=photos/";
    Sh("mkdir -p '" + share + "'");
    test::WriteFileText(share + "shot.jpg", "data");
    Sh("touch -d '1 hour ago' '" + share + "shot.jpg'");
    ExploreDir = share;
    EXPECT_TRUE(list_.UpdateFiles(true));
    EXPECT_TRUE(list_.FileOrder.empty());
    xplr8900::EControls.SetByte(xplr8900::ec::NetworkSupport, 1);
    EXPECT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RowNames(), std::vector<std::string>{"shot.jpg"});
    Sh("rm -rf '" + gvfs + "'");
}

TEST_F(Listing, ClosingAndActivationPendingListNothing) {
    OldFile("a.jpg");
    list_.Closing = true;
    EXPECT_FALSE(list_.UpdateFiles(true));
    EXPECT_TRUE(list_.FileOrder.empty());
    list_.Closing = false;
    list_.ActivationPending = true;
    EXPECT_TRUE(list_.UpdateFiles(true));
    EXPECT_TRUE(list_.FileOrder.empty());
}

// ---- Sizes and dates

TEST_F(Listing, SizesAreTrue64BitSizesAndDatesAreClamped) {
    Sh("truncate -s 3G big3.bin && truncate -s 5G big5.bin && truncate -s 2147483648 big2.bin && "
       "truncate -s 1536 small.bin && touch -d '1 hour ago' big3.bin big5.bin big2.bin small.bin");
    Sh("printf x > epoch.bin && touch -d @0 epoch.bin");
    ASSERT_TRUE(list_.UpdateFiles(true));
    const struct {
        const char* name;
        uint32_t high, low;
        const char* text;
    } cases[] = {{"big3.bin", 0, 3221225472u, "3072.00 MB"},
                 {"big5.bin", 1, 1073741824u, "5120.00 MB"},
                 {"big2.bin", 0, 2147483648u, "2048.00 MB"},
                 {"small.bin", 0, 1536, "1.5 KB"}};
    for (const auto& c : cases) {
        const FileRec rec = RecOf(c.name);
        EXPECT_EQ(rec.SizeHigh(), c.high) << c.name;
        EXPECT_EQ(rec.SizeLow(), c.low) << c.name;
        EXPECT_EQ(FormatFileSizeText(static_cast<int64_t>(rec.FileSize())), c.text) << c.name;
    }
    EXPECT_EQ(list_.ListTotalSize, (int64_t(3) << 30) + (int64_t(5) << 30) + (int64_t(2) << 30) + 1536 + 1);
    EXPECT_EQ(RecOf("epoch.bin").FileDate(), 0x00210000);  // 1980-01-01 00:00:00
}

TEST_F(Listing, TimeMsIsTheMillisecondOfTheLocalDay) {
    test::WriteFileText(folder_ + "a.jpg", "x");
    const timespec moment{test::LocalTime(2024, 5, 17, 12, 34, 56), 789000000};
    const timespec times[2] = {moment, moment};
    ASSERT_EQ(::utimensat(AT_FDCWD, (folder_ + "a.jpg").c_str(), times, 0), 0);
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RecOf("a.jpg").FileDate(), 1488020572);
    EXPECT_EQ(RecOf("a.jpg").TimeMs(), 45296789);
}

// ---- Record bytes

TEST_F(Listing, RecordBytesReadByAnIndependentReader) {
    Sh("truncate -s 5G big.jpg && mkdir Folder && touch -d '2024-05-17 12:34:56.789' big.jpg Folder");
    OldFile("note.txt", std::string(1536, 'n'));
    ASSERT_TRUE(list_.UpdateFiles(true));
    ASSERT_EQ(list_.FileRecCount, 3);
    const std::string streamFile = dir_.path().toStdString() + "/stream.bin";
    {
        std::ofstream out(streamFile, std::ios::binary);
        out.write(reinterpret_cast<const char*>(list_.FileRecStream.Memory()), 3 * FileRecSize);
    }
    const std::string lines = test::CommandOutput("python3 '" LUMVOR_FIXTURES "/listing/filerec_fields.py' '" +
                                                  streamFile + "' 3");
    const FileRec big = RecOf("big.jpg");
    // Shell order: the folder first, then the files.
    const std::string expected =
        "Folder||||8193|0|" + std::to_string(list_.FolderIconIndex) + "|0|0|1488020572|45296789|0|0|0|0|0|0\n"
        "big.jpg|" + std::string(big.CacheName()) + "|||0|1|" + std::to_string(big.ImageIndex()) +
        "|1|1073741824|1488020572|45296789|0|0|0|0|0|128\n"
        "note.txt||||0|1|" + std::to_string(RecOf("note.txt").ImageIndex()) + "|0|1536|" +
        std::to_string(RecOf("note.txt").FileDate()) + "|" + std::to_string(RecOf("note.txt").TimeMs()) +
        "|0|0|0|0|0|0\n";
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(big.CacheName().size(), 15u);
}

// ---- Cache files of JPEGs

class ListingThumbs : public Listing {
protected:
    // Writes the cache file of the listed entry Name, with the trailer's picture size.
    void WriteCache(const std::string& name, uint16_t width, uint16_t height, uint16_t bits) {
        const FileRec row = RecOf(name);
        TBitmap cell;
        test::FillThumbCell(cell, 3);
        FileRec trailer = row;
        trailer.SetWidth(width);
        trailer.SetHeight(height);
        trailer.SetBitsPerPixel(bits);
        ASSERT_TRUE(WriteThumbFile(trailer, cell, ThumbRecFile(row), row));
    }
    std::string CachePath(const std::string& name) { return ThumbRecFile(RecOf(name)).Path; }
};

TEST_F(ListingThumbs, ValidCacheFilesGiveThumbnailsAndCaptions) {
    for (const char* name : {"valid.jpg", "short.jpg", "cut.jpg", "none.jpeg"}) OldFile(name, "jpeg bytes");
    OldFile("photo.png", "png bytes");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(list_.ThumbsNeeded, 4);
    WriteCache("valid.jpg", 1024, 768, 24);
    WriteCache("cut.jpg", 1024, 768, 24);
    ASSERT_EQ(::truncate(CachePath("cut.jpg").c_str(), ThumbRecOffset + 100), 0);
    test::WriteFileText(CachePath("short.jpg"), std::string(256, 'B'));

    ASSERT_TRUE(list_.UpdateFiles(true));
    const FileRec valid = RecOf("valid.jpg");
    EXPECT_EQ(valid.State(), fsPresent);
    EXPECT_EQ(valid.Kind(), 128);
    EXPECT_EQ(valid.Caption(), ".JPG 1024x768(24)");
    EXPECT_EQ(valid.Width(), 1024);
    EXPECT_EQ(valid.Height(), 768);
    for (const char* name : {"short.jpg", "cut.jpg", "none.jpeg"}) {
        EXPECT_EQ(RecOf(name).State(), fsPending) << name;
        EXPECT_EQ(RecOf(name).Kind(), 128) << name;
        EXPECT_TRUE(RecOf(name).Caption().empty()) << name;
    }
    EXPECT_EQ(list_.ThumbsNeeded, 3);

    const FileRec png = RecOf("photo.png");
    std::string name;
    ThumbRecName(xplr8900::VolumeTag, xplr8900::ThumbKeyFolder, png, name);
    EXPECT_EQ(png.CacheName(), name);
    EXPECT_EQ(png.State(), fsPending);
    EXPECT_EQ(png.Kind(), 0);
    EXPECT_EQ(list_.GetThumbRecPath(RowOf("photo.png")),
              xplr8900::ThumbRoot + xplr8900::ThumbFolderName + "/" + name);
    // Other files share their extension's file in the cache root.
    OldFile("readme.txt");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_TRUE(RecOf("readme.txt").CacheName().empty());
    EXPECT_EQ(list_.GetThumbRecPath(RowOf("readme.txt")), xplr8900::ThumbRoot + "TXT");
}

TEST_F(ListingThumbs, AThumbnailOfAnOverwrittenPictureIsNotTaken) {
    OldFile("a.jpg", "first");
    ASSERT_TRUE(list_.UpdateFiles(true));
    WriteCache("a.jpg", 640, 480, 24);
    const std::string cacheName(RecOf("a.jpg").CacheName());
    OldFile("a.jpg", "second version");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RecOf("a.jpg").State(), fsPending);
    EXPECT_NE(RecOf("a.jpg").CacheName(), cacheName);
}

// ---- Sorting

TEST_F(Listing, ShellOrderPutsFoldersFirstAndNumbersInOrder) {
    for (const char* name : {"img10.jpg", "img2.jpg", "Beta.jpg", "alpha.jpg"}) OldFile(name);
    Sh("mkdir zeta Yard && touch -d '1 hour ago' zeta Yard");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"Yard", "zeta", "alpha.jpg", "Beta.jpg", "img2.jpg", "img10.jpg"}));
}

TEST_F(Listing, ArrangeByEachKey) {
    Sh("truncate -s 3G b_big.jpg && truncate -s 1G c_mid.png && truncate -s 100 a_small.gif");
    Sh("touch -d '2001-01-01' b_big.jpg && touch -d '1999-01-01' c_mid.png && touch -d '2050-01-01' a_small.gif");
    OldFile("Rome 002.jpg");
    OldFile("Athens 003.jpg");
    Sh("touch -d '2020-01-01' 'Rome 002.jpg' 'Athens 003.jpg'");
    ASSERT_TRUE(list_.UpdateFiles(true));

    struct Case {
        TListSortKey key;
        bool descending;
        std::vector<std::string> order;
    };
    const std::vector<Case> cases = {
        {TListSortKey::Name, false, {"a_small.gif", "Athens 003.jpg", "b_big.jpg", "c_mid.png", "Rome 002.jpg"}},
        {TListSortKey::Name, true, {"Rome 002.jpg", "c_mid.png", "b_big.jpg", "Athens 003.jpg", "a_small.gif"}},
        {TListSortKey::Size, false, {"Rome 002.jpg", "Athens 003.jpg", "a_small.gif", "c_mid.png", "b_big.jpg"}},
        {TListSortKey::Size, true, {"b_big.jpg", "c_mid.png", "a_small.gif", "Rome 002.jpg", "Athens 003.jpg"}},
        {TListSortKey::Date, false, {"c_mid.png", "b_big.jpg", "Rome 002.jpg", "Athens 003.jpg", "a_small.gif"}},
        {TListSortKey::Type, false, {"a_small.gif", "Athens 003.jpg", "b_big.jpg", "Rome 002.jpg", "c_mid.png"}},
        {TListSortKey::Family, false, {"Rome 002.jpg", "Athens 003.jpg", "a_small.gif", "b_big.jpg", "c_mid.png"}},
    };
    for (const Case& c : cases) {
        list_.SortRows(c.key, c.descending);
        EXPECT_EQ(RowNames(), c.order) << static_cast<int>(c.key) << (c.descending ? " descending" : "");
        // The comparer agrees with the sort for every neighbouring pair.
        for (size_t i = 1; i < list_.FileOrder.size(); ++i) {
            const int order = list_.CompareRecs(c.key, list_.FileOrder[i - 1], list_.FileOrder[i]);
            EXPECT_TRUE(c.descending ? order >= 0 : order <= 0) << static_cast<int>(c.key) << " at " << i;
        }
    }

    // A listing sorts by the checked item; "&Name +" keeps shell order.
    list_.SortRows(TListSortKey::Size, true);
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RowNames().front(), "b_big.jpg");
    list_.SortRows(TListSortKey::Name, false);
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(RowNames().front(), "a_small.gif");
}

TEST_F(Listing, CommentsSortOnlyWhileLoadedAndCheckNothing) {
    OldFile("a.jpg");
    OldFile("b.jpg");
    ASSERT_TRUE(list_.UpdateFiles(true));
    xplr8900::CommentNames.Add("a.jpg");
    xplr8900::CommentTexts.Add("zebra");
    xplr8900::CommentNames.Add("b.jpg");
    xplr8900::CommentTexts.Add("apple");
    list_.SortRows(TListSortKey::Comment, false);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"a.jpg", "b.jpg"}));
    list_.CommentsLoaded = true;
    list_.SortRows(TListSortKey::Comment, false);
    EXPECT_EQ(RowNames(), (std::vector<std::string>{"b.jpg", "a.jpg"}));
    EXPECT_EQ(list_.SortKey, TListSortKey::Name);
}

// ---- Refresh

TEST_F(Listing, RefreshKeepsWhatDidNotChange) {
    for (const char* name : {"a.jpg", "A.jpg", "b.jpg", "c.jpg", "d.jpg"}) OldFile(name);
    Sh("mkdir Sub && touch -d '1 hour ago' Sub");
    ASSERT_TRUE(list_.UpdateFiles(true));
    const int32_t count = list_.FileRecCount;

    // Nothing changed: "a.jpg" and "A.jpg" pair with their own rows.
    list_.ValidateFiles_Changed(true);
    EXPECT_EQ(list_.FileRecCount, count);

    // A thumbnail made meanwhile, and a selection.
    int32_t cRec = -1;
    FileRec c = RecOf("c.jpg", &cRec);
    c.SetState(fsPresent);
    list_.WriteRec(cRec, c);
    selected_ = {RowOf("A.jpg"), RowOf("d.jpg")};
    std::vector<std::pair<std::string, int32_t>> before;
    for (int32_t n : list_.FileOrder) before.emplace_back(list_.ReadRec(n).Name(), n);

    Sh("mv b.jpg renamed.jpg");
    list_.ValidateFiles_Changed(true);
    EXPECT_FALSE(Listed("b.jpg"));
    ASSERT_EQ(RowNames().back(), "renamed.jpg");
    EXPECT_EQ(list_.FileOrder.back(), count);  // a new record after the old ones
    EXPECT_EQ(list_.FileRecCount, count + 1);
    for (const auto& [name, recNo] : before) {
        if (name == "b.jpg") continue;
        int32_t now = -1;
        RecOf(name, &now);
        EXPECT_EQ(now, recNo) << name;
    }
    EXPECT_EQ(RecOf("c.jpg").State(), fsPresent);
    EXPECT_EQ(selected_, (std::set<int>{RowOf("A.jpg"), RowOf("d.jpg")}));

    // An overwritten picture is a new entry.
    int32_t dOld = -1;
    RecOf("d.jpg", &dOld);
    OldFile("d.jpg", "other content");
    selected_.clear();
    list_.ValidateFiles_Changed(true);
    int32_t dNew = -1;
    EXPECT_EQ(RecOf("d.jpg", &dNew).State(), fsPending);
    EXPECT_NE(dNew, dOld);
    EXPECT_EQ(RowNames().back(), "d.jpg");
    // The earlier selection marks were used up: a row deselected since stays so.
    EXPECT_TRUE(selected_.empty());
}

TEST_F(Listing, RefreshAddsNoSystemEntriesAndHoldsBackYoungFiles) {
    OldFile("a.jpg");
    ASSERT_TRUE(list_.UpdateFiles(true));
    Sh("mkfifo pipe && touch -d '1 hour ago' pipe && mkdir New && touch -d '1 hour ago' New");
    OldFile("empty.jpg", "");
    test::WriteFileText(folder_ + "young.jpg", "x");  // last, just before the refresh
    list_.ValidateFiles_Changed(true);
    EXPECT_FALSE(Listed("pipe"));
    EXPECT_FALSE(Listed("young.jpg"));
    EXPECT_FALSE(Listed("empty.jpg"));
    EXPECT_TRUE(Listed("New"));
    EXPECT_EQ(RecOf("New").Flags(), 8193);
    EXPECT_TRUE(list_.YoungFilesHeld);
    EXPECT_EQ(transitStarts_, 1);

    // A refresh after a drop lists young files at once.
    list_.ForceNewFiles = true;
    list_.ValidateFiles_Changed(true);
    EXPECT_TRUE(Listed("young.jpg"));
    EXPECT_FALSE(list_.ForceNewFiles);
    // A new file's record has no cache name and no JPEG kind yet.
    EXPECT_TRUE(RecOf("young.jpg").CacheName().empty());
    EXPECT_EQ(RecOf("young.jpg").State(), fsPending);
}

TEST_F(Listing, RefreshAfterOneNewFileWritesOnlyItsRecord) {
    for (int i = 0; i < 50; ++i) OldFile("f" + std::to_string(i) + ".jpg");
    ASSERT_TRUE(list_.UpdateFiles(true));
    const std::vector<uint8_t> before(list_.FileRecStream.Memory(),
                                      list_.FileRecStream.Memory() + 50 * FileRecSize);
    OldFile("new.jpg");
    list_.ValidateFiles_Changed(true);
    EXPECT_EQ(list_.FileRecCount, 51);
    EXPECT_TRUE(std::equal(before.begin(), before.end(), list_.FileRecStream.Memory()));
    EXPECT_EQ(list_.ReadRec(50).Name(), "new.jpg");
}

// ---- The stream's size

TEST_F(Listing, TheStreamGrowsToTwiceTheEntriesAndNeverShrinks) {
    for (int i = 0; i < 3000; ++i) test::WriteFileText(folder_ + "f" + std::to_string(i) + ".jpg", "x");
    Sh("touch -d '1 hour ago' f*");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(list_.FileRecStream.GetSize(), 2 * 3000 * FileRecSize);
    // So many cache files are looked for on several threads; the rows stay in order.
    EXPECT_EQ(list_.ThumbsNeeded, 3000);
    EXPECT_EQ(RowNames()[2], "f2.jpg");
    EXPECT_EQ(RowNames()[2999], "f2999.jpg");
    ExploreDir = folder_ + "small/";
    Sh("mkdir small");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_EQ(list_.FileRecCount, 0);
    EXPECT_EQ(list_.FileRecStream.GetSize(), 2 * 3000 * FileRecSize);
}

// ---- Drive level

TEST_F(Listing, DrivesGiveOneRecordEachWithTheirFullMountPoint) {
    const std::vector<TDriveEntry> drives = {{"/", "System", 3},
                                             {"/media/user/HOLIDAY 2024/", "HOLIDAY 2024", 4},
                                             {"/mnt/a/", "/mnt/a", 5}};
    list_.UpdateDrives(drives);
    ASSERT_EQ(list_.FileOrder.size(), 3u);
    EXPECT_TRUE(list_.DrivesView);
    for (size_t row = 0; row < drives.size(); ++row) {
        const FileRec rec = list_.ReadRec(list_.FileOrder[row]);
        EXPECT_EQ(rec.State(), fsDrive);
        EXPECT_EQ(rec.Name(), drives[row].Caption);
        EXPECT_EQ(rec.ImageIndex(), drives[row].ImageIndex);
        EXPECT_NE(rec.FileDate(), 0);
        EXPECT_EQ(rec.TimeMs(), 0);
        EXPECT_EQ(list_.GetItemPath(static_cast<int>(row)), drives[row].Path);
    }
    EXPECT_EQ(list_.ReadRec(1).Ext(), "/media/user/");  // the record keeps 12 bytes

    // The running system's volumes.
    list_.UpdateDrives(VolumeDriveEntries());
    ASSERT_FALSE(list_.FileOrder.empty());
    EXPECT_EQ(list_.GetItemPath(0), "/");
    // A folder listing leaves the drive level.
    OldFile("a.jpg");
    ASSERT_TRUE(list_.UpdateFiles(true));
    EXPECT_FALSE(list_.DrivesView);
    EXPECT_EQ(list_.GetItemPath(0), folder_ + "a.jpg");
}

TEST_F(Listing, RecordPathsFollowNameAndExt) {
    ExploreDir = "/x/y";
    FileRec rec;
    const struct {
        const char* name;
        const char* ext;
        const char* path;
    } cases[] = {{"holiday.jpg", "", "/x/y/holiday.jpg"},
                 {"holiday", ".JPG", "/x/y/holiday.JPG"},
                 {"holiday.jpg", ".JPG", "/x/y/holiday.jpg"},
                 {"link", ".LNK", "/x/y/link.LNK"},
                 {"link.lnk", ".LNK", "/x/y/link.lnk"}};
    for (const auto& c : cases) {
        rec.SetName(c.name);
        rec.SetExt(c.ext);
        EXPECT_EQ(TFolderListing::GetRecFilePath(rec), c.path) << c.name << c.ext;
    }
    // No row, no path; -1 is the focused row.
    EXPECT_EQ(list_.GetItemPath(0), "");
    EXPECT_EQ(list_.GetItemPath(-1), "");
}

}  // namespace
}  // namespace lumvor
