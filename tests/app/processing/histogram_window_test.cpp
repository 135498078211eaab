// The histogram window: bar heights, zoom, channels, readout, the bin cursor,
// and the Image menu's command that opens it.
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "processing/dialogs/histogram_w.h"
#include "processing/tonal/Histogram.h"

#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <set>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

struct BarCase {
    int64_t count, peak;
    int zoom;
    int64_t height;
};

TEST(HistogramBars, HeightIsCountTimes255OverPeakDivZoom) {
    const BarCase cases[] = {
        {100, 100, 1, 255}, {50, 100, 1, 127}, {50, 100, 2, 255}, {100, 100, 8, 2125}, {0, 100, 1, 0},
        {3, 7, 8, 0},  // a peak below the zoom draws no bars
        {5, 0, 1, 0},  // an empty histogram
        {0x3FFFFFFE, 0x3FFFFFFE, 3, 765},
    };
    for (const BarCase& c : cases)
        EXPECT_EQ(HistBarHeight(c.count, c.peak, c.zoom), c.height) << c.count << "/" << c.peak << " x" << c.zoom;
}

TEST(HistogramBars, ZoomCyclesOneToEight) {
    int zoom = 1;
    std::vector<int> seen;
    for (int i = 0; i < 9; ++i)
        seen.push_back(zoom = NextHistZoom(zoom));
    EXPECT_EQ(seen, (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 1, 2}));
}

class HistogramWindowTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        histogram_w::HistoMarker = -1;
    }
    void TearDown() override {
        histogram_w::HistoShowSat = false;
        LabWindowTest::TearDown();
    }
    // Counts in every bin of every channel.
    static void FillHistogram(int32_t each) {
        for (THistogram* h : {&HistR, &HistG, &HistB, &HistLum, &HistSat})
            std::fill(h->begin(), h->begin() + 256, each);
        HistPeak = each;
    }
    static std::unique_ptr<THistogramDlg> Make(bool saturation) {
        histogram_w::HistoShowSat = saturation;
        return std::make_unique<THistogramDlg>();
    }
    static QImage Bars(THistogramDlg& form) { return form.PaintBox1->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    static bool HasColour(const QImage& image, QColor colour) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    return true;
        return false;
    }
};

TEST_F(HistogramWindowTest, ZoomButtonCyclesAndCaptionFollows) {
    auto form = Make(true);
    EXPECT_EQ(form->btnZoom->text(), "&Zoom x1");
    for (int expected : {2, 3, 4, 5, 6, 7, 8, 1}) {
        form->btnZoom->click();
        EXPECT_EQ(form->Zoom(), expected);
        EXPECT_EQ(form->btnZoom->text(), QString("&Zoom x%1").arg(expected));
    }
}

TEST_F(HistogramWindowTest, SaturationItemAndBarsOnlyInSaturationMode) {
    ClearHistogram();
    std::fill(HistSat.begin(), HistSat.begin() + 256, 10);
    HistPeak = 10;
    const QColor purple(0x80, 0x00, 0x80);
    auto without = Make(false);
    EXPECT_EQ(without->ChannelCount(), 4);
    EXPECT_EQ(without->ChannelIndex(), 3);
    EXPECT_EQ(without->ChannelItems[3]->text(), "Gr&ay");
    EXPECT_EQ(without->findChildren<QRadioButton*>().size(), 4);
    EXPECT_FALSE(HasColour(Bars(*without), purple));
    auto with = Make(true);
    EXPECT_EQ(with->ChannelCount(), 5);
    EXPECT_EQ(with->ChannelItems[4]->text(), "&Sat");
    EXPECT_EQ(Bars(*with).pixelColor(100, 200), purple);
}

TEST_F(HistogramWindowTest, GreyCoversTheColoursAndTheSelectedChannelComesOnTop) {
    FillHistogram(10);
    auto form = Make(true);
    EXPECT_EQ(Bars(*form).pixelColor(100, 200), QColor(0, 0, 0));
    const std::pair<int, QColor> selections[] = {
        {0, QColor(255, 0, 0)}, {1, QColor(0, 0x80, 0)}, {2, QColor(0, 0, 255)}, {4, QColor(0x80, 0, 0x80)}};
    for (const auto& [item, colour] : selections) {
        form->SetChannelIndex(item);
        EXPECT_EQ(Bars(*form).pixelColor(100, 200), colour) << item;
    }
}

TEST_F(HistogramWindowTest, ReadoutShowsTheBinsCountsWithTheirSpaces) {
    HistPeak = 9;
    HistR[7] = 1;
    HistG[7] = 2;
    HistB[7] = 3;
    HistLum[7] = 4;
    HistSat[7] = 5;
    EXPECT_EQ(HistBinText(7, false), "Bin:   7\nMax: 9\nRed: 1\nGrn:  2\nBlu:   3\nGry:   4");
    EXPECT_EQ(HistBinText(7, true), "Bin:   7\nMax: 9\nRed: 1\nGrn:  2\nBlu:   3\nGry:   4\nSat:   5");
    auto form = Make(true);
    form->HistoTrack->SetPosition(7);
    EXPECT_EQ(form->lblBin->text().toStdString(), HistBinText(7, true));
    // A click on the bars moves the track bar to the clicked bin.
    form->PaintBox1MouseUp(300);
    EXPECT_EQ(form->HistoTrack->Position(), 255);
}

TEST_F(HistogramWindowTest, TwoTrackMovesLeaveOneCursor) {
    FillHistogram(5);
    HistLum[40] = 2;
    auto form = Make(false);
    const QImage plain = Bars(*form);
    form->HistoTrack->SetPosition(10);
    form->HistoTrack->SetPosition(200);
    const QImage marked = Bars(*form);
    std::set<int> changedColumns;
    for (int y = 0; y < plain.height(); ++y)
        for (int x = 0; x < plain.width(); ++x)
            if (plain.pixel(x, y) != marked.pixel(x, y))
                changedColumns.insert(x);
    EXPECT_EQ(changedColumns, std::set<int>{200});
}

TEST_F(HistogramWindowTest, ZoomedBarsAreClippedAndAnEmptyHistogramDrawsNothing) {
    ClearHistogram();
    auto form = Make(true);
    const QImage empty = Bars(*form);
    EXPECT_FALSE(HasColour(empty, QColor(0, 0, 0)));
    FillHistogram(100);
    for (int i = 0; i < 7; ++i)
        form->btnZoom->click();
    const QImage zoomed = Bars(*form);
    EXPECT_EQ(zoomed.pixelColor(5, 0), QColor(0, 0, 0));
    EXPECT_EQ(zoomed.pixelColor(5, 254), QColor(0, 0, 0));
}

TEST_F(HistogramWindowTest, ImageMenuCommandCountsThePictureAndKeepsImageChanged) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, "/pictures/sunset.bmp");
    WebForm->EnableControls();
    auto* button = qobject_cast<QToolButton*>(WebForm->FindChrome("btnHistogram"));
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(WebForm->mnuHistogram1->isEnabled());
    for (bool changedBefore : {false, true}) {
        ImageChanged = changedBefore;
        ClearHistogram();
        QString caption;
        int channels = 0;
        QueueModalAction([&](QDialog& dialog) {
            caption = dialog.windowTitle();
            channels = static_cast<THistogramDlg&>(dialog).ChannelCount();
            static_cast<THistogramDlg&>(dialog).btnCancel->click();
        });
        if (changedBefore)
            button->click();
        else
            WebForm->mnuHistogram1->trigger();
        EXPECT_EQ(caption, "Histogram [sunset.bmp]");
        EXPECT_EQ(channels, 5);
        EXPECT_GT(HistPeak, 0);
        EXPECT_EQ(ImageChanged, changedBefore);
    }
    EXPECT_EQ(UnansweredModalRuns(), 0);
}

}  // namespace
