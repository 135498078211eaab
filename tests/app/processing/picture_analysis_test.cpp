// The picture analysis: its measures (statistics against numpy through
// tests/fixtures/analysis/reference.txt, the levels, the ratings, the verdict
// between two pictures, the texture rating) and the command (its report, its
// report file, region and compare modes, and that it leaves the picture, its
// changed mark, the duplicate and the Lab script as they were).
#include "app/save_form_fixture.h"
#include "app/app_test_tools.h"

#include "processing/lab/PictureAnalysis.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/StructureFilters.h"
#include "processing/script/LabState.h"
#include "support/bitmap_raster.h"
#include "support/case_names.h"
#include "support/message_boxes.h"

#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace lumvor;
using namespace lumvor::lumv8900;
using namespace lumvor::test;

namespace {

std::string AnalysisFixture(const std::string& name) { return Fixture("analysis/" + name); }

// The reference lines of one fixture, from the numpy script's output.
std::vector<std::string> ReferenceLines(const std::string& picture) {
    std::ifstream in(AnalysisFixture("reference.txt"));
    std::vector<std::string> lines;
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.front() == '[')
            inside = line == "[" + picture + "]";
        else if (inside)
            lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& wanted) {
    return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

bool HasLineStarting(const std::vector<std::string>& lines, const std::string& start) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(start, 0) == 0; });
}

std::string LineStarting(const std::vector<std::string>& lines, const std::string& start) {
    for (const std::string& l : lines)
        if (l.rfind(start, 0) == 0)
            return l;
    return {};
}

// ---- The measures

TEST(PictureMeasures, UsedLevelsCountsNonEmptyLevelsUpTo255) {
    THistogram hist{};
    EXPECT_EQ(UsedLevels(hist), 0);
    hist[0] = 5;
    hist[200] = 1;
    hist[300] = 9;  // past the levels: not counted
    EXPECT_EQ(UsedLevels(hist), 2);
    for (int level = 0; level < 256; ++level)
        hist[size_t(level)] = 1;
    EXPECT_EQ(UsedLevels(hist), 255);
}

TEST(PictureMeasures, GamutIsTheRoundedSpreadLimitedToTheLevels) {
    struct Case {
        double mean, deviation;
        int gamut;
    };
    const Case cases[] = {
        {100, 20, 40},     // 120 - 80
        {10, 30, 40},      // 40 - 0: the low end stops at 0
        {250, 20, 25},     // 255 - 230: the high end stops at 255
        {2.5, 0.5, 0},     // halves to even: 2 + 0 and 2 - 0
        {3.5, 1.5, 4},     // 4 + 2 and 4 - 2
        {128, 0, 0},       // a flat channel
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChannelGamut(c.mean, c.deviation), c.gamut) << c.mean << " " << c.deviation;
}

TEST(PictureMeasures, RawSizeRatiosAndRatingsFollowTheirFormulasAndNeverDivideByZero) {
    const int grey[3] = {40, 40, 40};
    const int colour[3] = {40, 41, 40};
    EXPECT_EQ(RawPictureSize(1000, grey), 1000);
    EXPECT_EQ(RawPictureSize(1000, colour), 3000);
    EXPECT_DOUBLE_EQ(CompressionRatio(3000, 1200), 2.5);
    EXPECT_EQ(CompressionRatio(3000, 0), 0);
    EXPECT_DOUBLE_EQ(ChangeIndex(250, 100), 25);
    EXPECT_EQ(ChangeIndex(250, 0), 0);
    const int levels[3] = {100, 51, 255};
    EXPECT_DOUBLE_EQ(EstimatedUniqueColours(colour, levels), (40 * 100 / 255.0) * (41 * 51 / 255.0) * 40.0);
    EXPECT_DOUBLE_EQ(ColourDiversityIndex(255.0 * 255 * 255), 10000);
    EXPECT_DOUBLE_EQ(OverallRating(5, 2, 16, 4), 5 + 2.0 * 4 / (4 + 4));
    EXPECT_EQ(OverallRating(0, 3, 0, 0), 0);
    EXPECT_EQ(OverallRating(7, 3, 0, 0), 7);
}

TEST(PictureMeasures, NumberTextsUseTheirPictures) {
    EXPECT_EQ(FixedSix(82.6855364), "82.685536");
    EXPECT_EQ(FixedSix(0), "0.000000");
    EXPECT_EQ(FixedSix(1e7 / 3), "3333333.333333");
    EXPECT_EQ(RatioText(2.9234), "2.92");
    EXPECT_EQ(RatioText(3), "3");
    EXPECT_EQ(RatingText(1234567.899), "1234567.9");
}

struct VerdictCase {
    const char* name;
    TPassRatings first;
    TPassRatings second;
    TVerdict verdict;
};

class CompareVerdictTest : public ::testing::TestWithParam<VerdictCase> {};

TEST_P(CompareVerdictTest, NamesTheBetterPicture) {
    EXPECT_EQ(CompareVerdict(GetParam().first, GetParam().second), GetParam().verdict);
}

// Fields: pixels, file size, JQI, SI, DI, OR.
INSTANTIATE_TEST_SUITE_P(
    Pairs, CompareVerdictTest,
    ::testing::Values(
        VerdictCase{"FirstSharperLargerBetterJpeg", {100, 900, 5, 10, 8, 20}, {100, 800, 4, 10, 7, 19}, TVerdict::First},
        VerdictCase{"FirstWinsOnSoftnessWithinThreePercent", {100, 900, 5, 10.29, 7, 19},
                    {100, 800, 4, 10, 7, 19}, TVerdict::First},
        VerdictCase{"FirstSofterBeyondThreePercentAndNoOtherGain", {100, 900, 5, 10.31, 7, 19},
                    {100, 800, 4, 10, 7, 19}, TVerdict::None},
        VerdictCase{"SecondBetterJpegAndLarger", {100, 800, 4, 10, 7, 19}, {100, 900, 5, 20, 8, 10},
                    TVerdict::Second},
        VerdictCase{"SecondWinsOnOverallRatingAlone", {100, 800, 4, 10, 8, 19}, {100, 900, 5, 20, 7, 20},
                    TVerdict::Second},
        VerdictCase{"BetterJpegButSmallerFile", {100, 700, 5, 10, 8, 20}, {100, 800, 4, 10, 7, 19}, TVerdict::None},
        VerdictCase{"EqualJpegQuality", {100, 900, 5, 10, 8, 20}, {100, 800, 5, 10, 7, 19}, TVerdict::None},
        VerdictCase{"DifferentDimensions", {100, 900, 5, 10, 8, 20}, {120, 800, 4, 10, 7, 19}, TVerdict::None}),
    CaseNames<&VerdictCase::name>);

TEST(PictureMeasures, ComplexityFromSizesAddsTruncatedBillionthsAndSkipsAnEmptyRaw) {
    EXPECT_EQ(ComplexityFromSizes(1, 2, 3), 333333333 + 666666666);
    EXPECT_EQ(ComplexityFromSizes(1, 2, 0), 0);
}

// ---- The command

class PictureAnalysisTest : public LabWindowTest {
protected:
    void SetUp() override {
        LabWindowTest::SetUp();
        FitWindow = false;
        JPEGScaleOn = false;
        SelectionShown = false;
        ReportLines.Clear();
        ImageHistoryIndex = 0;
        ShellOpenDocument = [this](const std::string& path) {
            opened.push_back(path);
            return true;
        };
    }
    void TearDown() override {
        ShellOpenDocument = nullptr;
        SelectionShown = false;
        JPEGScaleOn = true;
        FitWindow = true;
        ReportLines.Clear();
        ParkedDuplicate.reset();
        LabWindowTest::TearDown();
    }
    // Shows a copy of a fixture, saved in the home folder, as the current picture.
    std::string ShowCopy(const std::string& fixture, const std::string& name) {
        const std::string path = CopyToHome("analysis/" + fixture, name);
        TBitmap picture;
        LoadRaster(picture, ReadPnm(AnalysisFixture(fixture)));
        Show(picture, path);
        return path;
    }
    // Runs the command, answering its box with Answer, and answers the box's lines.
    std::vector<std::string> Analyze(QObject* sender, Qt::KeyboardModifiers keys = Qt::NoModifier,
                                     int answer = mrNo) {
        Answer(boxes, answer);
        WebForm->mnuAnalyzeClick(sender, keys);
        if (boxes.empty())
            return {};
        return SplitLines(boxes.back().text);
    }
    std::string ReportPath() const { return ProgramFolder() + "ImageReport.txt"; }

    std::vector<Box> boxes;
    std::vector<std::string> opened;
};

TEST_F(PictureAnalysisTest, StatisticsLinesAndEstimatesEqualNumpys) {
    for (const char* fixture : {"colour.ppm", "grey.pgm"}) {
        SCOPED_TRACE(fixture);
        boxes.clear();
        const std::string path = ShowCopy(fixture, std::string("stats/") + fixture);
        const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze);
        ASSERT_FALSE(lines.empty());
        const std::vector<std::string> reference = ReferenceLines(fixture);
        ASSERT_EQ(reference.size(), 7u);
        for (size_t i = 0; i < 6; ++i)
            EXPECT_TRUE(HasLine(lines, reference[i])) << reference[i];
        const int64_t raw = std::stoll(reference[6].substr(std::string("Raw size: ").size()));
        const int64_t size = int64_t(QFileInfo(QString::fromStdString(path)).size());
        EXPECT_TRUE(HasLine(lines, "Filesize: " + std::to_string(size) + " bytes (" +
                                       FormatFloat("######.##", double(raw) / double(size)) + " : 1 compression)"));
        EXPECT_TRUE(HasLineStarting(lines, "Sat values:  Mean = "));
        EXPECT_TRUE(HasLineStarting(lines, "Hue values:  Mean = "));
    }
}

TEST_F(PictureAnalysisTest, TheReportHasItsLinesAndBlankLinesInOrder) {
    const std::string path = ShowCopy("colour.ppm", "order/colour.ppm");
    const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze, Qt::ShiftModifier);
    ASSERT_EQ(lines.size(), 25u) << boxes.back().text;
    EXPECT_EQ(lines[0], "Filename: colour.ppm");
    EXPECT_EQ(lines[1], "Location: " + ExtractFilePath(path));
    const std::vector<std::pair<size_t, std::string>> starts = {
        {2, ""},
        {3, "Red values:  Mean = "},
        {4, "Grn values:  Mean = "},
        {5, "Blu values:  Mean = "},
        {6, ""},
        {7, "Gry values:  Mean = "},
        {8, "Sat values:  Mean = "},
        {9, "Hue values:  Mean = "},
        {10, ""},
        {11, "Estimated Unique Colors: "},
        {12, ""},
        {13, "Filesize: "},
        {14, ""},
        {15, "Color Diversity Index = "},
        {16, "JPEG Quality Index = "},
        {17, "Smoothness Index = "},
        {18, "Detail Index = "},
        {19, ""},
        {20, "Overall Rating = "},
        {21, ""},
        {22, "Complexity Rating = "},
        {23, ""},
        {24, "Save to text file?"},
    };
    for (const auto& [index, start] : starts) {
        if (start.empty())
            EXPECT_EQ(lines[index], "") << index;
        else
            EXPECT_EQ(lines[index].rfind(start, 0), 0u) << index << ": " << lines[index];
    }
    EXPECT_NE(lines[16].find(" (higher is better)"), std::string::npos);
    EXPECT_NE(lines[17].find(" (lower is softer)"), std::string::npos);
    EXPECT_NE(lines[18].find(" (higher is sharper)"), std::string::npos);
    EXPECT_NE(lines[22].find(" (higher has more texture)"), std::string::npos);
    // Answered No: no file.
    EXPECT_FALSE(FileExists(ReportPath()));
    EXPECT_TRUE(opened.empty());
}

TEST_F(PictureAnalysisTest, YesSavesTheBoxLinesInTheUserDataFolderAndOpensThem) {
    ShowCopy("colour.ppm", "saved/colour.ppm");
    std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze, Qt::NoModifier, mrYes);
    ASSERT_GE(lines.size(), 3u);
    lines.resize(lines.size() - 2);  // the blank line and the question
    std::ifstream in(ReportPath());
    std::vector<std::string> saved;
    std::string line;
    while (std::getline(in, line))
        saved.push_back(line.substr(0, line.find_last_not_of('\r') + 1));
    EXPECT_EQ(saved, lines);
    EXPECT_EQ(opened, std::vector<std::string>{ReportPath()});
}

TEST_F(PictureAnalysisTest, TheAnalysisIsNoEditAndLeavesPictureMarkDuplicateAndScriptAlone) {
    struct Case {
        const char* name;
        bool changed;
        bool region;
        Qt::KeyboardModifiers keys;
    };
    const Case cases[] = {
        {"plain, just opened", false, false, Qt::NoModifier},
        {"plain, edited", true, false, Qt::NoModifier},
        {"texture, edited", true, false, Qt::ShiftModifier},
        {"region, just opened", false, true, Qt::NoModifier},
        {"region, edited", true, true, Qt::ShiftModifier},
    };
    TBitmap duplicate;
    MakePicture(duplicate, 24, 5, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        boxes.clear();
        ShowCopy("colour.ppm", "edit/colour.ppm");
        TBitmap before;
        before.Assign(&Display());
        DuplicateBitmap->Assign(&duplicate);
        ImageChanged = c.changed;
        SelectionShown = c.region;
        LastSelection = TRect{3, 2, 11, 9};
        LabScript.Clear();
        const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze, c.keys);
        ASSERT_FALSE(lines.empty());
        // A region is cropped from an unmarked copy, so it never reads as modified.
        const std::string suffix = c.region ? " (region of interest)" : c.changed ? " (modified)" : "";
        EXPECT_EQ(lines[0], "Filename: colour.ppm" + suffix);
        EXPECT_TRUE(SamePicture(before, Display()));
        EXPECT_EQ(ImageWidth, before.Width());
        EXPECT_EQ(ImageHeight, before.Height());
        EXPECT_EQ(ImageChanged, c.changed);
        EXPECT_TRUE(SamePicture(duplicate, *DuplicateBitmap));
        EXPECT_EQ(Script(), std::vector<std::string>{});
    }
}

// The three indices are the changes each filter makes to the picture itself
// (run here in place on copies), and without a user's duplicate the duplicate
// keeps the last filtered picture, as the duplicate, filter and swap steps
// leave it.
TEST_F(PictureAnalysisTest, TheIndicesMeasureEachFilterAndTheDuplicateKeepsTheLastFilteredPicture) {
    ShowCopy("colour.ppm", "indices/colour.ppm");
    DuplicateBitmap->Assign(nullptr);
    const TBitmap& picture = Display();
    const int64_t pixels = int64_t(picture.Width()) * picture.Height();
    const auto changeOf = [&](const std::function<void(TBitmap&)>& filter, TBitmap& changed) {
        changed.Assign(&picture);
        filter(changed);
        return FixedSix(ChangeIndex(double(SumSquaredDifferences(changed, picture)), pixels));
    };
    TBitmap jpeg, blurred, meanRemoved;
    const std::string jqi = changeOf([](TBitmap& b) { AddArtifactBitmap(b, AnalysisJpegQuality); }, jpeg);
    const std::string si = changeOf([](TBitmap& b) { GaussianBlur3x3Bitmap(b, 0, 9, false); }, blurred);
    const std::string di = changeOf(
        [](TBitmap& b) {
            const int divisor = SetMeanRemovalKernel(2);
            Spatial3x3Bitmap(b, SpatialKernel, divisor);
        },
        meanRemoved);
    ASSERT_NE(si, di);

    const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze);
    EXPECT_TRUE(HasLine(lines, "JPEG Quality Index = " + jqi + " (higher is better)"));
    EXPECT_TRUE(HasLine(lines, "Smoothness Index = " + si + " (lower is softer)"));
    EXPECT_TRUE(HasLine(lines, "Detail Index = " + di + " (higher is sharper)"));
    EXPECT_TRUE(SamePicture(meanRemoved, *DuplicateBitmap));
}

TEST_F(PictureAnalysisTest, ARegionMeasuresOnlyTheRegion) {
    ShowCopy("colour.ppm", "region/colour.ppm");
    SelectionShown = true;
    LastSelection = TRect{0, 0, 4, 3};
    const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze);
    EXPECT_EQ(lines[0], "Filename: colour.ppm (region of interest)");
    // 12 pixels of a many-coloured picture: at most 12 levels a channel.
    const std::string unique = LineStarting(lines, "Estimated Unique Colors: ");
    EXPECT_LE(std::stoll(unique.substr(25)), 12 * 12 * 12);
    // A region reaching outside the picture measures the whole picture.
    boxes.clear();
    LastSelection = TRect{10, 5, 40, 9};
    const std::vector<std::string> whole = Analyze(WebForm->mnuAnalyze);
    EXPECT_EQ(whole[0], "Filename: colour.ppm");
    EXPECT_TRUE(HasLine(whole, ReferenceLines("colour.ppm")[0]));
}

TEST_F(PictureAnalysisTest, AFlatBlackPictureReportsZeroWhereRatingsWouldDivideByZero) {
    TBitmap black;
    black.SetPixelFormat(pf24bit);
    black.SetSize(16, 16);
    for (int y = 0; y < 16; ++y)
        std::fill_n(black.ScanLine(y), 48, uint8_t(0));
    const std::string path = ProgramFolder() + "black.bmp";
    black.SaveToFile(path);
    Show(black, path);
    const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze, Qt::ShiftModifier);
    EXPECT_TRUE(HasLine(lines, "Estimated Unique Colors: 0"));
    EXPECT_TRUE(HasLine(lines, "Smoothness Index = 0.000000 (lower is softer)"));
    EXPECT_TRUE(HasLine(lines, "Detail Index = 0.000000 (higher is sharper)"));
    EXPECT_TRUE(HasLineStarting(lines, "Overall Rating = "));
    // An empty file: no compression ratio.
    std::ofstream(path, std::ios::trunc).close();
    boxes.clear();
    const std::vector<std::string> again = Analyze(WebForm->mnuAnalyze);
    EXPECT_TRUE(HasLine(again, "Filesize: 0 bytes (" + FormatFloat("######.##", 0) + " : 1 compression)"));
}

TEST_F(PictureAnalysisTest, AMissingFileIsNamedAndNothingElseHappens) {
    TBitmap picture;
    MakePicture(picture, 24);
    Show(picture, ProgramFolder() + "gone.bmp");
    ImageChanged = true;
    const std::vector<std::string> lines = Analyze(WebForm->mnuAnalyze, Qt::NoModifier, mrOk);
    EXPECT_EQ(lines, std::vector<std::string>{ProgramFolder() + "gone.bmp not found."});
    EXPECT_TRUE(ImageChanged);
    EXPECT_EQ(ReportLines.Count(), 0);
}

TEST_F(PictureAnalysisTest, CompareModeOnPicturesOfDifferentSizesSavesTheReportWithoutVerdict) {
    const std::string first = CopyToHome("analysis/colour.bmp", "compare/colour.bmp");
    const std::string second = CopyToHome("bitmaps/win24.bmp", "compare/win24.bmp");
    ImageHistoryList.Add(first);
    ImageHistoryList.Add(second);
    ImageHistoryIndex = 0;
    TBitmap picture;
    picture.LoadFromFile(first);
    Show(picture, first);
    LabScript.Clear();
    WebForm->mnuAnalyzeClick(WebForm->mnuAnalyze, Qt::NoModifier);
    EXPECT_EQ(FileName, second);
    const std::vector<std::string> report = Lines(ReportLines);
    EXPECT_EQ(report.front(), "Filename: colour.bmp");
    EXPECT_TRUE(HasLine(report, "Filename: win24.bmp"));
    EXPECT_FALSE(HasLineStarting(report, "Red values:"));
    EXPECT_FALSE(std::any_of(report.begin(), report.end(),
                             [](const std::string& l) { return l.find(" is better.") != std::string::npos; }));
    EXPECT_TRUE(FileExists(ReportPath()));
    EXPECT_EQ(opened, std::vector<std::string>{ReportPath()});
    EXPECT_EQ(Script(), std::vector<std::string>{});
}

TEST_F(PictureAnalysisTest, CompareModeNamesTheBetterOfTwoVersions) {
    // The same picture, and a softened copy saved larger than it is: the
    // original keeps more of a JPEG round trip's detail in a larger file.
    const std::string original = CopyToHome("analysis/colour.bmp", "versions/original.bmp");
    TBitmap soft;
    soft.LoadFromFile(original);
    for (int y = 0; y < soft.Height(); ++y)
        for (int x = 0; x < 3 * soft.Width(); ++x)
            soft.ScanLine(y)[x] = uint8_t(soft.ScanLine(y)[x] / 2 + 64);
    const std::string softer = ProgramFolder() + "versions/softer.bmp";
    soft.SaveToFile(softer);
    {
        std::ofstream grow(original, std::ios::app | std::ios::binary);
        grow << std::string(4096, '\0');
    }
    ImageHistoryList.Add(original);
    ImageHistoryList.Add(softer);
    TBitmap picture;
    picture.LoadFromFile(original);
    Show(picture, original);
    WebForm->mnuAnalyzeClick(WebForm->mnuAnalyze, Qt::NoModifier);
    const std::vector<std::string> report = Lines(ReportLines);
    ASSERT_GE(report.size(), 3u);
    EXPECT_EQ(report[report.size() - 3], "");
    EXPECT_EQ(report[report.size() - 2], ExtractFilePath(original));
    EXPECT_EQ(report.back(), "original.bmp is better.");
}

TEST_F(PictureAnalysisTest, InfoButtonShowsInformationWithoutModifiersAndAnalysesWithThem) {
    ShowCopy("colour.ppm", "info/colour.ppm");
    const std::vector<std::string> info = Analyze(WebForm->btnInfo);
    ASSERT_FALSE(info.empty());
    EXPECT_FALSE(HasLineStarting(info, "Red values:"));
    EXPECT_TRUE(HasLineStarting(info, "Size: "));
    EXPECT_EQ(ReportLines.Count(), 0);
    for (Qt::KeyboardModifiers keys : {Qt::KeyboardModifiers(Qt::ShiftModifier),
                                       Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier)}) {
        boxes.clear();
        const std::vector<std::string> lines = Analyze(WebForm->btnInfo, keys);
        EXPECT_TRUE(HasLineStarting(lines, "Complexity Rating = "));
    }
}

TEST_F(PictureAnalysisTest, ImageMenuItemAndSpaceRunTheAnalysis) {
    ASSERT_NE(WebForm->mnuAnalyze, nullptr);
    EXPECT_EQ(WebForm->mnuAnalyze->Caption(), "&Analyze");
    EXPECT_TRUE(WebForm->mnuImageV->actions().contains(WebForm->mnuAnalyze));
    ShowCopy("colour.ppm", "keys/colour.ppm");
    Answer(boxes, mrNo);
    WebForm->mnuAnalyze->trigger();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(HasLine(SplitLines(boxes[0].text), "Save to text file?"));
    Answer(boxes, mrNo);
    QTest::keyClick(WebForm->Daz95, Qt::Key_Space);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(HasLine(SplitLines(boxes[1].text), "Save to text file?"));
}

TEST_F(PictureAnalysisTest, ComplexityRatesNoiseAboveFlatAndLeavesThePictureMeanRemoved) {
    TBitmap flat, noise;
    for (TBitmap* b : {&flat, &noise}) {
        b->SetPixelFormat(pf24bit);
        b->SetSize(64, 64);
    }
    uint32_t state = 12345;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 192; ++x) {
            flat.ScanLine(y)[x] = 120;
            state = state * 1664525u + 1013904223u;
            noise.ScanLine(y)[x] = uint8_t(state >> 24);
        }
    Show(flat);
    ImageBitCount = 24;
    const int64_t flatRating = ComplexityIndex(WebForm->Daz95, AnalysisJpegQuality);
    Show(noise);
    const int64_t noiseRating = ComplexityIndex(WebForm->Daz95, AnalysisJpegQuality);
    EXPECT_GT(noiseRating, flatRating);
    EXPECT_GT(flatRating, 0);
    // The picture is left mean-removed: the strength 0 kernel (centre 17, all
    // others -1, divisor 9) on an inner pixel.
    int sum = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            sum += (dx || dy ? -1 : 17) * noise.ScanLine(10 + dy)[3 * (10 + dx)];
    EXPECT_EQ(Display().ScanLine(10)[30], std::clamp(sum / 9, 0, 255));
}

}  // namespace
