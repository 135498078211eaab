// Thumbnail cache folders, names and files. Expected names come from Python's
// zlib (name CRC = ~zlib.crc32(key) & 0xFFFFFFFF), through hard-coded vectors and
// through tests/fixtures/thumbcache/cache_names.py run on real files.
#include "explorer/ThumbFiles.h"

#include "album/show8900.h"
#include "app/lumv8900.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Graphics.h"
#include "platform/Jpeg.h"
#include "platform/SysUtils.h"
#include "support/file_helpers.h"
#include "support/picture_compare.h"
#include "support/thumb_cells.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace lumvor {
namespace {

namespace fs = std::filesystem;

std::string Home() { return IncludeTrailingPathDelimiter(std::getenv("LUMVOR_HOME")); }

FileRec Entry(std::string_view name, uint32_t sizeLow = 123456, int32_t fileDate = 1488020572,
              int32_t timeMs = 45296789, std::string_view ext = "") {
    FileRec rec;
    rec.SetName(name);
    rec.SetExt(ext);
    rec.SetSizeLow(sizeLow);
    rec.SetFileDate(fileDate);
    rec.SetTimeMs(timeMs);
    return rec;
}

std::string NameOf(std::string_view tag, std::string_view folder, const FileRec& rec,
                   TThumbFileKind* kind = nullptr) {
    std::string name;
    const TThumbFileKind k = ThumbRecName(tag, folder, rec, name);
    if (kind) *kind = k;
    return name;
}

void SetModified(const std::string& path, int year, int month, int day, int hour, int minute, int second,
                 int millisecond) {
    const timespec moment{test::LocalTime(year, month, day, hour, minute, second), millisecond * 1000000L};
    const timespec times[2] = {moment, moment};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// ---- Pure names

TEST(ThumbNames, FolderKeysMatchPythonVectors) {
    struct Case {
        const char* tag;
        const char* folder;
        const char* name;
    } cases[] = {
        {"CARD.1A2B3C4D", "/", "09E2454A"},
        {"CARD.1A2B3C4D", "/DCIM/100CANON/", "C4B0F50A"},
        {"CARD.1A2B3C4D", "/dcim/100canon/", "C4B0F50A"},  // upper-cased before the CRC
        {"", "/", "C89ABAB9"},
    };
    for (const Case& c : cases) EXPECT_EQ(ThumbFolderKeyName(c.tag, c.folder), c.name) << c.tag << c.folder;
}

TEST(ThumbNames, FileKeysMatchPythonVectors) {
    // "CARD.1A2B3C4D\r\n/DCIM/100CANON/IMG_0001.JPG\r\n123456\r\n1488020572\r\n45296789\r\n": 74 bytes.
    TThumbFileKind kind;
    EXPECT_EQ(NameOf("CARD.1A2B3C4D", "/DCIM/100CANON/", Entry("IMG_0001.JPG"), &kind), "800B5F8402A.rec");
    EXPECT_EQ(kind, TThumbFileKind::PerFile);
    EXPECT_EQ(NameOf("CARD.1A2B3C4D", "/dcim/100canon/", Entry("img_0001.jpg")), "800B5F8402A.rec");
    // The name may sit partly in Ext; the key holds Name + Ext.
    EXPECT_EQ(NameOf("CARD.1A2B3C4D", "/DCIM/100CANON/", Entry("IMG_0001", 123456, 1488020572, 45296789, ".JPG")),
              "800B5F8402A.rec");

    // A 3 GiB file: its SizeLow is written "-1073741824" (83-byte key).
    FileRec big = Entry("mvi_0002.mov.jpg");
    big.SetFileStamp(int64_t(3) << 30, 0, 0);
    big.SetFileDate(1488020572);
    big.SetTimeMs(45296789);
    EXPECT_EQ(big.SizeHigh(), 0u);
    EXPECT_EQ(big.SizeLow(), 0xC0000000u);
    EXPECT_EQ(NameOf("CARD.1A2B3C4D", "/DCIM/100CANON/", big), "628873F002J.rec");
}

TEST(ThumbNames, KeyLengthDecidesTheForm) {
    struct Case {
        size_t length;
        const char* name;
    } cases[] = {
        {100, "55CE94F6034.rec"},
        {32767, "F2FED265VVV.rec"},
        {32768, "000080008921D532"},
    };
    for (const Case& c : cases) {
        std::string key(c.length, '\0');
        for (size_t i = 0; i < c.length; ++i) key[i] = static_cast<char>((i * 7 + 3) & 0xFF);
        std::string name;
        ThumbKeyName(key, name);
        EXPECT_EQ(name, c.name) << c.length;
    }
}

TEST(ThumbNames, EveryPartOfTheKeyChangesTheName) {
    const std::string base = NameOf("CARD.1A2B3C4D", "/DCIM/", Entry("a.jpg"));
    EXPECT_NE(ThumbFolderKeyName("CARD.1A2B3C4D", "/DCIM/"), ThumbFolderKeyName("CARD.99999999", "/DCIM/"));
    EXPECT_NE(ThumbFolderKeyName("CARD.1A2B3C4D", "/DCIM/"), ThumbFolderKeyName("OTHER.1A2B3C4D", "/DCIM/"));
    EXPECT_NE(NameOf("CARD.99999999", "/DCIM/", Entry("a.jpg")), base);
    EXPECT_NE(NameOf("CARD.1A2B3C4D", "/DCIM/", Entry("b.jpg")), base);         // renamed
    EXPECT_NE(NameOf("CARD.1A2B3C4D", "/DCIM/", Entry("a.jpg", 123457)), base);  // resized
    EXPECT_NE(NameOf("CARD.1A2B3C4D", "/DCIM/", Entry("a.jpg", 123456, 1488020573)), base);
    EXPECT_NE(NameOf("CARD.1A2B3C4D", "/DCIM/", Entry("a.jpg", 123456, 1488020572, 45296790)), base);
    EXPECT_NE(NameOf("CARD.1A2B3C4D", "/DCIM2/", Entry("a.jpg")), base);
}

TEST(ThumbNames, ExtensionsWithoutOwnFilesShareRootFiles) {
    struct Case {
        const char* name;
        const char* ext;
        TThumbFileKind kind;
        const char* file;  // "" for a per-file name
    } cases[] = {
        {"readme.TXT", "", TThumbFileKind::Shared, "TXT"},
        {"a.txt", "", TThumbFileKind::Shared, "TXT"},
        {"archive.tar.gz", "", TThumbFileKind::Shared, "GZ"},
        {"Makefile", "", TThumbFileKind::Shared, "_other"},
        {"notes.", "", TThumbFileKind::Shared, "_other"},
        {".0A1B2C3D", "", TThumbFileKind::Shared, "_other"},
        {"x.0a1b2c3d", "", TThumbFileKind::Shared, "_other"},
        {"x.0A1B2C3G", "", TThumbFileKind::Shared, "0A1B2C3G"},
        {"x.0A1B2C3", "", TThumbFileKind::Shared, "0A1B2C3"},
        {"photo.Jpeg", "", TThumbFileKind::PerFile, ""},
        {"tool.exe", "", TThumbFileKind::PerFile, ""},
        {"photo", ".JPG", TThumbFileKind::PerFile, ""},
        {"shortcut", ".LNK", TThumbFileKind::PerFile, ""},
        {"x.jp", "", TThumbFileKind::Shared, "JP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + c.ext);
        TThumbFileKind kind;
        const std::string name = NameOf("T.00000001", "/f/", Entry(c.name, 1, 2, 3, c.ext), &kind);
        EXPECT_EQ(kind, c.kind);
        if (*c.file)
            EXPECT_EQ(name, c.file);
        else
            EXPECT_EQ(name.size(), 15u);
    }
}

TEST(ThumbNames, NegativePositionsNameTheStockFiles) {
    xplr8900::ThumbRoot = "/cache/";
    for (int position = -1; position >= -4; --position) {
        const TThumbFile file = ThumbStockFile(position);
        EXPECT_EQ(file.Path, "/cache/0000000" + std::to_string(-position));
        EXPECT_EQ(file.Kind, TThumbFileKind::Stock);
    }
    xplr8900::ThumbRoot.clear();
}

// Real files on two mounts (the build tree's and /dev/shm), with chosen and
// with checkout times, named by our code and by the Python oracle.
TEST(ThumbNames, NamesOfRealFilesMatchThePythonOracle) {
    if (!QFile::exists("/usr/bin/python3")) GTEST_SKIP() << "python3 is needed";
    std::vector<std::string> files = {std::string(LUMVOR_FIXTURES) + "/jpeg/cmyk.jpg",
                                      std::string(LUMVOR_FIXTURES) + "/gif/rose.gif"};
    const std::string home = Home() + "Pictures 2024/";
    fs::create_directories(home);
    test::WriteFileText(home + "IMG_0001.JPG", std::string(123456, 'x'));
    SetModified(home + "IMG_0001.JPG", 2024, 5, 17, 12, 34, 56, 789);
    files.push_back(home + "IMG_0001.JPG");

    QTemporaryDir shm("/dev/shm/lumvor-names-XXXXXX");
    if (shm.isValid()) {
        const std::string dir = shm.path().toStdString() + "/Ferien Übersicht/";
        fs::create_directories(dir);
        const struct {
            const char* name;
            int year, second, ms;
        } made[] = {{"strand.jpeg", 2023, 59, 999}, {"alt.png", 1980, 1, 0}, {"zukunft.bmp", 2100, 30, 5},
                    {"groß.tif", 2024, 0, 0}};
        for (const auto& m : made) {
            test::WriteFileText(dir + m.name, "picture " + std::string(m.name));
            SetModified(dir + m.name, m.year, 12, 31, 23, 59, m.second, m.ms);
            files.push_back(dir + m.name);
        }
        fs::resize_file(dir + "groß.tif", uintmax_t(3) << 30);  // sparse: no memory taken
    }

    QStringList arguments{QString(LUMVOR_FIXTURES) + "/thumbcache/cache_names.py"};
    std::vector<std::string> ours;
    for (const std::string& path : files) {
        const std::string dir = ExtractFilePath(path);
        std::string tag, keyFolder;
        GetVolumeTag(dir, tag);
        StripDrive(dir, keyFolder);
        FileRec rec;
        rec.SetName(ExtractFileName(path));
        ASSERT_TRUE(rec.SetFileStamp(path.c_str())) << path;
        ours.push_back(ThumbFolderKeyName(tag, keyFolder) + " " + NameOf(tag, keyFolder, rec));
        arguments << QString::fromStdString(tag) << QString::fromStdString(path);
    }
    QProcess python;
    python.start("/usr/bin/python3", arguments);
    ASSERT_TRUE(python.waitForFinished(30000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(static_cast<size_t>(lines.size()), ours.size());
    for (size_t i = 0; i < ours.size(); ++i) EXPECT_EQ(ours[i], lines[int(i)].toStdString()) << files[i];
}

// ---- The cache folder and its files

class ThumbFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ThumbRecOffset = 0;
        lumv8900::ThumbCacheDir.clear();
        show8900::ThumbPath.clear();
        xplr8900::ListingBusy = false;
        xplr8900::ThumbRoot.clear();
        xplr8900::ThumbFolderName.clear();
        folder_ = Home() + "Pictures/";
        fs::create_directories(folder_);
        ExploreDir = folder_;
    }
    void TearDown() override {
        ExploreDir.clear();
        ThumbRecOffset = 0;
    }

    // A listed entry of the explored folder, as the listing fills it.
    FileRec Listed(const std::string& name, size_t bytes = 1000) {
        test::WriteFileText(folder_ + name, std::string(bytes, 'p'));
        FileRec rec;
        rec.SetName(name);
        rec.SetFileStamp((folder_ + name).c_str());
        return rec;
    }

    std::string folder_;
};

TEST_F(ThumbFolder, PrepareSettlesTheRootTheSubFolderAndTheBlankFile) {
    TJPEGImage jpeg;
    PrepareThumbFolder(&jpeg);

    const std::string data = Home() + "data/";
    EXPECT_EQ(xplr8900::ThumbRoot, data);
    EXPECT_EQ(lumv8900::ThumbCacheDir, data);  // the default is stored back
    EXPECT_EQ(show8900::ThumbPath, data);
    std::string tag, keyFolder;
    GetVolumeTag(folder_, tag);
    StripDrive(folder_, keyFolder);
    EXPECT_EQ(xplr8900::VolumeTag, tag);
    EXPECT_EQ(xplr8900::ThumbKeyFolder, keyFolder);
    EXPECT_EQ(xplr8900::ThumbFolderName, ThumbFolderKeyName(tag, keyFolder));
    EXPECT_TRUE(fs::is_directory(data + xplr8900::ThumbFolderName));
    EXPECT_EQ(fs::file_size(data + "_.rec"), 63998u);
    EXPECT_EQ(ThumbRecOffset, 63558);
    EXPECT_EQ(xplr8900::KeyStream.Size(), 0);

    // The decode limits aim at 336 x 252: a 4000 x 3000 picture is decoded at 1/8.
    jpeg.LoadFromFile(std::string(LUMVOR_FIXTURES) + "/jpeg/big_4000x3000.jpg");
    TBitmap decoded;
    jpeg.DecodeToBitmap(decoded);
    EXPECT_EQ(decoded.Width(), 500);
    EXPECT_EQ(decoded.Height(), 375);

    // A chosen folder that exists is the root; one that is gone gives way to the default.
    fs::create_directories(Home() + "my cache");
    lumv8900::ThumbCacheDir = Home() + "my cache";
    PrepareThumbFolder(nullptr);
    EXPECT_EQ(xplr8900::ThumbRoot, Home() + "my cache/");
    EXPECT_TRUE(fs::is_directory(Home() + "my cache/" + xplr8900::ThumbFolderName));
    EXPECT_FALSE(fs::exists(Home() + "my cache/_.rec"));  // measured once per run
    lumv8900::ThumbCacheDir = Home() + "gone";
    PrepareThumbFolder(nullptr);
    EXPECT_EQ(xplr8900::ThumbRoot, data);
    EXPECT_EQ(lumv8900::ThumbCacheDir, data);
}

TEST_F(ThumbFolder, PrepareChangesNothingWhileListingBusy) {
    xplr8900::ListingBusy = true;
    xplr8900::ThumbFolderName = "0000ABCD";
    TJPEGImage jpeg;
    PrepareThumbFolder(&jpeg);
    EXPECT_EQ(xplr8900::ThumbFolderName, "0000ABCD");
    EXPECT_EQ(xplr8900::ThumbRoot, "");
    EXPECT_EQ(lumv8900::ThumbCacheDir, "");
    EXPECT_EQ(ThumbRecOffset, 0);
    EXPECT_FALSE(fs::exists(Home() + "data"));
    // The decoder keeps its default limits: full size.
    jpeg.LoadFromFile(std::string(LUMVOR_FIXTURES) + "/jpeg/baseline_420.jpg");
    TBitmap decoded;
    jpeg.DecodeToBitmap(decoded);
    EXPECT_EQ(decoded.Width(), jpeg.Width());
}

// A root that cannot be made (a file stands where the data folder goes): the
// folder is still settled, the offset still measured, and writes fail quietly.
TEST_F(ThumbFolder, AnUnusableRootLeavesWritesFailingQuietly) {
    test::WriteFileText(Home() + "data", "not a folder");
    PrepareThumbFolder(nullptr);
    EXPECT_EQ(xplr8900::ThumbRoot, Home() + "data/");
    EXPECT_EQ(ThumbRecOffset, 63558);
    EXPECT_EQ(xplr8900::ThumbFolderName.size(), 8u);
    const FileRec row = Listed("a.jpg");
    TBitmap cell;
    test::FillThumbCell(cell, 1);
    EXPECT_FALSE(WriteThumbFile(row, cell, ThumbRecFile(row), row));
    EXPECT_FALSE(ThumbFilePresent(ThumbRecFile(row), row));
    EXPECT_EQ(test::ReadFileText(Home() + "data"), "not a folder");
}

TEST_F(ThumbFolder, PilReadsTheBitmapPartOfACacheFileAsTheCell) {
    if (!QFile::exists("/usr/bin/python3")) GTEST_SKIP() << "python3 with PIL is needed";
    PrepareThumbFolder(nullptr);
    const FileRec row = Listed("beach.jpg");
    const TThumbFile file = ThumbRecFile(row);
    TBitmap cell;
    test::FillThumbCell(cell, 11);
    ASSERT_TRUE(WriteThumbFile(row, cell, file, row));
    const std::string ppm = Home() + "cell.ppm";
    QProcess pil;
    pil.start("/usr/bin/python3",
              {"-c", "import io, sys; from PIL import Image; "
                     "data = open(sys.argv[1], 'rb').read()[:63558]; im = Image.open(io.BytesIO(data)); "
                     "assert im.size == (168, 126) and im.mode == 'RGB', (im.size, im.mode); im.save(sys.argv[2])",
               QString::fromStdString(file.Path), QString::fromStdString(ppm)});
    ASSERT_TRUE(pil.waitForFinished(30000));
    ASSERT_EQ(pil.exitCode(), 0) << pil.readAllStandardError().toStdString();
    const TPixelBuffer& px = *cell.Handle();
    EXPECT_TRUE(test::SamePixels(test::ReadPpm(ppm), 168, 126, [&](int x, int y) { return px.GetColor(x, y); }));
}

TEST_F(ThumbFolder, OnlyWholeFilesOfTheRightPictureArePresent) {
    PrepareThumbFolder(nullptr);
    TBitmap cell;
    test::FillThumbCell(cell, 3);
    const FileRec a = Listed("a.jpg"), b = Listed("b.jpg", 2000), c = Listed("c.jpg", 3000);
    FileRec trailer;
    trailer.SetState(fsPresent);
    trailer.SetWidth(1024);
    trailer.SetHeight(768);
    trailer.SetBitsPerPixel(24);

    // A good file, and the row's CacheName pointing at it.
    const TThumbFile fileA = ThumbRecFile(a);
    ASSERT_EQ(fileA.Kind, TThumbFileKind::PerFile);
    ASSERT_TRUE(WriteThumbFile(trailer, cell, fileA, a));
    FileRec read;
    EXPECT_TRUE(ThumbFilePresent(fileA, a, &read));
    EXPECT_EQ(read.Width(), 1024);
    EXPECT_EQ(read.Height(), 768);
    EXPECT_EQ(read.Name(), "a.jpg");
    FileRec stored = a;
    stored.SetCacheName(ExtractFileName(fileA.Path));
    EXPECT_EQ(ThumbRecFile(stored).Path, fileA.Path);

    // Files in the way of b and c: each counts as missing.
    const std::string good = test::ReadFileText(fileA.Path);
    const TThumbFile fileB = ThumbRecFile(b);
    struct Case {
        const char* what;
        std::function<void()> make;
    } cases[] = {
        {"256 bytes", [&] { test::WriteFileText(fileB.Path, good.substr(0, 256)); }},
        {"cut at 63000 bytes", [&] { test::WriteFileText(fileB.Path, good.substr(0, 63000)); }},
        {"one byte too long", [&] { test::WriteFileText(fileB.Path, good + "x"); }},
        {"no BM", [&] { test::WriteFileText(fileB.Path, "MB" + good.substr(2)); }},
        {"a folder", [&] { fs::create_directories(fileB.Path); }},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(fileB.Path.c_str(), 0600), 0); }},
        {"a's thumbnail", [&] { fs::copy_file(fileA.Path, fileB.Path); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        fs::remove_all(fileB.Path);
        k.make();
        EXPECT_FALSE(ThumbFilePresent(fileB, b));
        EXPECT_FALSE(ThumbFilePresent(ThumbRecFile(b), b));
    }
    // A new write replaces a wrong file; a folder in the way is never written nor deleted.
    fs::remove_all(fileB.Path);
    fs::create_directories(fileB.Path);
    EXPECT_FALSE(WriteThumbFile(trailer, cell, fileB, b));
    EXPECT_FALSE(DeleteThumbFile(fileB.Path));
    EXPECT_TRUE(fs::is_directory(fileB.Path));
    fs::remove_all(fileB.Path);
    fs::copy_file(fileA.Path, fileB.Path);
    ASSERT_TRUE(WriteThumbFile(trailer, cell, fileB, b));
    EXPECT_TRUE(ThumbFilePresent(fileB, b));
    EXPECT_TRUE(DeleteThumbFile(fileB.Path));
    EXPECT_FALSE(fs::exists(fileB.Path));
    EXPECT_TRUE(DeleteThumbFile(fileB.Path));

    // A trailer naming no picture (the album's, or a file from before names were
    // stored) is accepted as it stands.
    const TThumbFile fileC = ThumbRecFile(c);
    ASSERT_TRUE(SaveThumbFile(trailer.Bytes.data(), cell, fileC.Path));
    EXPECT_TRUE(ThumbFilePresent(fileC, c));

    // The shared root file written for a.txt serves b.txt: it names no picture.
    const FileRec textA = Listed("a.txt"), textB = Listed("b.txt", 5);
    const TThumbFile sharedA = ThumbRecFile(textA);
    EXPECT_EQ(sharedA.Kind, TThumbFileKind::Shared);
    EXPECT_EQ(sharedA.Path, xplr8900::ThumbRoot + "TXT");
    FileRec copyOfRow = textA;  // the main thread writes a copy of the row
    copyOfRow.SetWidth(32);
    ASSERT_TRUE(WriteThumbFile(copyOfRow, cell, sharedA, textA));
    EXPECT_TRUE(ThumbFilePresent(ThumbRecFile(textB), textB, &read));
    EXPECT_EQ(read.Name(), "");
    EXPECT_EQ(read.SizeLow(), 0u);
    EXPECT_EQ(read.Width(), 32);

    // Stock files are the bitmap image alone.
    const TThumbFile stock = ThumbStockFile(-4);
    ASSERT_TRUE(WriteThumbFile(FileRec(), cell, stock, FileRec()));
    EXPECT_EQ(fs::file_size(stock.Path), 63558u);
    EXPECT_TRUE(ThumbFilePresent(stock, FileRec()));
    ASSERT_TRUE(SaveThumbFile(trailer.Bytes.data(), cell, stock.Path));
    EXPECT_FALSE(ThumbFilePresent(stock, FileRec()));
}

TEST_F(ThumbFolder, NothingIsPresentBeforeTheOffsetIsMeasured) {
    PrepareThumbFolder(nullptr);
    const FileRec row = Listed("a.jpg");
    TBitmap cell;
    test::FillThumbCell(cell, 1);
    ASSERT_TRUE(WriteThumbFile(row, cell, ThumbRecFile(row), row));
    ThumbRecOffset = 0;
    EXPECT_FALSE(ThumbFilePresent(ThumbRecFile(row), row));
}

// An injected write failure: the file size limit stops the write part-way
// (EFBIG after the first 30,000 bytes).
TEST_F(ThumbFolder, AWriteThatFailsHalfWayLeavesTheOldFile) {
    PrepareThumbFolder(nullptr);
    const FileRec row = Listed("a.jpg");
    const TThumbFile file = ThumbRecFile(row);
    TBitmap oldCell, newCell;
    test::FillThumbCell(oldCell, 1);
    test::FillThumbCell(newCell, 2);
    ASSERT_TRUE(WriteThumbFile(row, oldCell, file, row));
    const std::string before = test::ReadFileText(file.Path);

    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 30000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteThumbFile(row, newCell, file, row);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(test::ReadFileText(file.Path), before);
    EXPECT_FALSE(fs::exists(file.Path + ".lumvor-tmp"));
    EXPECT_TRUE(ThumbFilePresent(file, row));
}

}  // namespace
}  // namespace lumvor
