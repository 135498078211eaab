#include "ui/MenuItems.h"

namespace lumvor {

TMenuItem* PendingMenuItem(QObject* owner, QMenu* menu, const char* name, const char* caption,
                           QKeyCombination shortcut) {
    auto* item = new TMenuItem(caption, owner);
    item->setObjectName(name);
    if (shortcut != QKeyCombination())
        item->setShortcut(QKeySequence(shortcut));
    item->setProperty(PendingProperty, true);
    item->setEnabled(false);
    if (menu)
        menu->addAction(item);
    return item;
}

TMenuItem* SubMenuItem(QMenu* parent, QWidget* owner, const char* name, const char* caption, QMenu** menuOut) {
    auto* menu = new QMenu(QString::fromUtf8(caption), owner);
    menu->setObjectName(QString(name) + "Menu");
    auto* item = new TMenuItem(caption, owner);
    item->setObjectName(name);
    item->setMenu(menu);
    if (parent)
        parent->addAction(item);
    if (menuOut)
        *menuOut = menu;
    return item;
}

}  // namespace lumvor
