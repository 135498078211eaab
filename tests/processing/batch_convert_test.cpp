// Batch conversion's file work and its encode thread, without windows: output
// names in real folders, the conversions' formats, the JPEG settings of a run,
// the thread priority, exclusive writes, and the encode with its comment read
// back by rdjpgcom and compared with wrjpgcom's insertion.
#include "processing/files/BatchConvert.h"
#include "processing/files/CoreEncode.h"

#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "processing/files/SavePicture.h"
#include "support/case_names.h"
#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::test;

namespace {

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

void Touch(const std::string& path) { std::ofstream(path) << "x"; }

std::vector<uint8_t> Bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> Bytes(TMemoryStream& stream) {
    return {stream.Memory(), stream.Memory() + stream.Size()};
}

void Save(TMemoryStream& stream, const std::string& path) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(stream.Memory()), std::streamsize(stream.Size()));
}

// A 24-bit picture with a smooth pattern and some detail.
std::shared_ptr<TPixelBuffer> Pattern(int width = 64, int height = 48) {
    auto p = std::make_shared<TPixelBuffer>(width, height, 24);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = p->ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = uint8_t(x * 4);
            row[3 * x + 1] = uint8_t(y * 5);
            row[3 * x + 2] = uint8_t((x * y) % 7 == 0 ? 255 : x ^ y);
        }
    }
    return p;
}

TEncodeJob Job(std::shared_ptr<TPixelBuffer> picture = Pattern()) {
    TEncodeJob job;
    job.Picture = std::move(picture);
    SetBatchJpegDefaults(job.Settings);
    return job;
}

TEncodeResult& Encode(const TEncodeJob& job, TEncodeResult& result) {
    const std::atomic<bool> stop{false};
    EncodeJob(job, stop, result);
    return result;
}

// The markers of a JPEG file up to its scan, as "D8 E0 FE DB ...".
std::string MarkerOrder(const std::vector<uint8_t>& jpeg) {
    std::string order = "D8";
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        char text[4];
        std::snprintf(text, sizeof text, " %02X", jpeg[at + 1]);
        order += text;
        if (jpeg[at + 1] == 0xDA)
            break;
        at += 2 + (size_t(jpeg[at + 2]) << 8 | jpeg[at + 3]);
    }
    return order;
}

// The first COM segment of a JPEG file: where it starts and its bytes.
struct TSegment {
    size_t at = 0;
    std::vector<uint8_t> bytes;
};

TSegment CommentSegment(const std::vector<uint8_t>& jpeg) {
    for (size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;) {
        const size_t length = size_t(jpeg[at + 2]) << 8 | jpeg[at + 3];
        if (jpeg[at + 1] == 0xFE && at + 2 + length <= jpeg.size())
            return {at, std::vector<uint8_t>(jpeg.begin() + long(at), jpeg.begin() + long(at + 2 + length))};
        at += 2 + length;
    }
    return {};
}

std::vector<uint8_t> WithoutSegment(std::vector<uint8_t> jpeg, const TSegment& segment) {
    jpeg.erase(jpeg.begin() + long(segment.at), jpeg.begin() + long(segment.at + segment.bytes.size()));
    return jpeg;
}

class BatchConvertTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
    }
    void TearDown() override {
        EncodeTestHook = nullptr;
        batchconvert::FreeSpaceHook = nullptr;
    }
    QTemporaryDir dir;
    std::string root;
};

}  // namespace

// ---- Names and formats

struct NameCase {
    const char* name;
    std::vector<std::string> present;  // files already in the output folder
    std::string source;
    std::string ext;
    std::string expected;
};

class BatchOutputNameTest : public BatchConvertTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(BatchOutputNameTest, TakesTheFirstFreeName) {
    const NameCase& c = GetParam();
    for (const std::string& file : c.present)
        Touch(root + file);
    EXPECT_EQ(BatchOutputName("/pictures/" + c.source, c.ext, root), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchOutputNameTest,
    ::testing::Values(NameCase{"FreeName", {}, "photo.jpg", ".jpg", "photo.jpg"},
                      NameCase{"NextAfterTakenNumbers", {"photo.jpg", "photo-1.jpg"}, "photo.jpg", ".jpg", "photo-2.jpg"},
                      NameCase{"GapIsFilled", {"photo.jpg", "photo-2.jpg"}, "photo.jpg", ".jpg", "photo-1.jpg"},
                      NameCase{"LongExtensionReplaced", {}, "photo.jpeg", ".jpg", "photo.jpg"},
                      NameCase{"GifToBmp", {}, "Rose.GIF", ".bmp", "Rose.bmp"},
                      NameCase{"CaseKept", {"holiday.png"}, "Holiday.TIF", ".png", "Holiday.png"},
                      NameCase{"DottedStem", {}, "a.b.c.tif", ".tga", "a.b.c.tga"},
                      NameCase{"NoExtension", {}, "scan", ".pcx", "scan.pcx"}),
    CaseNames<&NameCase::name>);

TEST_F(BatchConvertTest, AllNumberedNamesTakenGivesNoNameAndALinkCountsAsTaken) {
    Touch(root + "photo.jpg");
    for (int i = 1; i <= 998; ++i)
        Touch(root + "photo-" + std::to_string(i) + ".jpg");
    ASSERT_EQ(::symlink("/nonexistent/target.jpg", (root + "photo-999.jpg").c_str()), 0);
    EXPECT_EQ(BatchOutputName("/p/photo.jpg", ".jpg", root), "");
    QFile::remove(QString::fromStdString(root + "photo-500.jpg"));
    EXPECT_EQ(BatchOutputName("/p/photo.jpg", ".jpg", root), "photo-500.jpg");
}

TEST_F(BatchConvertTest, TagsGiveTheirFormatsAndSourcesAreKnownPictureKinds) {
    const std::vector<std::string> extensions = {".jpg", ".bmp", ".png", ".tif", ".tga", ".pcx"};
    for (int tag = 0; tag < 6; ++tag)
        EXPECT_EQ(BatchExtension(BatchFormatOfTag(tag)), extensions[size_t(tag)]) << tag;
    EXPECT_EQ(BatchFormatOfTag(6), TBatchFormat::Bmp);
    EXPECT_EQ(BatchFormatOfTag(-1), TBatchFormat::Bmp);
    for (const char* name : {"a.jpg", "a.JPEG", "a.gif", "a.Tif", "a.dib", "a.pcd", "a.psd"})
        EXPECT_TRUE(IsBatchSource(name)) << name;
    for (const char* name : {"a.txt", "a", "a.avi", "a.bip"})
        EXPECT_FALSE(IsBatchSource(name)) << name;
}

TEST_F(BatchConvertTest, PriorityFollowsTheSettingAndAnythingElseIsLowest) {
    const std::vector<QThread::Priority> expected = {QThread::LowestPriority, QThread::LowPriority,
                                                     QThread::NormalPriority, QThread::HighPriority,
                                                     QThread::HighestPriority};
    for (int setting = 0; setting < 5; ++setting)
        EXPECT_EQ(EncodePriority(setting), expected[size_t(setting)]) << setting;
    for (int setting : {5, 7, -1, 1000})
        EXPECT_EQ(EncodePriority(setting), QThread::LowestPriority) << setting;
}

TEST_F(BatchConvertTest, SpaceIsRefusedOnlyWhenKnownAndTooSmallBeyondTwoGigabytes) {
    EXPECT_FALSE(TooLittleSpace(0, 100));
    EXPECT_TRUE(TooLittleSpace(99, 100));
    EXPECT_FALSE(TooLittleSpace(100, 100));
    // 64-bit sizes: more than 2 GB free is still too little for a larger file.
    EXPECT_TRUE(TooLittleSpace(int64_t(3) << 30, int64_t(4) << 30));
    EXPECT_FALSE(TooLittleSpace(int64_t(5) << 30, int64_t(4) << 30));
}

// ---- JPEG settings of a run

TEST_F(BatchConvertTest, RunSettingsComeFromTheStoredRecordElseTheBatchDefaults) {
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(SettingsKey, true));
    registry.DeleteValue(JpegRecordName);

    TJpegWizardSettings settings;
    settings.SetQuality(-1);
    LoadBatchJpegSettings(settings);
    const std::vector<uint8_t> defaults = {0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 48, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(settings.Bytes.begin(), settings.Bytes.end()), defaults);

    TJpegWizardSettings stored;
    stored.SetByte(0, 1);
    stored.SetInt(TJpegWizardSettings::SmoothingKindOffset, 2);
    stored.SetInt(TJpegWizardSettings::SmoothingOffset, 30);
    stored.SetQuality(70);
    registry.WriteBinaryData(JpegRecordName, stored.Bytes.data(), int(stored.Bytes.size()));
    settings.SetQuality(-1);
    LoadBatchJpegSettings(settings);
    EXPECT_EQ(settings.Bytes, stored.Bytes);

    // Settings already loaded in this run stay as they are.
    settings.SetQuality(12);
    LoadBatchJpegSettings(settings);
    EXPECT_EQ(settings.Quality(), 12);
    registry.DeleteValue(JpegRecordName);
}

// ---- Writing

TEST_F(BatchConvertTest, NewFileNeverReplacesAndLeavesNoScratchBehind) {
    const std::string taken = root + "taken.png";
    std::ofstream(taken) << "old";
    TMemoryStream stream;
    stream.WriteBuffer("new", 3);
    EXPECT_THROW(WriteBatchFile(taken, stream), EFCreateError);
    EXPECT_EQ(ReadFileText(taken), "old");
    ASSERT_EQ(::symlink((root + "elsewhere.png").c_str(), (root + "link.png").c_str()), 0);
    EXPECT_THROW(WriteBatchFile(root + "link.png", stream), EFCreateError);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(root + "elsewhere.png")));

    WriteBatchFile(root + "fresh.png", stream);
    EXPECT_EQ(ReadFileText(root + "fresh.png"), "new");
    EXPECT_EQ(QDir(QString::fromStdString(root)).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}

// ---- The encode

struct CommentCase {
    const char* name;
    std::string text;      // the composed comment text
    std::string written;   // what the COM segment must hold
};

class EncodeCommentTest : public BatchConvertTest, public ::testing::WithParamInterface<CommentCase> {};

TEST_P(EncodeCommentTest, CommentGoesRightAfterTheFirstSegmentAsWrjpgcomPlacesIt) {
    const CommentCase& c = GetParam();
    TEncodeJob job = Job();
    TEncodeResult plain;
    ASSERT_EQ(Encode(job, plain).Status, esOk);
    job.WithComment = true;
    job.Comment = c.text;
    TEncodeResult commented;
    ASSERT_EQ(Encode(job, commented).Status, esOk);

    Save(plain.Stream, root + "plain.jpg");
    Save(commented.Stream, root + "ours.jpg");
    std::ofstream(root + "comment.txt", std::ios::binary) << c.written;
    ASSERT_EQ(std::system(("wrjpgcom -cfile " + Quoted(root + "comment.txt") + " " + Quoted(root + "plain.jpg") +
                           " > " + Quoted(root + "theirs.jpg"))
                              .c_str()),
              0);
    // wrjpgcom puts the segment before the frame header; ours follows the
    // first segment. Apart from the place, both files hold the same bytes.
    const std::vector<uint8_t> ours = Bytes(root + "ours.jpg"), theirs = Bytes(root + "theirs.jpg");
    EXPECT_EQ(MarkerOrder(ours).substr(0, 9), "D8 E0 FE ");
    EXPECT_EQ(MarkerOrder(theirs).find(" FE"), MarkerOrder(theirs).find(" C0") - 3);
    const TSegment ourComment = CommentSegment(ours), theirComment = CommentSegment(theirs);
    const size_t first = size_t(ours[4]) << 8 | ours[5];
    EXPECT_EQ(ourComment.at, first + 4);
    EXPECT_EQ(ourComment.bytes, theirComment.bytes);
    EXPECT_EQ(WithoutSegment(ours, ourComment), WithoutSegment(theirs, theirComment));
    EXPECT_EQ(WithoutSegment(ours, ourComment), Bytes(root + "plain.jpg"));
    EXPECT_EQ(CommandOutput("rdjpgcom -raw " + Quoted(root + "ours.jpg")), c.written + "\n");
}

const std::string Address = SavePicture::MakerWebAddress;
const std::string ThreeLines = "GAMMA=120,100,80\r\nNEGATIVE\r\nSHARPEN=3\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, EncodeCommentTest,
    ::testing::Values(
        CommentCase{"ThreeLineScript", ComposeJpegComment(ThreeLines),
                    "Encoder: Lumvor 8.9 (" + Address + ")\n\nLab Commands:\n\n" + ThreeLines},
        CommentCase{"ExactlyTheLimit", std::string(32000, 'c') + std::string(2, '\0'), std::string(32000, 'c')},
        CommentCase{"OneOverTheLimit", std::string(32001, 'c'), "Encoded with Lumvor - " + Address}),
    CaseNames<&CommentCase::name>);

TEST_F(BatchConvertTest, EmptyCommentGivesAnEmptySegment) {
    TEncodeJob job = Job();
    job.WithComment = true;
    TEncodeResult result;
    ASSERT_EQ(Encode(job, result).Status, esOk);
    const std::vector<uint8_t> bytes = Bytes(result.Stream);
    const size_t first = size_t(bytes[4]) << 8 | bytes[5];
    ASSERT_GT(bytes.size(), first + 8);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + long(first) + 4, bytes.begin() + long(first) + 8),
              (std::vector<uint8_t>{0xFF, 0xFE, 0x00, 0x02}));
}

TEST_F(BatchConvertTest, EncoderSmoothingIsLimitedAndOnlyForTheStandardKind) {
    auto encode = [](int kind, int strength) {
        TEncodeJob job = Job();
        job.Settings.SetInt(TJpegWizardSettings::SmoothingKindOffset, kind);
        job.Settings.SetInt(TJpegWizardSettings::SmoothingOffset, strength);
        TEncodeResult result;
        Encode(job, result);
        EXPECT_EQ(result.Status, esOk);
        return Bytes(result.Stream);
    };
    const std::vector<uint8_t> unsmoothed = encode(0, 0);
    EXPECT_EQ(encode(0, 255), encode(0, 100));
    EXPECT_NE(encode(0, 100), unsmoothed);
    // The other kinds were applied to the picture before: the encoder does not smooth.
    EXPECT_EQ(encode(1, 200), unsmoothed);
    EXPECT_EQ(encode(2, 200), unsmoothed);
}

TEST_F(BatchConvertTest, EncodeUsesTheQualitysLowByteProgressiveAndSubsampleFlags) {
    TEncodeJob job = Job();
    job.Settings.SetQuality(256 + 48);
    job.Settings.SetByte(0, 1);
    job.Settings.SetByte(1, 1);
    TEncodeResult result;
    ASSERT_EQ(Encode(job, result).Status, esOk);
    Save(result.Stream, root + "out.jpg");
    EXPECT_EQ(CommandOutput("identify -format '%[interlace] %[jpeg:sampling-factor]' " + Quoted(root + "out.jpg")),
              "JPEG 2x2,1x1,1x1");
    job.Settings.SetQuality(48);
    TEncodeResult same;
    ASSERT_EQ(Encode(job, same).Status, esOk);
    EXPECT_EQ(Bytes(result.Stream), Bytes(same.Stream));
}

TEST_F(BatchConvertTest, FailuresBecomeTheStatusWithAReason) {
    TEncodeResult result;
    EXPECT_EQ(Encode(Job(nullptr), result).Status, esNoPicture);
    // libjpeg refuses pictures wider than 65,500 pixels.
    EXPECT_EQ(Encode(Job(std::make_shared<TPixelBuffer>(65501, 1, 24)), result).Status, esEncodeFailed);
    EXPECT_NE(result.Reason.find("the encoder failed"), std::string::npos) << result.Reason;
    EXPECT_EQ(result.Stream.Size(), 0);
}

// ---- The thread

TEST_F(BatchConvertTest, ThreadRunsAtTheAskedPriorityAndHandsBackItsResult) {
    std::atomic<int> seen{-1};
    EncodeTestHook = [&seen] { seen = int(QThread::currentThread()->priority()); };
    TCoreEncode thread;
    thread.SetJob(Job());
    thread.start(EncodePriority(7));
    ASSERT_TRUE(thread.wait(QDeadlineTimer(20000)));
    EXPECT_EQ(seen, int(QThread::LowestPriority));
    EXPECT_EQ(thread.Result().Status, esOk);
    EXPECT_GT(thread.Result().SpaceNeeded(), 32768);
}

TEST_F(BatchConvertTest, FreeingTheThreadMidRunStopsAndJoinsIt) {
    std::atomic<bool> started{false};
    EncodeTestHook = [&started] { started = true; };
    auto thread = std::make_unique<TCoreEncode>();
    thread->SetJob(Job(Pattern(3000, 2000)));
    thread->start();
    QElapsedTimer clock;
    clock.start();
    while (!started && clock.elapsed() < 10000)
        QThread::msleep(1);
    ASSERT_TRUE(started);
    thread.reset();  // sets the stop flag and waits: the sanitizers watch the rest
    SUCCEED();
}
