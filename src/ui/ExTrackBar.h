// A track bar that writes value labels at its ticks.
//
// Labels are drawn for every value strictly between Min and Max that is a
// multiple of LabelsInterval, centred on its tick, LabelsLeftTop pixels from the
// top (horizontal bar) or the left (vertical bar); with LabelsFirstLast also at
// the two ends. A label is the value multiplied (foMul) or divided and rounded
// half up (foDiv) by LabelsFactor, followed by LabelsText. Labels need automatic
// ticks: a bar painted with another tick style switches its labels off.
#pragma once

#include <QRect>
#include <QString>

#include <string>
#include <vector>

#include "platform/ComCtrls.h"

namespace lumvor {

enum TLabelsFactorOperation { foMul, foDiv };

// One value label: its text and where it is drawn.
struct TTrackLabel {
    int Value;
    QString Text;
    QRect Rect;
};

class TExTrackBar : public TTrackBar {
public:
    explicit TExTrackBar(QWidget* owner = nullptr);

    bool ShowFocusRect() const { return showFocusRect_; }
    void SetShowFocusRect(bool value);
    bool Labels() const { return labels_; }
    // Switching labels on moves top/left tick marks to the bottom/right and makes
    // the ticks automatic.
    void SetLabels(bool value);
    bool LabelsFirstLast() const { return labelsFirstLast_; }
    void SetLabelsFirstLast(bool value);
    int LabelsLeftTop() const { return labelsLeftTop_; }
    void SetLabelsLeftTop(int value);
    const std::string& LabelsText() const { return labelsText_; }
    void SetLabelsText(const std::string& value);
    int LabelsFactor() const { return labelsFactor_; }
    void SetLabelsFactor(int value);
    TLabelsFactorOperation LabelsFactorOperation() const { return labelsFactorOperation_; }
    void SetLabelsFactorOperation(TLabelsFactorOperation value);
    int LabelsInterval() const { return labelsInterval_; }
    // Values below 1 store 1.
    void SetLabelsInterval(int value);
    bool SelEnable() const { return selEnable_; }
    void SetSelEnable(bool value);

    // The label text of a value.
    QString LabelText(int value) const;
    // The labels as they are drawn now (none while Labels is off).
    std::vector<TTrackLabel> LabelItems() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool showFocusRect_ = false;
    bool labels_ = true;
    bool labelsFirstLast_ = true;
    int labelsLeftTop_ = 30;
    std::string labelsText_;
    int labelsFactor_ = 1;
    TLabelsFactorOperation labelsFactorOperation_ = foMul;
    int labelsInterval_;
    bool selEnable_ = false;
};

}  // namespace lumvor
