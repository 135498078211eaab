// The image window's choice of the slide effects of bookmark shows.
#include "app/SlideEffects.h"
#include "app/lumv8900.h"
#include "album/show8900.h"
#include "platform/Menus.h"
#include "platform/Registry.h"
#include "ui/listdlg_y.h"

#include <string>

namespace lumvor {

using namespace lumv8900;

void TWebForm::mnuSlideEffectsClick(QObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(mnuBookmarksRun))
        item->Tag = 1;  // the catalogue has been asked for
    if (EffectNames.Count() < 100)
        PopulateEffectsList();
    if (Sender && Sender == mnuHistorySlideshow)
        return;

    TRegistry registry;
    registry.OpenKey(SettingsKey, true);
    const TSelectedEffects stored = ReadSelectedEffects(registry);
    for (int i = 0; i < stored[255]; ++i) EffectsList[stored[size_t(i)]].Reserved[0] = 1;
    if (dynamic_cast<TShowForm*>(Sender))
        return;  // the album only loads the selection

    const std::string caption =
        "Select from " + std::to_string(EffectNames.Count() - 1) + " Transitions Effects";
    if (ExecuteListDlg(0, 300, caption, EffectNames) == -1)
        return;
    const TSelectedEffects chosen = SelectedEffectsOfList();
    registry.WriteBinaryData(SelectedEffectsValue, chosen.data(), int(chosen.size()));
}

}  // namespace lumvor
