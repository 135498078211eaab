#include "processing/dialogs/FilterDlgModel.h"

#include "imaging/Helpers.h"
#include "processing/dialogs/histogram_w.h"
#include "processing/script/LabState.h"
#include "processing/tonal/ColorMaps.h"
#include "processing/tonal/Histogram.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>

namespace lumvor {

namespace {

bool In(int32_t method, std::initializer_list<int32_t> codes) {
    return std::find(codes.begin(), codes.end(), method) != codes.end();
}

bool Between(int32_t method, int32_t low, int32_t high) { return method >= low && method <= high; }

// The masked-level composites reset to a band of 100 and a mask of 99.
bool IsMaskedLevel(int32_t method) { return In(method, {501, 502, 503, 531}); }

// The whole text as an integer, or false.
bool ParseInt(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last;
}

}  // namespace

TSliderNames SliderNamesOf(int32_t Method) {
    TSliderNames n;
    auto set = [&](std::array<std::string, 3> names, std::array<bool, 3> rows) {
        n.Names = std::move(names);
        n.Rows = rows;
    };
    const std::array<bool, 3> all{true, true, true};
    if (In(Method, {34, 244, 532})) {
        set({"", "", ""}, {false, false, false});
        n.ResetHidden = true;
    } else if (Method == 251) {
        n.Names[0] = "&Bits";
    } else if (In(Method, {230, 231, 241, 242, 243, 520})) {
        set({"&Filter", "&Effect", ""}, {true, true, false});
    } else if (IsMaskedLevel(Method)) {
        set({"&Band", "&Mask", ""}, {true, true, false});
    } else if (In(Method, {40, 42, 43, 116, 139})) {
        set({"", "", "&Mask"}, {false, false, true});
    } else if (In(Method, {101, 105})) {
        set({"&Gamma", "", "&Mask"}, {true, false, true});
    } else if (Method == 106) {
        set({"&Gamma", "&Saturation", "&Mask"}, all);
    } else if (Method == 9130) {
        set({"&Mask", "High&Lights", "&Gamma"}, all);
    } else if (Method == 134) {
        set({"&Shadows", "High&Lights", "&Mask"}, all);
    } else if (In(Method, {130, 133, 135})) {
        set({"&Shadows", "High&Lights", "&Gamma"}, all);
    } else if (Method == 510) {
        set({"&Blend", "&Field", ""}, {true, true, false});
    } else if (Between(Method, 410, 415)) {
        const char* first = Method == 411   ? "&Red"
                            : Method == 412 ? "&Green"
                            : Method == 413 ? "&Blue"
                            : Method == 414 ? "&Saturation"
                                            : "&Brightness";
        set({first, "&Contrast", ""}, {true, true, false});
    } else if (Method == 416 || Between(Method, 420, 423) || In(Method, {499, 8110, 8120, 9110, 9120})) {
        set({"&Brightness", "&Contrast", "&Mask"}, all);
    } else if (In(Method, {100, 102, 104, 110, 113, 114, 115, 120, 122, 131, 132, 429})) {
        set({"&Red  ", "&Green", "&Blue "}, all);
    } else if (In(Method, {156, 157})) {
        set({"&Red  ", "&Green", "&Blue "}, all);
        n.ColorPanels = true;
    } else if (Between(Method, 140, 143)) {
        set({"&Center", "&Band", "&Gain"}, all);
        n.ColorPanels = true;
    } else if (Between(Method, 151, 155)) {
        set({"H&ue band", "&Lum band", "&Sat band"}, all);
        n.ColorPanels = true;
    } else if (Method == 170) {
        set({"H&ue", "&Lum", "&Sat"}, all);
        n.ColorPanels = true;
    } else if (Method == 160) {
        n.Names[0] = "&Brightness";
        n.ColorPanels = true;
    } else if (Between(Method, 400, 403)) {
        set({"&Shadows", "&Median", "High&Lights"}, all);
        n.ColorPanels = true;
    }
    return n;
}

int TrackTickSpacing(int Min, int Max) {
    switch (Max) {
        case 500: return Min >= 0 ? 100 : 250;
        case 999: return 250;
        case 300: return 100;
        case 180: return 90;
        case 255: return 128;
        default: break;
    }
    if (Max >= 2 && Max <= 15)
        return 1;
    return Max / 4 + 1;
}

int32_t PackBand(int Band, int Component) { return int32_t(uint32_t(Band) << 16 | uint32_t(Component)); }

void SetFilterCustoms(int32_t First, int32_t Second, int32_t Third) {
    FilterCustom1 = First;
    FilterCustom2 = Second;
    FilterCustom3 = Third;
}

bool IsTwoImageMethod(int32_t Method) {
    return In(Method, {40, 42, 43, 101, 105, 106, 116, 134, 139, 160, 510, 520, 531, 532, 8110, 8120, 8130, 9110,
                       9120, 9130}) ||
           Between(Method, 151, 155) || Between(Method, 420, 423) || Between(Method, 499, 503);
}

// ---- Opening and set-up

void TFilterDlgModel::Open(const std::string& Caption_, const std::string& MinLabel_, const std::string& MaxLabel_,
                           const TFilterDlgParam& Param_) {
    Param = Param_;
    Original = Param_;
    CustomMin = Param_.Min1;
    CustomMax = Param_.Max1;
    ResetPositions = {Param_.Position1, Param_.Position1, Param_.Position1};
    Caption = Caption_;
    MinLabel = MinLabel_;
    MaxLabel = MaxLabel_;
    Method = Param_.MethodCode;
    Editing = Closing = Busy = OkEnabled = TimerOn = false;
    PreviewCount = 0;
    SaturationHistogram = false;
    SelectedColor = Param_.SelectedColor;
}

void TFilterDlgModel::SetupFilterGroupInterface() {
    group_ = FindFilterGroup(Param.MethodCode);
    GroupVisible = group_ != nullptr;
    GroupItems.clear();
    GroupIndex = 0;
    if (group_) {
        for (const TFilterGroupItem& item : group_->Items)
            GroupItems.emplace_back(item.Text);
        if (group_->HasStartChoice)
            GroupIndex = std::clamp(Param.StartChoice, 0, int(group_->Items.size()) - 1);
    }
    FilterGroupClick();
}

void TFilterDlgModel::GroupItemClicked(int Index) {
    if (!group_ || Index < 0 || Index >= int(group_->Items.size()) || Index == GroupIndex)
        return;
    GroupIndex = Index;
    FilterGroupClick();
}

void TFilterDlgModel::FilterGroupClick() {
    if (Closing)
        return;
    SyncVisible = true;
    SyncChecked = SyncEnabled = false;
    AlternateVisible = false;
    MaskChecked = MaskEnabled = false;
    for (TFilterSlider& s : Sliders)
        s.Visible = true;
    RowPlaces = {0, 1, 2};
    ColorPanelsVisible = false;
    resetOverrides_ = {};
    if (group_)
        SetupGroupMethod(*group_);
    else
        SetupSingleMethod();
    SetupFilterInterface();
    Reset();
}

void TFilterDlgModel::SetupSlider(int Row, int Min, int Max, int Position, int PageSize, int LineSize) {
    TFilterSlider& s = Sliders[size_t(Row)];
    s.Min = Min;
    s.Max = std::max(Min, Max);
    s.Position = std::clamp(Position, s.Min, s.Max);
    s.PageSize = PageSize;
    s.LineSize = LineSize;
    s.Frequency = TrackTickSpacing(s.Min, s.Max);
    s.UpDownMin = s.Min;
    s.UpDownMax = s.Max;
    // The up-downs hold 16-bit positions.
    s.UpDownPosition = int(int16_t(Position));
    s.EditText = std::to_string(s.Position);
    ResetPositions[size_t(Row)] = s.Position;
}

void TFilterDlgModel::SetupFilterInterface() {
    const TFilterDlgParam& p = Param;
    if (p.CustomSliders != 0) {
        SetupSlider(0, p.Min1, p.Max1, p.Position1, p.PageSize1, p.LineSize1);
        SetupSlider(1, p.Min2, p.Max2, p.Position2, p.PageSize2, p.LineSize2);
        SetupSlider(2, p.Min3, p.Max3, p.Position3, p.PageSize3, p.LineSize3);
        const std::array<std::pair<std::string, std::string>, 3> labels{
            {{p.MinLabel1, p.MaxLabel1}, {p.MinLabel2, p.MaxLabel2}, {p.MinLabel3, p.MaxLabel3}}};
        for (size_t i = 0; i < 3; ++i) {
            Sliders[i].MinLabel = labels[i].first;
            Sliders[i].MaxLabel = labels[i].second;
        }
    } else {
        for (int row = 0; row < 3; ++row) {
            SetupSlider(row, p.Min1, p.Max1, p.Position1, p.PageSize1, p.LineSize1);
            Sliders[size_t(row)].MinLabel = MinLabel.empty() ? std::to_string(p.Min1) : MinLabel;
            Sliders[size_t(row)].MaxLabel = MaxLabel.empty() ? std::to_string(p.Max1) : MaxLabel;
        }
    }
    for (size_t row = 0; row < 3; ++row)
        if (resetOverrides_[row])
            ResetPositions[row] = *resetOverrides_[row];
    CustomMin = Sliders[0].Min;
    CustomMax = Sliders[0].Max;
    const TSliderNames names = SliderNamesOf(Method);
    for (size_t i = 0; i < 3; ++i) {
        Sliders[i].Name = names.Names[i];
        Sliders[i].Visible = names.Rows[i];
    }
    ResetVisible = !names.ResetHidden;
    ColorPanelsVisible = names.ColorPanels;
    if (names.ColorPanels)
        SelectedColor = p.SelectedColor;
    OkEnabled = false;
}

std::array<int, 3> TFilterDlgModel::Positions() const {
    return {Sliders[0].Position, Sliders[1].Position, Sliders[2].Position};
}

void TFilterDlgModel::SetSlider(int Row, int Position) {
    TFilterSlider& s = Sliders[size_t(Row)];
    s.Position = std::clamp(Position, s.Min, s.Max);
}

void TFilterDlgModel::ShowPositionsInEdits(bool OnlyDiffering) {
    for (TFilterSlider& s : Sliders) {
        const std::string text = std::to_string(s.Position);
        if (!OnlyDiffering || s.EditText != text)
            s.EditText = text;
        // An up-down steps from the number its edit shows.
        s.UpDownPosition = s.Position;
    }
}

// ---- The user's actions

void TFilterDlgModel::SliderChanged(int Row, int Position) {
    if (Closing)
        return;
    SetSlider(Row, Position);
    TFilterSlider& changed = Sliders[size_t(Row)];
    if (!SyncOn()) {
        if (changed.EditText == std::to_string(changed.Position))
            return;
        changed.EditText = std::to_string(changed.Position);
        changed.UpDownPosition = changed.Position;
        // Lets the bar's pending moves through before the timer starts.
        for (int i = 0; i < 3 && OnProcessMessages; ++i)
            OnProcessMessages();
        StartTimer();
        return;
    }
    for (int row = 0; row < 3; ++row)
        if (row != Row)
            SetSlider(row, changed.Position);
    ShowPositionsInEdits(true);
    StartTimer();
}

void TFilterDlgModel::SliderMouseUp(int Row, bool RightButton) {
    if (!RightButton && !Editing)
        SliderChanged(Row, Sliders[size_t(Row)].Position);
}

void TFilterDlgModel::SliderEnter() { Editing = false; }

void TFilterDlgModel::UpDownClicked(int Row, int Position) {
    if (Closing)
        return;
    if (SyncOn()) {
        for (int row = 0; row < 3; ++row)
            SetSlider(row, Position);
        ShowPositionsInEdits(true);
    } else {
        SetSlider(Row, Position);
        Sliders[size_t(Row)].EditText = std::to_string(Sliders[size_t(Row)].Position);
        Sliders[size_t(Row)].UpDownPosition = Sliders[size_t(Row)].Position;
    }
    StartTimer();
}

void TFilterDlgModel::EditKeyDown() { Editing = true; }

bool TFilterDlgModel::EditKeyUp(bool Enter) {
    if (!Enter)
        return false;
    Editing = false;
    return true;
}

void TFilterDlgModel::EditChanged(int Row, const std::string& Text) {
    if (Closing)
        return;
    TFilterSlider& s = Sliders[size_t(Row)];
    int value = 0;
    if (Text.empty()) {
        s.EditText = Text;
    } else if (ParseInt(Text, value)) {
        s.EditText = Text;
        // The up-down steps from the number its edit shows.
        s.UpDownPosition = std::clamp(value, s.UpDownMin, std::max(s.UpDownMin, s.UpDownMax));
    } else {
        s.EditText = std::to_string(s.Position);
    }
    Editing = false;
}

void TFilterDlgModel::EditEnter(int Row) {
    if (Closing)
        return;
    TFilterSlider& s = Sliders[size_t(Row)];
    int value = 0;
    if (!ParseInt(s.EditText, value))
        value = s.Position;
    const int low = Row == 0 ? CustomMin : s.Min;
    const int high = Row == 0 ? CustomMax : s.Max;
    value = std::clamp(value, low, std::max(low, high));
    s.EditText = std::to_string(value);
    SetSlider(Row, value);
    s.UpDownPosition = s.Position;
    if (SyncOn()) {
        for (int row = 0; row < 3; ++row)
            SetSlider(row, value);
        ShowPositionsInEdits(true);
    }
    StartTimer();
}

void TFilterDlgModel::SyncClicked(bool Checked) { SyncChecked = Checked; }

void TFilterDlgModel::MaskClicked(bool Checked) {
    MaskChecked = Checked;
    if (!Closing)
        StartTimer();
}

void TFilterDlgModel::Reset() {
    if (IsMaskedLevel(Method)) {
        SetSlider(0, 100);
        SetSlider(1, 99);
    } else {
        for (int row = 0; row < 3; ++row)
            SetSlider(row, ResetPositions[size_t(row)]);
    }
    ShowPositionsInEdits(false);
    RunPreview();
}

void TFilterDlgModel::Pick(uint8_t Red, uint8_t Green, uint8_t Blue) {
    SelectedColor = RGB(Red, Green, Blue);
    SelectedTextColor = RGB(255 - Red, 255 - Green, 255 - Blue);
    SetFilterCustoms(Red, Green, Blue);
    THLS hls;
    RGBToHLS(Red, Green, Blue, hls);
    PickedHue = hls.Hue;
    PickedLightness = hls.Lightness;
    PickedSaturation = hls.Saturation;
    const std::array<int, 3> rgb{Red, Green, Blue};
    const int middle = (std::max({Red, Green, Blue}) + std::min({Red, Green, Blue})) / 2;
    if (Between(Method, 151, 157)) {
        Param.SelectedColor = SelectedColor;
        if (!Closing)
            StartTimer();
    } else if (Method == 160) {
        Reset();
    } else if (Between(Method, 400, 403)) {
        SetSlider(1, Method == 400 ? middle : rgb[size_t(Method - 401)]);
        ResetPositions[1] = Sliders[1].Position;
        Reset();
    } else if (Method == 115) {
        for (int row = 0; row < 3; ++row) {
            SetSlider(row, rgb[size_t(row)]);
            ResetPositions[size_t(row)] = Sliders[size_t(row)].Position;
        }
        Reset();
    } else if (Between(Method, 140, 143)) {
        SetSlider(0, Method == 140 ? middle : rgb[size_t(Method - 141)]);
        ResetPositions[0] = Sliders[0].Position;
        Reset();
    }
}

void TFilterDlgModel::MaskColorChosen(uint8_t Red, uint8_t Green, uint8_t Blue) {
    MaskColor = RGB(Red, Green, Blue);
    MaskTextColor = RGB(255 - Red, 255 - Green, 255 - Blue);
    SetFilterCustoms(Red, Green, Blue);
    Reset();
}

void TFilterDlgModel::CurveClicked() {
    SetFilterCustoms(Sliders[0].Position, Sliders[1].Position, Sliders[2].Position);
    if (In(Method, {151, 152, 155})) {
        RunPreview();
        return;
    }
    ResetMaps();
    const auto show = [this](const std::string& caption, bool saturation) {
        if (OnShowHistogram)
            OnShowHistogram(caption, saturation);
        else
            ExecuteHistogramDlg(caption, saturation);
    };
    if (Between(Method, 140, 143)) {
        for (int channel = 0; channel < 3; ++channel)
            if (Method == 140 || channel == Method - 141)
                SetEqLUT(FilterCustom1, FilterCustom2, FilterCustom3, channel);
        LUT2Histogram();
        show("Parametric EQ Curve", false);
    } else {
        show("Histogram [Original image]", SaturationHistogram);
    }
}

// ---- Scheduling

void TFilterDlgModel::StartTimer() {
    TimerOn = true;
    if (OnTimerStart)
        OnTimerStart();
}

void TFilterDlgModel::StopTimer() {
    TimerOn = false;
    if (OnTimerStop)
        OnTimerStop();
}

void TFilterDlgModel::TimerTick() {
    // While the user types the timer keeps running and tries again.
    if (Editing)
        return;
    StopTimer();
    if (Closing)
        return;
    const bool slow = In(Method, {4, 230, 231}) && !MaskChecked;
    if (slow)
        Screen.SetCursor(crHourGlass);
    RunPreview();
    StopTimer();
    if (slow)
        Screen.SetCursor(crDefault);
}

void TFilterDlgModel::RunPreview() {
    if (Closing || Busy)
        return;
    {
        TScopedFlag mark(Busy, true);
        if (OnPreview)
            OnPreview();
    }
    ++PreviewCount;
    OkEnabled = true;
}

void TFilterDlgModel::Apply() {
    Busy = true;
    StopTimer();
}

void TFilterDlgModel::Cancel() {
    Busy = true;
    StopTimer();
}

void TFilterDlgModel::Finish(bool Ok, TFilterDlgResult& Result) {
    Closing = true;
    StopTimer();
    if (!Ok) {
        Result[ResultValue] = LabCancelled;
        return;
    }
    Result[ResultValue] = Sliders[0].Position;
    if (Between(Method, 151, 155)) {
        SetFilterCustoms(PackBand(Sliders[0].Position, PickedHue), PackBand(Sliders[1].Position, PickedLightness),
                         PackBand(Sliders[2].Position, PickedSaturation));
    } else if (In(Method, {156, 157})) {
        SetFilterCustoms(MaskValues[0], MaskValues[1], MaskValues[2]);
    }
    Result[ResultCustom1] = FilterCustom1;
    Result[ResultCustom2] = FilterCustom2;
    Result[ResultCustom3] = FilterCustom3;
    Result[ResultExtra1] = filter_8900::LastExtras[0];
    Result[ResultExtra2] = filter_8900::LastExtras[1];
    Result[ResultMethod] = Method;
}

}  // namespace lumvor
