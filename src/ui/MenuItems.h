// Building menus whose commands arrive one by one: an item is created with its
// name, caption and shortcut, disabled and marked pending, and is enabled when
// a command is wired to it.
#pragma once

#include "platform/Forms.h"
#include "platform/Menus.h"

#include <QKeySequence>
#include <QMenu>
#include <QToolButton>

namespace lumvor {

// The property that marks an item or button whose command is not built yet.
inline constexpr const char* PendingProperty = "Pending";

// A disabled, pending item named name, added to menu when one is given.
TMenuItem* PendingMenuItem(QObject* owner, QMenu* menu, const char* name, const char* caption,
                           QKeyCombination shortcut = QKeyCombination());

// An item that opens a sub-menu (named name + "Menu"), added to parent when one
// is given; menuOut receives the sub-menu when given.
TMenuItem* SubMenuItem(QMenu* parent, QWidget* owner, const char* name, const char* caption, QMenu** menuOut);

// Gives an item its command: enabled, no longer pending, the handler called
// with the item on every trigger (inside the exception guard).
template <typename Handler>
void WireMenuItem(QObject* context, QAction* item, Handler handler) {
    item->setProperty(PendingProperty, false);
    item->setEnabled(true);
    ConnectGuarded(item, &QAction::triggered, context, [item, handler] { handler(item); });
}

// Gives a tool button its command in the same way: enabled, no longer
// pending, the handler called with the button on every click.
template <typename Handler>
void WireToolButton(QObject* context, QToolButton* button, Handler handler) {
    button->setProperty(PendingProperty, false);
    button->setEnabled(true);
    ConnectGuarded(button, &QToolButton::clicked, context, [button, handler] { handler(button); });
}

}  // namespace lumvor
