#include "ui/MeSaveDialogEx.h"

namespace lumvor {

TMeSaveDialogEx::TMeSaveDialogEx(QObject* owner) : TRecentDialogEx<TMeSaveDialog>(owner) {}

bool TMeSaveDialogEx::Execute() {
    TemplateName = "MRU_DLGTEMPLATE";
    return TRecentDialogEx<TMeSaveDialog>::Execute();
}

}  // namespace lumvor
