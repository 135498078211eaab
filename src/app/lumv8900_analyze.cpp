// Image > "&Analyze" (also Space and the Info button with Shift or Ctrl): the
// picture's colour statistics, its colour diversity, its compression ratio and
// how it holds up under a JPEG round trip, a blur and an edge filter; with
// Ctrl the next picture of the history is measured too and the better file
// named; with Shift a texture rating is added. The measures themselves are in
// processing/lab/PictureAnalysis.h.
//
// The analysis is no edit: every inner step runs as a script step (nothing is
// recorded), every test changes only the duplicate (the JPEG round trip a copy
// in it, the filters write into it) and leaves the picture as it was, a region
// is cropped from a copy of the full picture kept in memory and put back at
// the end, the picture keeps the changed mark it had, and the user's duplicate
// is parked and given back.
#include "app/lumv8900.h"
#include "app/script/LabFrame.h"

#include "app/Spatial.h"
#include "explorer/xplr8900.h"
#include "imaging/Helpers.h"
#include "platform/Folders.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/SysUtils.h"
#include "processing/lab/PictureAnalysis.h"
#include "processing/lab/PixelArithmetic.h"
#include "processing/lab/Pixels24.h"
#include "processing/script/LabState.h"
#include "processing/spatial/SpatialFilters.h"
#include "processing/spatial/StructureFilters.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"
#include "ui/voMsgBox.h"

#include <QToolButton>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumvor {

using namespace lumv8900;

int64_t ComplexityIndex(TPix* Pix, int Quality) {
    const int64_t raw = lumv8900::WebForm && Pix == lumv8900::WebForm->Daz95
                            ? lumv8900::WebForm->ImageDataSize()
                            : int64_t(xplr8900::ThumbWidth) * xplr8900::ThumbHeight * 3;
    const int64_t plain = JpegEncodedSize(*Pix->Bitmap(), Quality);
    MeanRemoval(Pix, 0);
    const int64_t edges = JpegEncodedSize(*Pix->Bitmap(), Quality);
    return ComplexityFromSizes(plain, edges, raw);
}

namespace {

// What the start rules decided.
struct TAnalysisMode {
    bool Region = false;
    bool Shift = false;
    bool Compare = false;
};

// The report of one pass, and the values compare mode keeps.
struct TPassReport {
    std::vector<std::string> Lines;
    TPassRatings Ratings;
    std::string FileName;
};

// The full picture a region analysis crops, kept to be put back.
struct TFullPicture {
    TBitmap Bitmap;
    int32_t Width = 0, Height = 0, BitCount = 0;
};

int64_t FileBytes(const std::string& Name) {
    std::error_code error;
    const auto size = std::filesystem::file_size(Name, error);
    return error ? 0 : int64_t(size);
}

std::string StatisticsLine(const char* Channel, const TChannelSummary& Summary) {
    return std::string(Channel) + " values:  Mean = " + FixedSix(Summary.Mean) + "  sd. = " +
           FixedSix(Summary.Deviation) + "  gamut = " + std::to_string(Summary.Gamut);
}

class TAnalysis {
public:
    TAnalysis(TWebForm& Form, TAnalysisMode Mode) : form_(Form), mode_(Mode) {}

    // Measures the current picture; false when the command must end.
    bool RunPass(TPassReport& Report);

private:
    bool CropToRegion(TFullPicture& Full);
    void PutBack(const TFullPicture& Full);
    // The picture copied into the duplicate, and the two exchanged back, as
    // script steps: nothing is recorded.
    void Duplicate();
    void SwapBack();
    // How much a filter changes the picture: the picture is left as it is,
    // the duplicate receives the filtered picture (as the duplicate, filter,
    // difference and swap back of the steps would leave it), and the sum of
    // the squared differences (also left in DifferenceSumSq) x 10 / P is
    // answered. The JPEG round trip runs on a copy in the duplicate; the
    // window filters write their rows straight into the duplicate's memory
    // and sum the changes as they go.
    double MeasureJpegChange();
    double MeasureChangeInto(const std::function<int64_t(const TBitmap& Picture, TBitmap& Duplicate)>& Filter);
    double ChangeOf(int64_t SumSq);
    // Whether the duplicate has the picture's size and depth; if not, the
    // refusal of the two-picture commands is shown, as their measuring
    // difference shows it.
    bool DuplicateFits();
    int64_t MeasureComplexity();
    void Report(TPassReport& Report, bool Region);

    TWebForm& form_;
    TAnalysisMode mode_;
    int64_t pixels_ = 0;
};

bool TAnalysis::RunPass(TPassReport& Report) {
    if (!FileExists(FileName)) {
        voMessageDlg("", "", FileName + " not found.", mtError, mbOKOnly, AutoDefaultButton, 0);
        return false;
    }
    if (!form_.AutoBackUp())
        return false;
    const bool changedAtStart = ImageChanged;
    TFullPicture full;
    const bool region = mode_.Region && CropToRegion(full);
    Report.FileName = FileName;
    Report.Lines.clear();
    {
        Screen.SetCursor(crHourGlass);
        form_.SetBitmap24();
        const TBitmap& picture = *form_.Daz95->Bitmap();
        pixels_ = int64_t(picture.Width()) * picture.Height();
        ResetMaps();
        form_.DoCalcHistogram(form_.Daz95, true, true, true);
        this->Report(Report, region);
    }
    if (region)
        PutBack(full);
    ImageChanged = changedAtStart;
    Screen.SetCursor(crDefault);
    return true;
}

bool TAnalysis::CropToRegion(TFullPicture& Full) {
    if (FitWindow)
        form_.mnuFitWindowClick(&form_);
    LastSelection = ZoomRegion;
    Selection = ZoomRegion;
    const int w = std::abs(ZoomRegion.Right - ZoomRegion.Left);
    const int h = std::abs(ZoomRegion.Bottom - ZoomRegion.Top);
    // A region reaching outside the picture is ignored: the whole picture is measured.
    if (ZoomRegion.Left + w > ImageWidth || ZoomRegion.Top + h > ImageHeight)
        return false;
    Full.Bitmap.Assign(form_.Daz95->Bitmap());
    Full.Width = ImageWidth;
    Full.Height = ImageHeight;
    Full.BitCount = ImageBitCount;
    {
        TScopedFlag quiet(batch_8900::BatchRunning, true);
        TScopedFlag inner(CropFromScript, true);
        form_.mnuCopyMaskClick(&form_);
    }
    ImageChanged = false;
    ZoomPercent = 100;
    form_.ApplyZoom();
    return true;
}

void TAnalysis::PutBack(const TFullPicture& Full) {
    form_.Daz95->Bitmap()->Assign(&Full.Bitmap);
    ImageWidth = Full.Width;
    ImageHeight = Full.Height;
    ImageBitCount = Full.BitCount;
    form_.ApplyZoom();
    form_.RefreshImage();
}

void TAnalysis::Duplicate() {
    TScopedFlag quiet(batch_8900::BatchRunning, true);
    form_.mnuDuplicateClick(&form_);
}

void TAnalysis::SwapBack() {
    TScopedFlag quiet(batch_8900::BatchRunning, true);
    form_.mnuSwapClick(&form_);
}

double TAnalysis::ChangeOf(int64_t SumSq) {
    DifferenceSumSq = double(SumSq);
    return ChangeIndex(DifferenceSumSq, pixels_);
}

bool TAnalysis::DuplicateFits() {
    if (form_.Ok2ComputeFull())
        return true;
    form_.ShowTwoImageRefusal();
    return false;
}

double TAnalysis::MeasureJpegChange() {
    Duplicate();
    if (!DuplicateFits())
        return ChangeOf(0);
    AddArtifactBitmap(*DuplicateBitmap, AnalysisJpegQuality);
    // A codec failure may leave the copy at another size.
    if (!DuplicateFits())
        return ChangeOf(0);
    return ChangeOf(SumSquaredDifferences(*form_.Daz95->Bitmap(), *DuplicateBitmap));
}

double TAnalysis::MeasureChangeInto(const std::function<int64_t(const TBitmap&, TBitmap&)>& Filter) {
    // The duplicate normally fits already (the JPEG step's copy): the filter
    // then needs no memory of its own.
    if (!form_.Ok2ComputeFull())
        Duplicate();
    if (!DuplicateFits())
        return ChangeOf(0);
    return ChangeOf(Filter(*form_.Daz95->Bitmap(), *DuplicateBitmap));
}

int64_t TAnalysis::MeasureComplexity() {
    Duplicate();
    const int64_t rating = ComplexityIndex(form_.Daz95, AnalysisJpegQuality);
    SwapBack();
    return rating;
}

void TAnalysis::Report(TPassReport& Report, bool Region) {
    auto& lines = Report.Lines;
    const bool comparing = mode_.Compare;
    const auto blankUnlessComparing = [&] {
        if (!comparing)
            lines.emplace_back();
    };
    std::string name = "Filename: " + ExtractFileName(FileName);
    // The JPEG scaling only alters pictures read from JPEG files.
    const bool scaled = JPEGScaleOn && ExtInList(FileExt, ".JPEG.JPG", "");
    if (ImageChanged || scaled || FitWindow)
        name += " (modified)";
    else if (Region)
        name += " (region of interest)";
    lines.push_back(name);
    lines.push_back("Location: " + ExtractFilePath(FileName));
    blankUnlessComparing();

    const TChannelSummary red = SummariseChannel(HistSumR, HistSumSqR, HistCount);
    const TChannelSummary green = SummariseChannel(HistSumG, HistSumSqG, HistCount);
    const TChannelSummary blue = SummariseChannel(HistSumB, HistSumSqB, HistCount);
    if (!comparing) {
        lines.push_back(StatisticsLine("Red", red));
        lines.push_back(StatisticsLine("Grn", green));
        lines.push_back(StatisticsLine("Blu", blue));
        lines.emplace_back();
        lines.push_back(StatisticsLine("Gry", SummariseChannel(HistSumLum, HistSumSqLum, HistCount)));
        lines.push_back(StatisticsLine("Sat", SummariseChannel(HistSumSat, HistSumSqSat, HistCount)));
        lines.push_back(StatisticsLine("Hue", SummariseChannel(HistSumHue, HistSumSqHue, HistCount)));
    }

    const int gamut[3] = {red.Gamut, green.Gamut, blue.Gamut};
    const int levels[3] = {UsedLevels(HistR), UsedLevels(HistG), UsedLevels(HistB)};
    const double unique = EstimatedUniqueColours(gamut, levels);
    blankUnlessComparing();
    lines.push_back("Estimated Unique Colors: " + std::to_string(Round(unique)));

    const int64_t fileSize = FileBytes(FileName);
    const double ratio = CompressionRatio(RawPictureSize(pixels_, gamut), fileSize);
    blankUnlessComparing();
    lines.push_back("Filesize: " + std::to_string(fileSize) + " bytes (" + RatioText(ratio) + " : 1 compression)");

    const double diversity = ColourDiversityIndex(unique);
    blankUnlessComparing();
    lines.push_back("Color Diversity Index = " + FixedSix(diversity) + " (higher is better)");

    const double jqi = MeasureJpegChange();
    lines.push_back("JPEG Quality Index = " + FixedSix(jqi) + " (higher is better)");
    const double si = MeasureChangeInto([](const TBitmap& picture, TBitmap& duplicate) {
        return GaussianBlur3x3Into(picture, duplicate, 0, 9, false);
    });
    lines.push_back("Smoothness Index = " + FixedSix(si) + " (lower is softer)");
    const double di = MeasureChangeInto([](const TBitmap& picture, TBitmap& duplicate) {
        const int divisor = SetMeanRemovalKernel(2);
        return Spatial3x3Into(picture, duplicate, SpatialKernel, divisor);
    });
    lines.push_back("Detail Index = " + FixedSix(di) + " (higher is sharper)");
    const double rating = OverallRating(jqi, diversity, si, di);
    blankUnlessComparing();
    lines.push_back("Overall Rating = " + RatingText(rating) + " (higher is better)");

    if (mode_.Shift) {
        const int64_t complexity = MeasureComplexity();
        lines.emplace_back();
        lines.push_back("Complexity Rating = " + std::to_string(complexity) + " (higher has more texture)");
    }
    Report.Ratings = TPassRatings{pixels_, fileSize, jqi, si, di, rating};
}

// The user's duplicate parked while the analysis borrows the duplicate, and
// given back on every way out (RestoreDuplicateFromTemp), as TDuplicateLoan
// does, but its memory is handed over rather than copied: the analysis copies
// the picture into the duplicate before it reads it.
class TDuplicateHandOver {
public:
    explicit TDuplicateHandOver(TWebForm& Form) : form_(Form) {
        ParkedDuplicate.reset();
        if (!DuplicateBitmap || LabEmpty(*DuplicateBitmap))
            return;
        ParkedDuplicate = std::make_unique<TBitmap>();
        ParkedDuplicate->SetHandle(DuplicateBitmap->ReleaseHandle());
    }
    ~TDuplicateHandOver() { form_.RestoreDuplicateFromTemp(); }
    TDuplicateHandOver(const TDuplicateHandOver&) = delete;
    TDuplicateHandOver& operator=(const TDuplicateHandOver&) = delete;

private:
    TWebForm& form_;
};

void AddLines(const std::vector<std::string>& Lines) {
    for (const std::string& line : Lines)
        ReportLines.Add(line);
}

std::string Joined(const std::vector<std::string>& Lines) {
    std::string text;
    for (size_t i = 0; i < Lines.size(); ++i)
        text += (i ? "\n" : "") + Lines[i];
    return text;
}

void SaveAndOpenReport() {
    const std::string path = ProgramFolder() + "ImageReport.txt";
    try {
        ReportLines.SaveToFile(path);
    } catch (const Exception& error) {
        voMessageDlg("", "", error.Message(), mtError, mbOKOnly, AutoDefaultButton, 0);
        return;
    }
    OpenWithDesktop(path);
}

}  // namespace

void TWebForm::mnuAnalyzeClick(QObject* Sender, Qt::KeyboardModifiers Keys) {
    TAnalysisMode mode;
    mode.Region = SelectionShown;
    mode.Shift = !MediaMode && (Keys & Qt::ShiftModifier);
    bool control = !MediaMode && (Keys & Qt::ControlModifier);
    if (ImageHistoryList.Count() < 2)
        control = false;
    if (Sender != btnInfo && ImageHistoryList.Count() == 2)
        control = true;
    mode.Compare = control;
    if (mode.Region)
        ZoomRegion = LastSelection;
    if (Sender == btnInfo && !control && !mode.Shift) {
        mnuImageInfoClick(Sender);
        return;
    }
    ReportLines.Clear();
    TDuplicateHandOver loan(*this);
    TAnalysis analysis(*this, mode);
    TPassReport first;
    if (!analysis.RunPass(first))
        return;
    AddLines(first.Lines);
    TempStr = Joined(first.Lines);
    if (mode.Compare) {
        ReportLines.Add("");
        ReportLines.Add("");
        btnNextImageClick(this);
        for (int i = 0; i < 3; ++i)
            Application.ProcessMessages();
        TPassReport second;
        if (!analysis.RunPass(second))
            return;
        AddLines(second.Lines);
        TempStr = Joined(second.Lines);
        const TVerdict verdict = CompareVerdict(first.Ratings, second.Ratings);
        if (verdict != TVerdict::None) {
            const std::string& better = verdict == TVerdict::First ? first.FileName : second.FileName;
            ReportLines.Add("");
            ReportLines.Add(ExtractFilePath(better));
            ReportLines.Add(ExtractFileName(better) + " is better.");
        }
        SaveAndOpenReport();
        return;
    }
    if (voMessageDlg("", "", TempStr + "\n\n" + "Save to text file?", mtInformation, mbYesNo, AutoDefaultButton,
                     0) == mrYes)
        SaveAndOpenReport();
}

}  // namespace lumvor
