// The web page options: their defaults and storage, the explorer's menu
// commands, the options dialog's rules and handlers, and its preview.
#include "explorer/WebDlg.h"
#include "explorer/WebOptions.h"
#include "explorer/xplr8900.h"

#include "processing/files/SavePicture.h"
#include "state/ViewerSettings.h"
#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "processing/files/SavePicture.h"
#include "ui/usrdlg_w.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "support/case_names.h"
#include "support/message_boxes.h"
#include "support/window_hooks.h"

namespace lumvor {
namespace {

using namespace xplr8900;
using Bytes = std::vector<uint8_t>;

Bytes StoredRecord() {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    return registry.ReadBinary(WebOptionsValue);
}

std::string StoredString(const char* name) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    return registry.ValueExists(name) ? registry.ReadString(name) : "<missing>";
}

void StoreRecord(const THTMLSet& options) {
    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    registry.WriteBinaryData(WebOptionsValue, options.Record.Bytes.data(), int(THTMLSet::Size));
}

// The 56 bytes of a first start, field by field.
Bytes FirstStartBytes() {
    Bytes b(56, 0);
    b[0] = 0x00;                                     // text colour black
    b[4] = 0xFF, b[5] = 0xFF, b[6] = 0xFF;           // page colour white
    b[8] = 0xEE, b[9] = 0xEE, b[10] = 0xEE;          // grid colour
    b[12] = 1;                                       // grid border
    b[16] = 1;                                       // thumbnail border
    b[20] = 640 & 0xFF, b[21] = 640 >> 8;            // page width
    b[25] = 1, b[26] = 1, b[32] = 1, b[34] = 1;      // catalog, browser, review, images only
    b[36] = 35;                                      // quality
    b[40] = 24;                                      // thumbnails per page
    return b;
}

class WebOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetWebDefaults(HTMLset9, 1);
        WebFolder = BareUrlPrefix;
        PageHome = PageBanner = WebFolder;
        WebThumbsFolder = DefaultThumbsFolder;
        WebPageTitle.clear();
        webdlg::WebDlgMode = -1;
        ExploreDir = "/tmp/";
    }
    void TearDown() override {
        ExploreDir.clear();
        test::ResetApplicationHooks();
    }

    // Runs the dialog in mode with work done on it; answers ExecuteWebDlg's result.
    int RunDialog(int mode, std::function<void(TWebDlg&)> work) {
        QueueModalAction([work](QDialog& d) { work(static_cast<TWebDlg&>(d)); });
        const int result = ExecuteWebDlg(mode);
        EXPECT_EQ(QueuedModalAnswers(), 0);
        return result;
    }
};

// ---- Defaults and storage

TEST_F(WebOptionsTest, FirstStartTakesTheDefaultsAndOkWritesThemByteForByte) {
    TFileForm form;
    bool editGuardOn = false;
    QueueModalAction([&](QDialog& d) {
        editGuardOn = form.Editing;
        auto& dlg = static_cast<TWebDlg&>(d);
        EXPECT_EQ(dlg.windowTitle(), "HTML Page Options");
        EXPECT_TRUE(dlg.PageTypeItems[0]->isChecked());
        EXPECT_EQ(dlg.UpDownThumbs->value(), 24);
        EXPECT_EQ(dlg.edtSubFolder->text(), "thumbs");
        dlg.btnOK->click();
    });
    static_cast<QAction*>(form.FindItem("mnuHtmlSet"))->trigger();

    EXPECT_TRUE(editGuardOn);
    EXPECT_FALSE(form.Editing);
    EXPECT_EQ(StoredRecord(), FirstStartBytes());
    EXPECT_EQ(StoredString(WebFolderValue), "http://");
    EXPECT_EQ(StoredString(PageHomeValue), "http://");
    EXPECT_EQ(StoredString(PageBannerValue), "http://");
    EXPECT_EQ(StoredString(WebDirValue), "");
}

TEST_F(WebOptionsTest, ResetZeroesTheBordersAndEmptiesTheFourStrings) {
    THTMLSet stored;
    SetWebDefaults(stored, 3);
    stored.SetPageWidth(1024);
    StoreRecord(stored);
    {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        for (const char* name : {WebFolderValue, PageHomeValue, PageBannerValue, WebDirValue})
            registry.WriteString(name, "http://example.org/");
    }
    TFileForm form;
    QueueModalResult(mrCancel);  // the dialog that follows the reset
    static_cast<QAction*>(form.FindItem("mnuHtmlReset"))->trigger();

    THTMLSet expected;
    SetWebDefaults(expected, 0);
    EXPECT_EQ(StoredRecord(), Bytes(expected.Record.Bytes.begin(), expected.Record.Bytes.end()));
    for (const char* name : {WebFolderValue, PageHomeValue, PageBannerValue, WebDirValue})
        EXPECT_EQ(StoredString(name), "") << name;
    EXPECT_EQ(QueuedModalAnswers(), 0);
}

TEST_F(WebOptionsTest, LoadingRepairsOneBigPageAndKeepsReservedBytesAndStringsAsStored) {
    THTMLSet stored;
    SetWebDefaults(stored, 2);
    stored.SetThumbsPerPage(999);
    for (std::size_t at = 45; at < 56; ++at) stored.Record.SetByte(at, uint8_t(at));
    StoreRecord(stored);
    {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        registry.WriteString(WebFolderValue, "http://a.example/x/");
        registry.WriteString(PageBannerValue, "<b>\"banner\"&</b>");
        registry.WriteString(WebDirValue, "/srv/www/");
    }
    std::string webDir;
    ReadWebOptions(webDir);
    EXPECT_EQ(HTMLset9.ThumbsPerPage(), 16);
    EXPECT_EQ(HTMLset9.GridBorder(), 2);
    EXPECT_EQ(PageHome, "http://a.example/x/") << "a missing home page takes the prefix";
    EXPECT_EQ(PageBanner, "<b>\"banner\"&</b>");
    EXPECT_EQ(webDir, "/srv/www/");

    WriteWebOptions(webDir);
    const Bytes written = StoredRecord();
    ASSERT_EQ(written.size(), 56u);
    for (std::size_t at = 45; at < 56; ++at) EXPECT_EQ(written[at], at) << "reserved byte " << at;
    EXPECT_EQ(written[40], 16);
}

TEST_F(WebOptionsTest, TheQualityQuestionSetsTheQualityAndCancelKeepsIt) {
    TFileForm form;
    QueueModalAction([](QDialog& d) {
        auto& dlg = static_cast<TXScrlDlg&>(d);
        EXPECT_EQ(dlg.windowTitle(), "Thumbnail (or Contact Sheet) Compression");
        EXPECT_EQ(dlg.CustomScrollBar->maximum(), 100);
        EXPECT_EQ(dlg.CustomScrollBar->pageStep(), 10);
        dlg.CustomSetting->clear();
        QTest::keyClicks(dlg.CustomSetting, "80");
        dlg.btnOK->click();
    });
    form.SaveWebOptions(true);
    EXPECT_EQ(StoredRecord()[36], 80);
    QueueModalResult(mrCancel);
    form.SaveWebOptions(true);
    EXPECT_EQ(StoredRecord()[36], 80);
}

// ---- The dialog

TEST_F(WebOptionsTest, UrlPrefixIsStoredWithOneTrailingSlash) {
    struct Case {
        const char* typed;
        const char* stored;
    };
    for (const Case& c : {Case{"http://example.org/pics", "http://example.org/pics/"},
                          Case{"http://example.org/pics/", "http://example.org/pics/"}, Case{"", ""}}) {
        SCOPED_TRACE(c.typed);
        HTMLset9.SetPageTypeIndex(2);
        HTMLset9.SetContactSheet(true);  // no warning for an empty prefix
        const int result = RunDialog(-1, [&](TWebDlg& dlg) {
            ASSERT_TRUE(dlg.edtWebFolder->isVisible());
            dlg.edtWebFolder->selectAll();
            QTest::keyClick(dlg.edtWebFolder, Qt::Key_Backspace);
            QTest::keyClicks(dlg.edtWebFolder, c.typed);
            dlg.btnOK->click();
        });
        EXPECT_EQ(result, 1);
        WriteWebOptions("");
        EXPECT_EQ(StoredString(WebFolderValue), c.stored);
    }
}

TEST_F(WebOptionsTest, CatalogModeOffersOnlyTheTwoCatalogTypes) {
    HTMLset9.SetPageTypeIndex(2);
    const int result = RunDialog(-2, [](TWebDlg& dlg) {
        EXPECT_TRUE(HTMLset9.CatalogPage());
        EXPECT_FALSE(dlg.PageTypeItems[0]->isHidden());
        EXPECT_FALSE(dlg.PageTypeItems[1]->isHidden());
        EXPECT_TRUE(dlg.PageTypeItems[2]->isHidden());
        EXPECT_EQ(dlg.PageTypeItems[0]->text(), "Fixed image catalog");
        EXPECT_EQ(dlg.PageTypeItems[1]->text(), "Offline image catalog");
        EXPECT_FALSE(dlg.edtSubFolder->isEnabled());
        EXPECT_FALSE(dlg.btnPageTitle->isEnabled());
        EXPECT_TRUE(dlg.chkUseFrames->isEnabled());
        std::string caption;
        GetDriveCaption(caption);
        EXPECT_EQ(dlg.LabelTitle->text().toStdString(), caption);
        dlg.btnOK->click();
    });
    EXPECT_EQ(result, 1);
}

TEST_F(WebOptionsTest, PositiveModeNamesTheThumbnailCountInTheCaptionAndHelpShowsItsPage) {
    std::vector<long> helped;
    Application.OnHelp = [&](long context) {
        helped.push_back(context);
        return true;
    };
    RunDialog(12, [](TWebDlg& dlg) {
        EXPECT_EQ(dlg.windowTitle(), "HTML Page Options - 12 thumbnails");
        dlg.btnHelp->click();
        EXPECT_TRUE(dlg.isVisible());
        dlg.btnOK->click();
    });
    EXPECT_EQ(helped, std::vector<long>{121});
}

TEST_F(WebOptionsTest, ContactSheetDisablesDetailsCommentsBordersAndPageCount) {
    HTMLset9.SetFileDetails(true);
    RunDialog(-1, [](TWebDlg& dlg) {
        QWidget* held[] = {dlg.chkFileDetails, dlg.btnPageBorder, dlg.btnGridBorder, dlg.LabelThumbsPerPage,
                           dlg.UpDownThumbs};
        for (QWidget* w : held) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_EQ(dlg.LabelSize->text(), "Size to 640 x nnnn -->");
        dlg.chkContactSheet->click();
        for (QWidget* w : held) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
        EXPECT_FALSE(dlg.chkImageComments->isEnabled());
        EXPECT_FALSE(dlg.chkFileDetails->isChecked());
        EXPECT_FALSE(HTMLset9.FileDetails());
        EXPECT_TRUE(HTMLset9.ContactSheet());
        EXPECT_EQ(dlg.LabelSize->text(), "Size to 640 x 480 -->");
        dlg.chkContactSheet->click();
        for (QWidget* w : held) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
        dlg.btnOK->click();
    });
}

TEST_F(WebOptionsTest, ChoosingAnInternetPageExplainsItAndSwapsTheControls) {
    HTMLset9.SetUseFrames(true);
    std::vector<test::Box> boxes;
    RunDialog(-1, [&](TWebDlg& dlg) {
        EXPECT_FALSE(dlg.btnPageTitle->isEnabled());
        EXPECT_TRUE(dlg.chkUseFrames->isChecked());
        test::Answer(boxes, mrIgnore);
        dlg.PageTypeItems[2]->click();
        EXPECT_TRUE(dlg.btnPageTitle->isEnabled());
        EXPECT_FALSE(dlg.chkUseFrames->isEnabled());
        EXPECT_FALSE(dlg.chkUseFrames->isChecked());
        EXPECT_FALSE(HTMLset9.UseFrames());
        EXPECT_TRUE(dlg.chkHomeURL->isEnabled());
        EXPECT_TRUE(dlg.chkBannerURL->isEnabled());
        EXPECT_TRUE(dlg.edtSubFolder->isEnabled());
        EXPECT_TRUE(dlg.edtWebFolder->isVisible());
        EXPECT_FALSE(dlg.edtPageHome->isVisible());
        dlg.chkHomeURL->click();
        EXPECT_TRUE(dlg.edtPageHome->isVisible());
        // Ignored once, the explanation stays away.
        dlg.PageTypeItems[1]->click();
        EXPECT_FALSE(dlg.edtSubFolder->isEnabled());
        EXPECT_EQ(dlg.edtSubFolder->text(), "thumbs");
        dlg.btnCancel->click();
    });
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text,
              "This Web page is designed for the Internet.\nSave the HTML file in a NEW folder - keeping source\n"
              "images separate.  The network URL prefix references\nsource image location (where you will upload "
              "source\nimages).  Upload thumbnails to \"thumbs\" sub-folder\nat same location on your site (see "
              "Help).\n\nAdvanced users can [Ignore] this message.");
    EXPECT_TRUE(boxes[0].hasIgnore);
    EXPECT_TRUE(HTMLset9.PageTypeNoteSeen());
}

TEST_F(WebOptionsTest, CatalogExplanationsDependOnTheModeAndTheContactSheet) {
    struct Case {
        const char* name;
        int mode;
        bool sheet;
        int item;
        const char* text;
    };
    const Case cases[] = {
        {"fixed catalog from the options", -1, false, 0,
         "This Web page is designed for image catalogs\non your system.  Save HTML files to a common folder.\n"
         "Source images are referenced absolutely.  Thumbnails\nare NEVER overwritten.  Contact sheets "
         "recommended.\n\nAdvanced users can [Ignore] this message."},
        {"offline catalog run", -2, true, 1,
         "This Contact sheet is designed for CDROM catalogs.\nFor each sub-folder, _idx.htm files will be created\n"
         "in the SAME folder with source images.  A \"thumbs\"\nsub-folder is created/overwritten.  You can upload\n"
         "these catalogs to Web sites (see FAQ).\n\nAdvanced users can [Ignore] this message."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetWebDefaults(HTMLset9, 1);
        HTMLset9.SetContactSheet(c.sheet);
        HTMLset9.SetPageTypeIndex(c.item == 0 ? 1 : 0);
        std::vector<test::Box> boxes;
        RunDialog(c.mode, [&](TWebDlg& dlg) {
            test::Answer(boxes, mrOk);
            dlg.PageTypeItems[c.item]->click();
            dlg.btnOK->click();
        });
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_FALSE(HTMLset9.PageTypeNoteSeen());
    }
}

TEST_F(WebOptionsTest, OkRefusesTheBarePrefixOfAnInternetPageAndCancelSavesNothing) {
    THTMLSet stored;
    SetWebDefaults(stored, 1);
    stored.SetPageTypeIndex(2);
    stored.SetPageTypeNoteSeen(true);
    StoreRecord(stored);
    const Bytes before = StoredRecord();
    TFileForm form;
    std::vector<test::Box> boxes;
    QueueModalAction([&](QDialog& d) {
        auto& dlg = static_cast<TWebDlg&>(d);
        dlg.chkNavButtons->click();
        test::Answer(boxes, mrOk);
        dlg.btnOK->click();
        EXPECT_TRUE(dlg.isVisible()) << "the dialog stays open after the warning";
        dlg.btnCancel->click();
    });
    static_cast<QAction*>(form.FindItem("mnuHtmlSet"))->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string("URL prefix should reference your site.\ne.g. http://") + SavePicture::MakerWebAddress +
                                 "/\n\nYou can leave it BLANK if full images\nare uploaded to same location with page.");
    EXPECT_EQ(StoredRecord(), before);
    EXPECT_EQ(StoredString(WebFolderValue), "<missing>");
    EXPECT_EQ(RunDialog(-1, [](TWebDlg& dlg) { dlg.close(); }), WebDlgCancelled);
}

TEST_F(WebOptionsTest, ColourButtonsStartFromSchemeColoursAndStoreTheChoiceRedLow) {
    struct Case {
        const char* button;
        TColor start;
        std::size_t offset;
    };
    const Case cases[] = {{"btnPageColor", clBtnHighlight, 4},
                          {"btnPageFontColor", clWindowText, 0},
                          {"btnGridColor", clWindow, 8}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        SetWebDefaults(HTMLset9, 1);
        RunDialog(-1, [&](TWebDlg& dlg) {
            QueueModalAction([&](QDialog& d) {
                auto& colours = static_cast<QColorDialog&>(d);
                const TColor start = ColorToRGB(c.start);
                EXPECT_EQ(colours.currentColor(), QColor(GetRValue(start), GetGValue(start), GetBValue(start)));
                colours.setCurrentColor(Qt::red);
                colours.accept();
            });
            dlg.findChild<QPushButton*>(c.button)->click();
            dlg.btnOK->click();
        });
        WriteWebOptions("");
        const Bytes stored = StoredRecord();
        EXPECT_EQ(Bytes(stored.begin() + long(c.offset), stored.begin() + long(c.offset) + 4),
                  (Bytes{0xFF, 0x00, 0x00, 0x00}));
        std::string hex;
        ColorToHexRGB(TColor{HTMLset9.Record.Int(c.offset)}, hex);
        EXPECT_EQ(hex, "FF0000");
    }
}

TEST_F(WebOptionsTest, ValueDialogsSetBordersAndPageWidthAndTheTitleIsKeptAsTyped) {
    HTMLset9.SetPageTypeIndex(2);
    WebFolder.clear();
    RunDialog(-1, [](TWebDlg& dlg) {
        QueueModalAction([](QDialog& d) {
            auto& number = static_cast<TXScrlDlg&>(d);
            EXPECT_EQ(number.windowTitle(), "Set Thumbnails border to ");
            EXPECT_EQ(number.CustomScrollBar->maximum(), 8);
            number.CustomSetting->clear();
            QTest::keyClicks(number.CustomSetting, "5");
            number.btnOK->click();
        });
        dlg.btnPageBorder->click();
        QueueModalAction([](QDialog& d) {
            auto& number = static_cast<TXScrlDlg&>(d);
            EXPECT_EQ(number.windowTitle(), "Set Table grid border to ");
            number.btnCancel->click();
        });
        dlg.btnGridBorder->click();
        QueueModalAction([](QDialog& d) {
            auto& number = static_cast<TXScrlDlg&>(d);
            EXPECT_EQ(number.windowTitle(), "Set Page Width to ");
            EXPECT_EQ(number.CustomScrollBar->minimum(), 240);
            EXPECT_EQ(number.CustomScrollBar->maximum(), 4096);
            number.GroupItems[3]->click();  // 1280
        });
        dlg.btnPageWidth->click();
        EXPECT_EQ(dlg.LabelSize->text(), "Size to 1280 x nnnn -->");
        QueueModalAction([](QDialog& d) {
            auto* prompt = d.findChild<QLabel*>();
            ASSERT_NE(prompt, nullptr);
            EXPECT_EQ(d.windowTitle(), "Enter Page Title");
            d.findChild<QLineEdit*>()->setText("Tom & <Jerry>");
            d.findChild<QPushButton*>("OK")->click();
        });
        dlg.btnPageTitle->click();
        EXPECT_EQ(dlg.LabelTitle->text(), "Tom & <Jerry>");
        dlg.btnOK->click();
    });
    EXPECT_EQ(HTMLset9.ThumbBorder(), 5);
    EXPECT_EQ(HTMLset9.GridBorder(), 1);
    EXPECT_EQ(HTMLset9.PageWidth(), 1280);
    EXPECT_EQ(WebPageTitle, "Tom & <Jerry>");
}

// ---- The preview

QRgb Rgb(TColor color) { return qRgb(GetRValue(color), GetGValue(color), GetBValue(color)); }

struct TPreviewCase {
    const char* name;
    bool fileDetails;
    bool contactSheet;
    bool homeUrl;
    int pageType;
    bool home;
};

void PrintTo(const TPreviewCase& c, std::ostream* os) { *os << c.name; }

class WebPreview : public WebOptionsTest, public ::testing::WithParamInterface<TPreviewCase> {};

// The middle navigation button holds drawn text.
bool HomeWritten(const QImage& box, TColor background) {
    const int left = (box.width() - 180) / 2 + 60 + 2, top = box.height() - 32 + 2;
    for (int y = top; y < top + 16; ++y)
        for (int x = left; x < left + 56; ++x)
            if (box.pixel(x, y) != Rgb(background)) return true;
    return false;
}

TEST_P(WebPreview, CellsTableAndNavigationAtTheirPlaces) {
    const TPreviewCase& c = GetParam();
    HTMLset9.SetFileDetails(c.fileDetails);
    HTMLset9.SetContactSheet(c.contactSheet);
    HTMLset9.SetHomeURL(c.homeUrl);
    HTMLset9.SetPageTypeIndex(c.pageType);
    HTMLset9.SetThumbBorder(2);
    HTMLset9.SetGridBorder(3);
    HTMLset9.SetGridColor(RGB(0x12, 0x34, 0x56));
    HTMLset9.SetPageColor(RGB(0xF0, 0xE0, 0xD0));
    RandSeed = 1234;
    TWebDlg dlg;
    dlg.show();
    const QImage box = dlg.TestFont->grab().toImage();
    ASSERT_GE(box.width(), 640);

    const int cellWidth = 64 + 2 * 2 + 7;
    const int count = box.width() / cellWidth - 1;
    const int left = (box.width() - count * cellWidth) / 2;
    const int top = TWebPreviewLayout::Top;
    // Page colour left of the row.
    EXPECT_EQ(box.pixel(left - 12, top + 20), Rgb(HTMLset9.PageColor()));
    if (c.fileDetails) {
        // Grid colour between the table's edge and the first cell, the 3-D frame outside it.
        EXPECT_EQ(box.pixel(left - 3, top - 3), Rgb(HTMLset9.GridColor()));
        EXPECT_EQ(box.pixel(left - 6, top + 10), Rgb(ScaleColor(HTMLset9.PageColor(), 125)));
    }
    const int thumbLeft = left + TWebPreviewLayout::ThumbInset, thumbTop = top + TWebPreviewLayout::ThumbInset;
    for (int n = 0; n < count; ++n) {
        const QRgb corner = box.pixel(thumbLeft + n * cellWidth + 1, thumbTop + 1);
        if (c.contactSheet)
            EXPECT_NE(corner, qRgb(0x80, 0x00, 0x80)) << "cell " << n;
        else
            EXPECT_EQ(corner, qRgb(0x80, 0x00, 0x80)) << "cell " << n;
        // The white sample picture in the middle.
        EXPECT_EQ(box.pixel(thumbLeft + n * cellWidth + 34, thumbTop + 26), qRgb(255, 255, 255));
    }
    EXPECT_EQ(HomeWritten(box, HTMLset9.PageColor()), c.home);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebPreview,
    ::testing::Values(TPreviewCase{"DetailsInternetPage", true, false, false, 2, false},
                      TPreviewCase{"DetailsWithHomeUrl", true, false, true, 2, true},
                      TPreviewCase{"ContactSheetFixedCatalog", false, true, false, 0, true},
                      TPreviewCase{"ContactSheetOfflineCatalog", false, true, false, 1, true},
                      TPreviewCase{"ContactSheetInternetPage", false, true, false, 2, false},
                      TPreviewCase{"PlainFixedCatalog", false, false, false, 0, false}),
    test::CaseNames<&TPreviewCase::name>);

TEST_F(WebOptionsTest, PreviewRowIsLimitedByThePositiveModeAndCentred) {
    const TWebPreviewLayout layout = WebPreviewLayout(HTMLset9, 640, 2);
    EXPECT_EQ(layout.CellWidth, 73);
    EXPECT_EQ(layout.Count, 2);
    EXPECT_EQ(layout.Left, (640 - 2 * 73) / 2);
    EXPECT_EQ(WebPreviewLayout(HTMLset9, 640, -1).Count, 640 / 73 - 1);
    HTMLset9.SetImageComments(true);
    EXPECT_EQ(WebPreviewLayout(HTMLset9, 640, -1).CellHeight, layout.CellHeight + 16);
}

TEST(WebColours, ScalingRoundsAndCapsEachByte) {
    EXPECT_EQ(ScaleColor(RGB(0xEE, 0x10, 0xFF), 125), RGB(0xFF, 0x14, 0xFF));
    EXPECT_EQ(ScaleColor(RGB(0xEE, 0x10, 0x01), 75), RGB(178, 12, 1));
}

}  // namespace
}  // namespace lumvor
