#include "ui/MeDialogs.h"

#include "platform/Forms.h"

#include <QGridLayout>
#include <QLineEdit>

namespace lumvor {

bool TMeOpenDialog::Execute() { return RunDialog(SaveVariant()); }

TRecentHelpButtons::TRecentHelpButtons(TAMCommonDialog& owner, QWidget* panel, bool* executeRecent)
    : FHelp(new QPushButton("Help", panel)), FRecent(new QPushButton("Recent", panel)) {
    FHelp->setObjectName("FHelp");
    FRecent->setObjectName("FRecent");
    FRecent->setToolTip("Click for recent folders.");
    for (QPushButton* button : {FHelp, FRecent}) {
        button->resize(96, 24);
        button->setAutoDefault(false);
    }
    ConnectGuarded(FRecent, &QPushButton::clicked, &owner, [&owner, executeRecent] {
        *executeRecent = true;
        if (owner.Handle())
            owner.Handle()->reject();
    });
    ConnectGuarded(FHelp, &QPushButton::clicked, &owner,
                   [&owner] { Application.HelpContext(owner.HelpContext); });
}

void TRecentHelpButtons::Place(THookedFileDialog& dialog, QWidget& panel) {
    const QRect cancel = ControlRectIn(dialog.CancelButton(), panel);
    if (cancel.isEmpty())
        return;
    FHelp->setGeometry(cancel.left(), 4, cancel.width(), FRecent->height());
    FRecent->setGeometry(cancel.left(), FHelp->y() + FRecent->height() + 4, cancel.width(), FRecent->height());
}

std::unique_ptr<QWidget> NewExtraPanel(const char* name) {
    auto panel = std::make_unique<QWidget>();
    panel->setObjectName(name);
    return panel;
}

namespace {
QGridLayout* GridOf(THookedFileDialog& dialog) { return qobject_cast<QGridLayout*>(dialog.layout()); }
}  // namespace

void AddPanelBelow(THookedFileDialog& dialog, QWidget& panel) {
    if (QGridLayout* grid = GridOf(dialog)) {
        grid->addWidget(&panel, grid->rowCount(), 0, 1, grid->columnCount());
        panel.show();
    }
}

void AddPanelRight(THookedFileDialog& dialog, QWidget& panel) {
    if (QGridLayout* grid = GridOf(dialog)) {
        // Beside the folder row and the file list, so its bottom is the list's.
        grid->addWidget(&panel, 0, grid->columnCount(), 2, 1);
        panel.show();
    }
}

void TakePanelBack(QWidget& panel) {
    panel.hide();
    panel.setParent(nullptr);
}

void ClearShortcutName(THookedFileDialog& dialog, const std::string& currentName) {
    QLineEdit* edit = dialog.FileNameEdit();
    if (edit && (IsShortcutName(currentName) || IsShortcutName(edit->text().toStdString())))
        edit->clear();
}

QRect ControlRectIn(const QWidget* control, const QWidget& panel) {
    if (!control)
        return {};
    return QRect(control->mapTo(panel.window(), QPoint(0, 0)) - panel.mapTo(panel.window(), QPoint(0, 0)),
                 control->size());
}

}  // namespace lumvor

#include <QToolTip>

namespace lumvor {
void HideHintWindow() { QToolTip::hideText(); }
}  // namespace lumvor
