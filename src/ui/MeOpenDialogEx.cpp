#include "ui/MeOpenDialogEx.h"

namespace lumvor {

TMeOpenDialogEx::TMeOpenDialogEx(QObject* owner) : TRecentDialogEx<TMeOpenDialog>(owner) {}

bool TMeOpenDialogEx::Execute() {
    TemplateName = "MRU_OPNTEMPLATE";
    return TRecentDialogEx<TMeOpenDialog>::Execute();
}

}  // namespace lumvor
