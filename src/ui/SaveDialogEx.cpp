#include "ui/SaveDialogEx.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <QComboBox>
#include <QLabel>

#include <algorithm>

namespace lumvor {

TSaveDialogEx::TSaveDialogEx(QObject* owner)
    : TRecentDialogEx<TMeSaveDialog>(owner),
      FCompress(new QPushButton("Compress:    ", JPanel.get())),
      CheckPJpeg(new QCheckBox(JPanel.get())),
      JPEGscroll(new QScrollBar(Qt::Horizontal, JPanel.get())) {
    FCompress->setObjectName("FCompress");
    FCompress->setToolTip("Click for Advanced JPEG Compression");
    FCompress->setAutoDefault(false);
    FCompress->setGeometry(4, 4, 96, 24);
    CheckPJpeg->setObjectName("CheckPJpeg");
    CheckPJpeg->setChecked(true);
    CheckPJpeg->setGeometry(4, 4, 128, 24);
    JPEGscroll->setObjectName("JPEGscroll");
    JPEGscroll->setRange(1, 99);
    JPEGscroll->setValue(25);
    JPEGscroll->setPageStep(5);
    JPEGscroll->setToolTip("99 = maximum compression");
    JPEGscroll->setGeometry(128, 4, 248, 23);
    ConnectGuarded(JPEGscroll, &QScrollBar::valueChanged, this, [this](int value) {
        compressQuality_ = value;
        ShowCompressCaption();
    });
    ConnectGuarded(FCompress, &QPushButton::clicked, this, [this] {
        if (!HTML && CanUseWizard) {
            WizardSelected = true;
            if (Handle())
                Handle()->reject();
        }
    });
}

void TSaveDialogEx::SetCompressQuality(int quality) {
    compressQuality_ = std::clamp(quality, 1, 99);
    JPEGscroll->setValue(compressQuality_);
    ShowCompressCaption();
}

void TSaveDialogEx::ShowCompressCaption() { FCompress->setText(QString("Compress: %1").arg(compressQuality_)); }

bool TSaveDialogEx::Execute() {
    TemplateName = "98_SAVEDLG";
    return TRecentDialogEx<TMeSaveDialog>::Execute();
}

void TSaveDialogEx::ForceHtmlControls() {
    for (QWidget* control : std::initializer_list<QWidget*>{FCompress, CheckPJpeg, JPEGscroll}) {
        control->setVisible(true);
        control->setEnabled(true);
    }
    FCompress->setToolTip(QString());
}

void TSaveDialogEx::DoShow() {
    CheckPJpeg->setText("&Progressive");
    CheckPJpeg->setEnabled(EnableProgressive);
    ShowCompressCaption();
    JPEGscroll->setVisible(EnableScrollbar);
    FCompress->setVisible(EnableScrollbar && CanUseWizard);
    if (FCompress->isVisibleTo(JPanel.get()))
        FCompress->raise();
    if (Handle())
        PlaceControls(*Handle());
    if (HTML)
        ForceHtmlControls();
    TRecentDialogEx<TMeSaveDialog>::DoShow();
}

void TSaveDialogEx::PlaceControls(THookedFileDialog& dialog) {
    TRecentDialogEx<TMeSaveDialog>::PlaceControls(dialog);
    const QRect combo = ControlRectIn(dialog.findChild<QComboBox*>("fileTypeCombo"), *JPanel);
    const QRect label = ControlRectIn(dialog.findChild<QLabel*>("fileTypeLabel"), *JPanel);
    if (combo.isEmpty())
        return;
    const int scrollWidth = combo.width() / 2 - 16;
    JPEGscroll->setGeometry(combo.left() + 16 + scrollWidth, JPEGscroll->y(), scrollWidth, JPEGscroll->height());
    FCompress->setGeometry(combo.left() + 16, FCompress->y(), scrollWidth - 8, FCompress->height());
    CheckPJpeg->move(std::max(0, label.left() - 4), CheckPJpeg->y());
}

void TSaveDialogEx::DoTypeChange() {
    TRecentDialogEx<TMeSaveDialog>::DoTypeChange();
    const std::string ext = LowerCase(HiddenDefaultExt);
    if (ext == "jpg" || HTML) {
        FCompress->setVisible(true);
        JPEGscroll->setVisible(true);
        CheckPJpeg->setEnabled(true);
        if (HTML)
            FCompress->setToolTip(QString());
        FCompress->raise();
    } else {
        FCompress->setVisible(false);
        JPEGscroll->setVisible(false);
        CheckPJpeg->setEnabled(ext == "png");
    }
}

}  // namespace lumvor
