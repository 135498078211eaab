// The save dialog of lists, scripts and catalogs: "Help" and "Recent" below
// the standard controls (see TRecentDialogEx).
#pragma once

#include "ui/MeDialogs.h"

namespace lumvor {

class TMeSaveDialogEx : public TRecentDialogEx<TMeSaveDialog> {
public:
    explicit TMeSaveDialogEx(QObject* owner = nullptr);
    bool Execute() override;
};

}  // namespace lumvor
