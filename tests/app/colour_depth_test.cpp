// The colour-depth commands of the image window: what the reduction items ask
// the imaging library for, what they record, what the picture becomes, the
// promotions, the grey JPEG of the save road and the items themselves.
#include "app/save_form_fixture.h"

#include "processing/files/SavePicture.h"
#include "imaging/vo_DIB.h"
#include "ui/SaveDialogEx.h"
#include "imgman/imgman.h"
#include "processing/script/LabState.h"
#include "support/file_helpers.h"
#include "platform/ComCtrls.h"
#include "ui/usrdlg_w.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <set>
#include <tuple>
#include <string>
#include <utility>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

class ColourDepthTest : public ImageWindowTest {
protected:
    void SetUp() override {
        ImageWindowTest::SetUp();
        ResetLabState();
        LabScript.Clear();
        imgman::ReduceObserver = [this](int colours, int32_t flags) {
            IMGINFO info;
            exportedBits = ImgGetInfoStruct(ImgHandle, &info) ? info.Header.biBitCount : 0;
            calls.push_back({colours, flags});
        };
    }
    void TearDown() override {
        imgman::ReduceObserver = nullptr;
        LabScript.Clear();
        ImageWindowTest::TearDown();
    }
    // Answers the next "Color reduction method" question with method (-1: Cancel).
    void AnswerMethod(int method) {
        QueueModalAction([this, method](QDialog& dialog) {
            auto& d = static_cast<TXScrlDlg&>(dialog);
            question = d.windowTitle().trimmed().toStdString() + "|" + d.LabelMin->text().toStdString() + "|" +
                       d.LabelMax->text().toStdString() + "|" + std::to_string(d.UserTrackBar->Position());
            if (method < 0) {
                d.btnCancel->click();
                return;
            }
            d.UserTrackBar->SetPosition(method);
            d.btnOK->click();
        });
    }
    TMenuItem* ItemNamed(const std::string& name) {
        return static_cast<TMenuItem*>(WebForm->FindChrome(name));
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        for (int i = 0; i < LabScript.Count(); ++i)
            lines.push_back(LabScript[i]);
        return lines;
    }
    // The distinct colours of the shown picture.
    std::set<uint32_t> ShownColours() {
        std::set<uint32_t> colours;
        for (int y = 0; y < Display().Height(); ++y)
            for (int x = 0; x < Display().Width(); ++x)
                colours.insert(ColorAt(Display(), x, y));
        return colours;
    }

    std::vector<std::pair<int, int32_t>> calls;
    int exportedBits = 0;
    std::string question;
};

struct DitherCase {
    const char* item;
    int method;
    int colours;
    int32_t flags;
};

class DitherItemTest : public ColourDepthTest, public ::testing::WithParamInterface<DitherCase> {};

// The dither items ask for the method (Standard .. Optimal, starting at
// Optimal), pass the colour count and flags of their method, record nothing
// and leave a picture of the item's depth with no more colours.
TEST_P(DitherItemTest, PassesTheMethodsFlagsAndRecordsNothing) {
    const DitherCase& c = GetParam();
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    AnswerMethod(c.method);
    TMenuItem* item = ItemNamed(c.item);
    item->trigger();
    EXPECT_EQ(question, "Color reduction method|Standard|Optimal|2");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(c.colours, c.flags));
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(ImageBitCount, item->Tag);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), item->Tag);
    EXPECT_LE(ShownColours().size(), size_t(c.colours));
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(ImgHandle, 0);
}

INSTANTIATE_TEST_SUITE_P(
    ColourDepth, DitherItemTest,
    ::testing::Values(DitherCase{"mnu1bpp1", 0, 2, 1}, DitherCase{"mnu1bpp1", 1, 2, 2}, DitherCase{"mnu1bpp1", 2, 2, 4},
                      DitherCase{"mnu4bpp1", 0, 16, 0x14}, DitherCase{"mnu4bpp1", 1, 16, 0x24},
                      DitherCase{"mnu4bpp1", 2, 16, 0x44}, DitherCase{"mnu8bpp1", 0, 256, 0x14},
                      DitherCase{"mnu8bpp1", 1, 256, 0x24}, DitherCase{"mnu8bpp1", 2, 256, 0x44},
                      DitherCase{"mnu8gray", 0, 256, 0x1C}, DitherCase{"mnu8gray", 2, 256, 0x4C}),
    [](const ::testing::TestParamInfo<DitherCase>& info) {
        return std::string(info.param.item) + "_method" + std::to_string(info.param.method);
    });

// Cancelling the method question changes nothing: no library call, no undo
// copy, the same picture, not marked changed.
TEST_F(ColourDepthTest, CancelledMethodQuestionChangesNothing) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    AnswerMethod(-1);
    ItemNamed("mnu4bpp1")->trigger();
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(ImageChanged);
    EXPECT_FALSE(ImageUndoSaved);
    EXPECT_EQ(ImageBitCount, 24);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(picture, x, y));
}

// "1&6 colors (poster)" on an 8-bit picture records QUANTIZE16 before the
// work, makes the picture 24-bit, reduces it with 0x20 and leaves the fixed
// 16-colour palette; "2&56 colors (poster)" records QUANTIZE256.
TEST_F(ColourDepthTest, PosterItemsRecordAndReduceTheTrueColourPicture) {
    TBitmap picture;
    MakePicture(picture, 8);
    Show(picture);
    ItemNamed("mnu4poster")->trigger();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(16, int32_t(0x20)));
    EXPECT_EQ(exportedBits, 24);
    EXPECT_EQ(Lines(), std::vector<std::string>{"QUANTIZE16"});
    EXPECT_EQ(ImageBitCount, 4);
    const TPaletteRecord* fixed = DefaultPalette(ifColor16);
    const std::vector<uint32_t>& table = Display().Handle()->ColorTable;
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(table[size_t(i)], RawColor(fixed->Entries[size_t(i)])) << i;
    EXPECT_TRUE(ImageUndoSaved);

    MakePicture(picture, 24);
    Show(picture);
    ItemNamed("mnu8poster")->trigger();
    EXPECT_EQ(calls.back(), std::make_pair(256, int32_t(0x20)));
    EXPECT_EQ(Lines(), (std::vector<std::string>{"QUANTIZE16", "QUANTIZE256"}));
    EXPECT_EQ(ImageBitCount, 8);

    // The script's road: no undo copy, no line.
    LabScript.Clear();
    MakePicture(picture, 24);
    Show(picture);
    WebForm->DoPosterize(4);
    EXPECT_EQ(calls.back(), std::make_pair(16, int32_t(0x20)));
    EXPECT_TRUE(Lines().empty());
    EXPECT_EQ(ImageBitCount, 4);
}

// A failed reduction shows the library's text and leaves the picture as it
// was, not marked changed, with no library picture left.
TEST_F(ColourDepthTest, FailedReductionShowsTheLibraryTextAndKeepsThePicture) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    imgman::ReduceObserver = [](int, int32_t) { ImgClose(ImgHandle); };
    std::vector<Box> boxes;
    AnswerMethod(2);
    Answer(boxes, mrOk);
    ItemNamed("mnu8bpp1")->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Invalid image handle.");
    EXPECT_EQ(ImgHandle, 0);
    EXPECT_FALSE(ImageChanged);
    EXPECT_EQ(ImageBitCount, 24);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(picture, x, y));
}

// Promoting keeps every pixel's colour; only true colour records "TRUECOLOR".
// Promoting a 24-bit picture to 16 colours maps each pixel onto the nearest
// of the 16 standard colours.
TEST_F(ColourDepthTest, PromotionsKeepColoursAndRecordOnlyTrueColour) {
    TBitmap picture;
    MakePicture(picture, 4);
    Show(picture);
    ItemNamed("mnuPromote81")->trigger();
    EXPECT_EQ(ImageBitCount, 8);
    EXPECT_EQ(PixelFormatDepth(Display().PixelFormat()), 8);
    EXPECT_TRUE(Lines().empty());
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(picture, x, y));

    ItemNamed("mnuPromote241")->trigger();
    EXPECT_EQ(ImageBitCount, 24);
    EXPECT_EQ(Lines(), std::vector<std::string>{"TRUECOLOR"});
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x)
            ASSERT_EQ(ColorAt(Display(), x, y), ColorAt(picture, x, y));

    MakePicture(picture, 24);
    Show(picture);
    WebForm->ImagePromote(ItemNamed("mnuPromote41"));
    EXPECT_EQ(ImageBitCount, 4);
    const std::vector<uint32_t> standard = DefaultBitmapColorTable(4);
    EXPECT_EQ(Display().Handle()->ColorTable, standard);
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            const uint32_t c = ColorAt(picture, x, y);
            int best = 1 << 30;
            for (uint32_t e : standard) {
                int d = 0;
                for (int shift : {0, 8, 16}) {
                    const int diff = int((e >> shift) & 0xFF) - int((c >> shift) & 0xFF);
                    d += diff * diff;
                }
                best = std::min(best, d);
            }
            const uint32_t got = ColorAt(Display(), x, y);
            int distance = 0;
            for (int shift : {0, 8, 16}) {
                const int diff = int((got >> shift) & 0xFF) - int((c >> shift) & 0xFF);
                distance += diff * diff;
            }
            ASSERT_EQ(distance, best) << x << "," << y;
        }
}

// The grey JPEG of the save road goes through "256 grays (dither)": the picture
// becomes 8-bit grey and djpeg decodes one grey component.
TEST_F(ColourDepthTest, GreyJpegIsWrittenFromTheGreyReduction) {
    QTemporaryDir dir;
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    const std::string target = dir.path().toStdString() + "/grey";
    WebForm->SaveDialog->SetFilterIndex(SavePicture::stJpegGray);
    QueueModalAction([target](QDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(target));
        dialog.accept();
    });
    AnswerMethod(2);
    WebForm->mnuSaveClick(nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(256, int32_t(0x4C)));
    EXPECT_EQ(ImageBitCount, 8);
    for (uint32_t c : ShownColours())
        EXPECT_TRUE((c & 0xFF) == ((c >> 8) & 0xFF) && (c & 0xFF) == ((c >> 16) & 0xFF)) << std::hex << c;
    EXPECT_EQ(CommandOutput("djpeg -pnm " + dir.path().toStdString() + "/grey.jpg | head -c 2"), "P5");
}

// The nine items carry their captions and depths; "&B/W" leaves two colours.
TEST_F(ColourDepthTest, ItemsCarryTheirCaptionsAndDepths) {
    const std::vector<std::tuple<const char*, const char*, int>> items = {
        {"mnu8bpp1", "&256 colors (dither)", 8}, {"mnu8gray", "256 grays (dither)", 8},
        {"mnu8poster", "2&56 colors (poster)", 8}, {"mnu4bpp1", "&16 colors (dither)", 4},
        {"mnu4poster", "1&6 colors (poster)", 4},   {"mnu1bpp1", "&B/W", 1},
        {"mnuPromote241", "16&M colors", 24},      {"mnuPromote81", "&256 colors", 8},
        {"mnuPromote41", "&16 colors", 4}};
    for (const auto& [name, caption, tag] : items) {
        TMenuItem* item = ItemNamed(name);
        ASSERT_TRUE(item) << name;
        EXPECT_EQ(item->Caption(), caption);
        EXPECT_EQ(item->Tag, tag) << name;
    }
    EXPECT_EQ(ItemNamed("mnuPromote1")->Caption(), "&Promote to");

    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture);
    AnswerMethod(2);
    ItemNamed("mnu1bpp1")->trigger();
    EXPECT_EQ(ImageBitCount, 1);
    EXPECT_EQ(ShownColours(), (std::set<uint32_t>{0, 0xFFFFFF}));
}

}  // namespace
