// Saving the picture: every offered type read back by independent tools, the
// JPEG comment, the BMP normalisation, and the save command with its dialog,
// questions and failures.
#include "save_form_fixture.h"

#include "processing/files/SavePicture.h"
#include "support/case_names.h"
#include "support/file_helpers.h"
#include "support/permissions.h"
#include "support/picture_compare.h"
#include "platform/Jpeg.h"
#include "platform/PackedDib.h"
#include "platform/SysUtils.h"
#include "ui/SaveDialogEx.h"
#include "ui/voMsgBox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// A colour-mapped Targa file with 24-bit map entries, read by hand with either
// row order as its origin bit says (ImageMagick 6 turns bottom-up files upside
// down).
RgbRaster DecodedTarga(const std::string& file) {
    const std::string b = ReadFileText(file);
    RgbRaster r;
    if (b.size() < 18 || b[1] != 1 || b[2] != 1 || uint8_t(b[7]) != 24)
        return r;
    const auto u16 = [&](size_t at) { return int(uint8_t(b[at])) | int(uint8_t(b[at + 1])) << 8; };
    const int count = u16(5);
    r.Width = u16(12);
    r.Height = u16(14);
    const bool topDown = (b[17] & 0x20) != 0;
    const size_t map = 18 + size_t(uint8_t(b[0]));
    const size_t pixels = map + size_t(count) * 3;
    if (b.size() < pixels + size_t(r.Width) * size_t(r.Height))
        return {};
    for (int y = 0; y < r.Height; ++y)
        for (int x = 0; x < r.Width; ++x) {
            const size_t i = map + 3 * size_t(uint8_t(b[pixels + size_t(topDown ? y : r.Height - 1 - y) * size_t(r.Width) + size_t(x)]));
            r.Pixels.push_back(uint32_t(uint8_t(b[i + 2])) << 16 | uint32_t(uint8_t(b[i + 1])) << 8 | uint8_t(b[i]));
        }
    return r;
}

// The picture as an independent tool decodes it.
RgbRaster Decoded(const std::string& file, const std::string& dir) {
    if (ExtractFileExt(file) == ".tga")
        return DecodedTarga(file);
    const std::string ppm = dir + "/decoded.ppm";
    CommandOutput("/usr/bin/convert " + Quote(file) + "[0] -depth 8 ppm:" + Quote(ppm) + " 2>/dev/null");
    return ReadPpm(ppm);
}

struct TypeCase {
    int index;
    int bits;             // depth of the picture saved
    bool progressive;
    std::string command;  // a tool's report of the file
    std::string expected; // found in that report
};

// "Png_24bit_Progressive": the type, the picture's depth, and whether it is
// saved progressive (interlaced, for PNG).
std::string TypeCaseName(const TypeCase& c) {
    static const char* const kTypes[SavePicture::SaveTypeCount + 1] = {
        "", "Bmp", "Pcx", "Png", "JpegGray", "JpegColor", "Tga", "Tif", "TifZLib", "TifAdobe", "TifFax3", "TifFax4",
        "TifPackbits"};
    return std::string(kTypes[c.index]) + "_" + DepthName(c.bits) + (c.progressive ? "_Progressive" : "");
}

class SaveTypeTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(SaveTypeTest, ToolsReadTheFileWithItsCompressionAndDepth) {
    const TypeCase& c = GetParam();
    QTemporaryDir dir;
    const std::string file = dir.path().toStdString() + "/out." + SaveDefaultExt(c.index);
    TBitmap picture;
    MakePicture(picture, c.bits);
    TSaveOptions options;
    options.FilterIndex = c.index;
    options.Quality = 90;
    options.Progressive = c.progressive;
    TMemoryStream out;
    EncodePicture(picture, options, out);
    out.SaveToFile(file);

    const std::string report = CommandOutput(c.command + " " + Quote(file) + " 2>&1");
    EXPECT_NE(report.find(c.expected), std::string::npos) << report;
    const RgbRaster seen = Decoded(file, dir.path().toStdString());
    const bool jpeg = c.index == SavePicture::stJpegGray || c.index == SavePicture::stJpegColor;
    if (c.index == SavePicture::stJpegGray) {
        // Grey: each pixel near the luminance of the colour.
        EXPECT_TRUE(SamePixels(seen, picture.Width(), picture.Height(), [&](int x, int y) {
            const uint32_t v = ColorAt(picture, x, y);
            const uint32_t l = (((v >> 16) & 0xFF) * 299 + ((v >> 8) & 0xFF) * 587 + (v & 0xFF) * 114) / 1000;
            return l << 16 | l << 8 | l;
        }, 40));
    } else if (jpeg) {
        // Lossy: the channels differ little on average.
        ASSERT_EQ(seen.Width, picture.Width());
        ASSERT_EQ(seen.Height, picture.Height());
        int64_t error = 0;
        for (int y = 0; y < seen.Height; ++y)
            for (int x = 0; x < seen.Width; ++x)
                for (int shift = 0; shift < 24; shift += 8)
                    error += std::abs(int((seen.At(x, y) >> shift) & 0xFF) - int((ColorAt(picture, x, y) >> shift) & 0xFF));
        EXPECT_LT(error / (3 * seen.Width * seen.Height), 8);
    } else {
        EXPECT_TRUE(SamePixels(seen, picture.Width(), picture.Height(),
                               [&](int x, int y) { return ColorAt(picture, x, y); }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Types, SaveTypeTest,
    ::testing::Values(TypeCase{1, 8, false, "identify -format '%m %r'", "BMP3 PseudoClass"},
                      TypeCase{1, 24, false, "identify -format '%m %r'", "BMP3 DirectClass"},
                      TypeCase{2, 8, false, "identify -format '%m %r'", "PCX PseudoClass"},
                      TypeCase{3, 24, true, "pngcheck -v", "24-bit RGB, interlaced"},
                      TypeCase{3, 24, false, "pngcheck -v", "24-bit RGB, non-interlaced"},
                      TypeCase{4, 24, false, "rdjpgcom -verbose", "1 color components"},
                      TypeCase{5, 24, true, "rdjpgcom -verbose", "JPEG process: Progressive"},
                      TypeCase{5, 24, false, "rdjpgcom -verbose", "JPEG process: Baseline"},
                      TypeCase{6, 4, false, "identify -format '%m %r %z'", "TGA PseudoClass"},
                      TypeCase{6, 8, false, "identify -format '%m %r %z'", "TGA PseudoClass"},
                      TypeCase{7, 24, false, "tiffinfo", "Compression Scheme: None"},
                      TypeCase{8, 24, false, "tiffinfo", "Compression Scheme: Deflate"},
                      TypeCase{9, 24, false, "tiffinfo", "Compression Scheme: AdobeDeflate"},
                      TypeCase{10, 1, false, "tiffinfo", "Compression Scheme: CCITT Group 3"},
                      TypeCase{11, 1, false, "tiffinfo", "Compression Scheme: CCITT Group 4"},
                      TypeCase{12, 1, false, "tiffinfo", "Compression Scheme: PackBits"},
                      TypeCase{7, 4, false, "tiffinfo", "Bits/Sample: 4"}),
    CaseNames<&TypeCaseName>);

TEST(SavePicture, FilterExtensionsAndForcedExtension) {
    EXPECT_EQ(SaveDialogFilter(24),
              "BMP (Windows Bitmap)|*.bmp|PCX (Zsoft Paintbrush)|*.pcx|PNG (Portable Network Graphics)|*.png|"
              "JPG (JPEG 8-bit gray)|*.jpg|JPG (JPEG 24-bit color)|*.jpg|TGA (Uncompressed Targa)|*.tga|"
              "TIF (Uncompressed TIFF)|*.tif|TIF (Deflated TIFF)|*.tif|TIF (Deflated Adobe TIFF)|*.tif");
    EXPECT_EQ(SaveDialogFilter(1), SaveDialogFilter(8) +
                                       "|TIF (Fax-Group3 TIFF)|*.tif|TIF (Fax-Group4 TIFF)|*.tif|TIF (Packbits TIFF)|*.tif");
    const std::pair<int, const char*> exts[] = {{0, "tif"}, {1, "bmp"}, {2, "pcx"}, {3, "png"}, {4, "jpg"},
                                                {5, "jpg"}, {6, "tga"}, {7, "tif"}, {12, "tif"}, {13, "tif"}};
    for (const auto& [index, ext] : exts)
        EXPECT_EQ(SaveDefaultExt(index), ext) << index;
    const std::tuple<const char*, const char*, const char*> names[] = {
        {"/a/pic.png", "bmp", "/a/pic.bmp"}, {"/a/pic", "bmp", "/a/pic.bmp"}, {"/a/pic.BMP", "bmp", "/a/pic.BMP"},
        {"/a.b/pic", "jpg", "/a.b/pic.jpg"}, {"/a/pic.tar.gz", "tif", "/a/pic.tar.tif"}};
    for (const auto& [name, ext, expected] : names)
        EXPECT_EQ(ForceSaveExtension(name, ext), expected) << name;
}

TEST(SavePicture, CommentGoesRightAfterTheFirstSegment) {
    TBitmap picture;
    MakePicture(picture, 24);
    TJPEGImage jpeg;
    jpeg.Assign(picture);
    jpeg.Compress();
    TMemoryStream plain;
    jpeg.SaveToStream(plain);
    const std::string comment = JpegCommentToWrite(ComposeJpegComment("ONE\nTWO\nTHREE"));
    EXPECT_EQ(comment, "Encoder: Lumvor 8.9 (www.quorvane.com/lumvor)\n\nLab Commands:\n\nONE\nTWO\nTHREE");
    TMemoryStream with;
    InsertJpegComment(plain, comment, with);
    const int64_t n = int64_t(plain.Memory()[4]) << 8 | plain.Memory()[5];
    ASSERT_EQ(with.Size(), plain.Size() + int64_t(comment.size()) + 4);
    const uint8_t* b = with.Memory();
    EXPECT_EQ(std::memcmp(b, plain.Memory(), size_t(n + 4)), 0);
    EXPECT_EQ(b[n + 4], 0xFF);
    EXPECT_EQ(b[n + 5], 0xFE);
    EXPECT_EQ(size_t(b[n + 6]) << 8 | b[n + 7], comment.size() + 2);
    EXPECT_EQ(std::memcmp(b + n + 8 + comment.size(), plain.Memory() + n + 4, size_t(plain.Size() - n - 4)), 0);

    // Above 32,000 characters the short note is written instead.
    EXPECT_EQ(JpegCommentToWrite(ComposeJpegComment(std::string(32000, 'x'))),
              "Encoded with Lumvor - www.quorvane.com/lumvor");
    // A stream without a complete first segment is refused.
    TMemoryStream broken;
    broken.WriteBuffer(plain.Memory(), 5);
    EXPECT_THROW(InsertJpegComment(broken, comment, with), EInvalidGraphic);
}

TEST(SavePicture, BitmapStreamPixelsAreMovedToTheirOffset) {
    TBitmap picture;
    MakePicture(picture, 8);
    TMemoryStream good;
    picture.SaveToStream(good);
    const std::vector<uint8_t> original(good.Memory(), good.Memory() + good.Size());
    EXPECT_FALSE(FixBitmapStream(good));  // already in place: unchanged
    EXPECT_EQ(std::vector<uint8_t>(good.Memory(), good.Memory() + good.Size()), original);

    // Sixteen stray bytes between the colour table and the pixels, and colour counts set.
    const uint32_t offBits = original[10] | original[11] << 8;
    std::vector<uint8_t> gapped(original.begin(), original.begin() + offBits);
    gapped.insert(gapped.end(), 16, 0xEE);
    gapped.insert(gapped.end(), original.begin() + offBits, original.end());
    gapped[14 + 32] = 7;
    gapped[14 + 36] = 5;
    TMemoryStream fixed;
    fixed.WriteBuffer(gapped.data(), int64_t(gapped.size()));
    EXPECT_TRUE(FixBitmapStream(fixed));
    EXPECT_EQ(std::vector<uint8_t>(fixed.Memory(), fixed.Memory() + fixed.Size()), original);

    // Too short or inconsistent images are left alone.
    TMemoryStream tiny;
    tiny.WriteBuffer(original.data(), 40);
    EXPECT_FALSE(FixBitmapStream(tiny));
    EXPECT_EQ(tiny.Size(), 40);
}

// ---- The save command

// Answers the next save dialog: the type by filter index, and the typed name.
void QueueSaveDialog(int index, const std::string& typed, bool* shown = nullptr) {
    WebForm->SaveDialog->SetFilterIndex(index);
    QueueModalAction([typed, shown](QDialog& d) {
        if (shown)
            *shown = true;
        d.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(typed));
        d.accept();
    });
}

class SaveCommandTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        folder = dir.path().toStdString();
    }
    // Runs the save command; the dialog gets the type and the typed name.
    void SaveAs(int index, const std::string& typed, QObject* sender = nullptr) {
        QueueSaveDialog(index, typed);
        WebForm->mnuSaveClick(sender);
    }
    QTemporaryDir dir;
    std::string folder;
};

TEST_F(SaveCommandTest, ASaveForcesTheExtensionAndNamesThePicture) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    ImageChanged = true;
    SaveAs(SavePicture::stBmp, folder + "/holiday.png");
    const std::string saved = folder + "/holiday.bmp";
    ASSERT_TRUE(FileExists(saved));
    EXPECT_FALSE(FileExists(folder + "/holiday.png"));
    EXPECT_EQ(FileName, saved);
    EXPECT_EQ(SaveDir, folder);
    EXPECT_FALSE(ImageChanged);
    EXPECT_GE(ImageHistoryList.IndexOf(saved), 0);  // bookmarked
    EXPECT_TRUE(SamePixels(Decoded(saved, folder), 37, 23, [&](int x, int y) { return ColorAt(picture, x, y); }));
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(SaveCommandTest, TheOverwriteQuestionAsksAgainOrStops) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    ImageChanged = true;
    const std::string target = folder + "/old.png";
    WriteFileText(target, "old contents");
    // Cancel: nothing written.
    std::vector<Box> boxes;
    QueueSaveDialog(SavePicture::stPng, target);
    Answer(boxes, mrCancel);
    WebForm->mnuSaveClick(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Overwrite existing file");
    EXPECT_EQ(boxes[0].text, "old.png exists.");
    EXPECT_EQ(ReadFileText(target), "old contents");
    EXPECT_TRUE(ImageChanged);

    // No shows the dialog again; a new name there is written.
    bool shownAgain = false;
    QueueSaveDialog(SavePicture::stPng, target);
    Answer(boxes, mrNo);
    QueueSaveDialog(SavePicture::stPng, folder + "/new", &shownAgain);
    WebForm->mnuSaveClick(nullptr);
    EXPECT_TRUE(shownAgain);
    EXPECT_EQ(ReadFileText(target), "old contents");
    EXPECT_TRUE(FileExists(folder + "/new.png"));
    EXPECT_FALSE(ImageChanged);
}

TEST_F(SaveCommandTest, AGreyJpegConvertsThePictureAndCarriesTheLabScript) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    batch_8900::BatchForm = new TBatchForm();
    batch_8900::BatchFormActive = true;
    ViewerControls.SetByte(vc::LabComments, 1);
    batch_8900::BatchForm->Memo1->setPlainText("RESIZE 50\nSHARPEN 2\nSAVE _web");
    QueueSaveDialog(SavePicture::stJpegGray, folder + "/grey");
    QueueModalResult(mrOk);  // the colour reduction method: Optimal
    WebForm->mnuSaveClick(nullptr);
    const std::string saved = folder + "/grey.jpg";
    ASSERT_TRUE(FileExists(saved));
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 8);
    const std::string comment = CommandOutput("rdjpgcom " + Quote(saved));
    EXPECT_EQ(comment, "Encoder: Lumvor 8.9 (www.quorvane.com/lumvor)\n\nLab Commands:\n\n"
                       "RESIZE 50\nSHARPEN 2\nSAVE _web\n");
    EXPECT_NE(CommandOutput("rdjpgcom -verbose " + Quote(saved)).find("1 color components"), std::string::npos);

    // A script beyond 32,000 characters gives the short note.
    batch_8900::BatchForm->Memo1->setPlainText(QString(33000, 'x'));
    SaveAs(SavePicture::stJpegColor, folder + "/long.jpg");
    EXPECT_EQ(CommandOutput("rdjpgcom " + Quote(folder + "/long.jpg")), "Encoded with Lumvor - www.quorvane.com/lumvor\n");
}

TEST_F(SaveCommandTest, TheAdobeDeflateNoteShowsUntilTicked) {
    std::vector<Box> boxes;
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stTifAdobe);
    Answer(boxes, mrOk);
    WebForm->SaveDialogTypeChange(nullptr);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "This TIFF deflate format should be used to export\nimages to Adobe PhotoShop and "
                             "ImageReady.\nMany apps will NOT read this TIFF variant.");
    EXPECT_EQ(WebForm->SaveDialog->HiddenDefaultExt, "tif");
    QueueModalResult(mrOk | CheckBoxTicked);
    WebForm->SaveDialogTypeChange(nullptr);
    WebForm->SaveDialogTypeChange(nullptr);  // no box any more
    EXPECT_EQ(QueuedModalAnswers(), 0);
    EXPECT_EQ(WebForm->mnuSaveVTag, 1);
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stPng);
    WebForm->SaveDialogTypeChange(nullptr);
    EXPECT_EQ(WebForm->SaveDialog->HiddenDefaultExt, "png");
}

// Saves over old.bmp; the write must fail and leave the old file and the mark.
void ExpectFailedSaveKeepsOldFile(const std::string& target, const std::string& oldContents,
                                  std::vector<Box>& boxes) {
    EXPECT_EQ(ReadFileText(target), oldContents);
    EXPECT_TRUE(ImageChanged);
    ASSERT_EQ(boxes.size(), 2u);  // the overwrite question, then the failure
    EXPECT_EQ(boxes[1].text.rfind("Write failure.\nSave Format=1\n" + target, 0), 0u) << boxes[1].text;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
        EXPECT_EQ(entry.path().filename().string().find(".lumvor-"), std::string::npos) << "a scratch file stayed";
    EXPECT_NE(FileName, target);
}

TEST_F(SaveCommandTest, ASaveIntoAReadOnlyFolderLeavesTheOldFile) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    ImageChanged = true;
    const std::string target = folder + "/old.bmp";
    const std::string oldContents(3000, 'o');
    WriteFileText(target, oldContents);
    ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
    {
        NoPermissionOverride guard;
        const std::string probe = folder + "/probe";
        if (FILE* f = std::fopen(probe.c_str(), "w")) {
            std::fclose(f);
            std::remove(probe.c_str());
            ::chmod(folder.c_str(), 0755);
            GTEST_SKIP() << "this user can write into read-only folders";
        }
        std::vector<Box> boxes;
        QueueSaveDialog(SavePicture::stBmp, target);
        Answer(boxes, mrYes);
        Answer(boxes, mrOk);
        WebForm->mnuSaveClick(nullptr);
        ExpectFailedSaveKeepsOldFile(target, oldContents, boxes);
    }
    ::chmod(folder.c_str(), 0755);
}

TEST_F(SaveCommandTest, AWriteThatFailsHalfWayLeavesTheOldFile) {
    TBitmap picture;
    MakePicture(picture, 24, 300, 200);  // 180,000 bytes of pixels
    Show(picture);
    ImageChanged = true;
    const std::string target = folder + "/old.bmp";
    const std::string oldContents(3000, 'o');
    WriteFileText(target, oldContents);

    // Files of this process may not grow beyond 64 KiB: the write stops part-way.
    std::vector<Box> boxes;
    QueueSaveDialog(SavePicture::stBmp, target);
    Answer(boxes, mrYes);
    QueueModalAction([&](QDialog& d) {
        // The failure is reported with the limit still on; lift it before anything else writes.
        rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        Box box{d.windowTitle().toStdString(), "", false};
        if (auto* message = d.findChild<QLabel*>("Message"))
            box.text = message->text().toStdString();
        boxes.push_back(box);
        d.done(mrOk);
    });
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small{65536, old.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    WebForm->mnuSaveClick(nullptr);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    ExpectFailedSaveKeepsOldFile(target, oldContents, boxes);
    EXPECT_NE(boxes[1].text.find("old.bmp is too large for the disk that holds " + folder + "."), std::string::npos)
        << boxes[1].text;
    EXPECT_EQ(boxes[1].text.find(".lumvor-tmp"), std::string::npos);
}

}  // namespace
