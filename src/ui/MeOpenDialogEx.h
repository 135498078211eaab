// The open dialog of lists, scripts and catalogs: "Help" and "Recent" below
// the standard controls (see TRecentDialogEx).
#pragma once

#include "ui/MeDialogs.h"

namespace lumvor {

class TMeOpenDialogEx : public TRecentDialogEx<TMeOpenDialog> {
public:
    explicit TMeOpenDialogEx(QObject* owner = nullptr);
    bool Execute() override;
};

}  // namespace lumvor
