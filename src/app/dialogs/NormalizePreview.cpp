// The filter dialog's preview rows of the statistics-driven methods: the
// remaps 410..416 and the colour balancing 429 and 499 (the exposure fixes'
// rows 139 and 420..423 live with the other rows). Each normalises the pane with the statistics of the viewer
// picture, the picture the command will change, so that the pane shows that
// part of the command's result; the mask and blend steps use the command's
// own weights, and the rows leave FilterCustom1..3 as the command reads them.
#include "app/dialogs/FilterPreview.h"

#include "app/dialogs/filter_8900.h"
#include "app/lumv8900.h"
#include "processing/dialogs/FilterDlgModel.h"
#include "processing/lab/Conform.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"
#include "ui/Pix.h"

#include <map>

namespace lumvor {

namespace {

TBitmap& Pane(TFilterPreviewRun& run) { return *run.After->Bitmap(); }

// The histogram sums of the viewer picture (maps reset first).
void MeasureViewer(TFilterPreviewRun& run, bool Saturation) {
    ResetMaps();
    run.Form.DoCalcHistogram(run.Form.Daz95, Saturation, true, false);
}

void ReturnSliders(const TFilterPreviewRun& run) { SetFilterCustoms(run.S[0], run.S[1], run.S[2]); }

}  // namespace

void AddNormalizePreviews(std::map<int32_t, TFilterPreviewRoutine>& r) {
    // The remaps to the sliders' mean and spread: 410 all three channels,
    // 411..413 one, 414 saturation, 415 lightness.
    for (int method = 410; method <= 415; ++method)
        r[method] = [method](TFilterPreviewRun& run) {
            MeasureViewer(run, method == 414);
            if (method == 410) {
                for (int k = 0; k < 3; ++k)
                    NormalizeBitmap(Pane(run), k, run.S[0], run.S[1]);
            } else {
                const int channel = method == 414   ? NormalizeSaturation
                                    : method == 415 ? NormalizeLightness
                                                    : method - 411;
                NormalizeBitmap(Pane(run), channel, run.S[0], run.S[1]);
            }
            SetRemapExtras(run);
        };
    // Each channel moved by the sliders' distance from their starts.
    r[416] = [](TFilterPreviewRun& run) {
        const int meanOffset = run.S[0] - run.Starts[0], deviationOffset = run.S[1] - run.Starts[1];
        MeasureViewer(run, false);
        for (int k = 0; k < 3; ++k) {
            const TRoundedStats own = ChannelStats(k);
            FilterCustom1 = own.Mean + meanOffset;
            FilterCustom2 = own.Deviation + deviationOffset;
            NormalizeBitmap(Pane(run), k, FilterCustom1, FilterCustom2);
        }
        SetRemapExtras(run);
    };
    // RGB Remap: the three sliders are the channels' target means; the spreads stay.
    r[429] = [](TFilterPreviewRun& run) {
        MeasureViewer(run, false);
        for (int k = 0; k < 3; ++k)
            NormalizeBitmap(Pane(run), k, run.S[size_t(k)], ChannelStats(k).Deviation);
        ReturnSliders(run);
    };
    // Normalize / Reference: all three channels to the sliders' mean and spread.
    r[499] = [](TFilterPreviewRun& run) {
        MeasureViewer(run, false);
        for (int k = 0; k < 3; ++k)
            NormalizeBitmap(Pane(run), k, run.S[0], run.S[1]);
        AveragedPreview(run, run.S[2]);
        ReturnSliders(run);
    };
}

}  // namespace lumvor
