#include "ui/LookBoxEx.h"

#include <QAbstractItemView>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <algorithm>
#include <memory>

#include "imaging/Helpers.h"
#include "platform/Forms.h"
#include "platform/ShellIcons.h"
#include "platform/SysUtils.h"
#include "platform/Volumes.h"
#include "shell/StShellItems.h"

namespace lumvor {

namespace {

constexpr int kRoleObject = Qt::UserRole;
constexpr int kRoleCaption = Qt::UserRole + 1;
constexpr int kRoleImage = Qt::UserRole + 2;
constexpr int kIndent = 10;
constexpr int kIconSize = 16;

bool IsNetworkPath(const std::string& path) { return path.size() >= 2 && path[0] == '/' && path[1] == '/'; }

// The shell item of an existing path; nullptr when it cannot be made.
std::unique_ptr<TStShellItem> ItemOf(const std::string& path) {
    try {
        return TStShellItem::CreateFromPath(path);
    } catch (const Exception&) {
        return nullptr;
    }
}

// The folder whose icons stand for every folder: an ordinary folder that is not
// the root of a volume.
std::string PlainFolder() {
    for (const std::string& candidate : {QDir::homePath().toStdString(), std::string("/usr"), std::string("/tmp")}) {
        if (DirectoryExists(candidate) && MountPointOf(candidate) != candidate) return candidate;
    }
    return QDir::homePath().toStdString();
}

// Draws the entries of the drop-down through the box.
class TLookBoxDelegate : public QStyledItemDelegate {
public:
    explicit TLookBoxDelegate(TLookBoxEx* box) : QStyledItemDelegate(box), box_(box) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->fillRect(option.rect, option.palette.base());
        box_->DrawItem(*painter, option.rect, index.row(), option.state & QStyle::State_Selected,
                       option.state & QStyle::State_HasFocus, false);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QSize base = QStyledItemDelegate::sizeHint(option, index);
        return QSize(base.width() + kIndent * box_->ItemLevel(index.row()), box_->ItemHeight());
    }

private:
    TLookBoxEx* box_;
};

}  // namespace

TLookBoxEx::TLookBoxEx(QWidget* owner) : QComboBox(owner) {
    setObjectName("LookBoxEx");
    setEditable(false);
    setItemDelegate(new TLookBoxDelegate(this));
    resize(230, sizeHint().height());

    DesktopDir = SpecialFolderPath(sfDesktopDir);
    if (DesktopDir.empty()) DesktopDir = AddBackslash(QDir::homePath().toStdString());
    DesktopName = "Desktop";
    ComputerName = "Computer";
    DesktopIcon = SystemIconIndex(DesktopDir);
    ComputerIcon = SystemIconIndex("/");
    const std::string plain = PlainFolder();
    OpenFolderIcon = SystemIconIndex(plain, true);
    ClosedFolderIcon = SystemIconIndex(plain, false);
    UpdateItemHeight();

    folder_ = AddBackslash(QDir::currentPath().toStdString());
    for (const TVolumeInfo& volume : DriveList()) DriveMask.push_back(AddBackslash(volume.MountPoint));

    ConnectGuarded(this, &QComboBox::activated, this, [this](int index) { Activate(index); });
    BuildList();
}

void TLookBoxEx::SetNetworkSupport(bool Value) {
    networkSupport_ = Value;
    BuildList();
}

void TLookBoxEx::SetFolder(const std::string& Path) {
    const std::string path = AddBackslash(Path);
    if (path == folder_) return;
    folder_ = path;
    BuildList();
    if (OnChange) OnChange(this);
}

void TLookBoxEx::SetNetworkDrives(const TStrings& List) { networkDrives_.Assign(List); }

void TLookBoxEx::RefreshDrives() {
    DriveMask.clear();
    for (const TVolumeInfo& volume : DriveList()) DriveMask.push_back(AddBackslash(volume.MountPoint));
    BuildList();
}

bool TLookBoxEx::IsDriveItem(int Index) const {
    return Index >= 0 && Index < count() && ItemObject(Index) == ovDrive;
}

bool TLookBoxEx::IsNetworkItem(int Index) const {
    return Index >= 0 && Index < count() && (ItemObject(Index) & ovNetworkRoot) != 0;
}

std::string TLookBoxEx::ItemText(int Index) const { return itemText(Index).toStdString(); }

uint32_t TLookBoxEx::ItemObject(int Index) const { return itemData(Index, kRoleObject).toUInt(); }

int TLookBoxEx::ItemLevel(int Index) const {
    const uint32_t object = ItemObject(Index);
    if (object & ovNetworkRoot) return 2;
    if (object & ovNetworkFolder) return int((object / 4) & 0xFFF);
    return int(object / 4);
}

std::string TLookBoxEx::ItemCaption(int Index) const { return itemData(Index, kRoleCaption).toString().toStdString(); }

int TLookBoxEx::ItemImage(int Index) const { return itemData(Index, kRoleImage).toInt(); }

void TLookBoxEx::AddEntry(const std::string& Text, uint32_t Object) {
    std::string caption;
    int image = -1;
    const bool current = (Object & 1) != 0;
    if (Object == ovDesktop) {
        caption = DesktopName;
        image = DesktopIcon;
    } else if (Object == ovComputer) {
        caption = ComputerName;
        image = ComputerIcon;
    } else if (Object & ovNetworkRoot) {
        const auto item = ItemOf(Text);
        caption = item ? item->DisplayName : RemoveBackslash(Text);
        image = item ? item->ImageIndex : ClosedFolderIcon;
    } else if (Object & ovNetworkFolder) {
        const auto item = ItemOf(Text);
        const int level = int((Object / 4) & 0xFFF);
        if (level == 3) {
            caption = ExtractFileName(item ? item->Path : RemoveBackslash(Text));
            image = item ? item->ImageIndex : ClosedFolderIcon;
        } else {
            caption = item ? item->DisplayName : ExtractFileName(RemoveBackslash(Text));
            image = current ? OpenFolderIcon : ClosedFolderIcon;
        }
    } else {
        const auto item = ItemOf(Text);
        caption = item ? item->DisplayName : ExtractFileName(RemoveBackslash(Text));
        if (caption.empty()) caption = Text;
        image = item ? (current ? item->OpenImageIndex : item->ImageIndex) : -1;
        if (Object / 4 > 2) {
            if (!current)
                image = ClosedFolderIcon;
            else
                image = Text == DesktopDir ? DesktopIcon : OpenFolderIcon;
        }
    }
    addItem(QString::fromStdString(Text));
    const int index = count() - 1;
    setItemData(index, QVariant::fromValue<uint>(Object), kRoleObject);
    setItemData(index, QString::fromStdString(caption), kRoleCaption);
    setItemData(index, image, kRoleImage);
}

void TLookBoxEx::BuildList() {
    if (Closing) return;
    const QSignalBlocker quiet(this);
    setUpdatesEnabled(false);
    clear();
    AddEntry(DesktopDir, ovDesktop);
    AddEntry("", ovComputer);
    int selected = -1;
    auto addRoots = [this](int from) {
        for (int i = from; i < networkDrives_.Count(); ++i)
            AddEntry(AddBackslash(networkDrives_.At(i)), ovNetworkRoot + uint32_t(i));
    };
    // The entries of the folders below base down to the end of folder_, levels
    // counted from firstLevel; answers the index of the current folder.
    auto addChain = [this](size_t base, int firstLevel, uint32_t marker) {
        int current = -1;
        int level = firstLevel;
        for (size_t at = base; at < folder_.size();) {
            const size_t slash = folder_.find('/', at);
            const size_t end = slash == std::string::npos ? folder_.size() : slash + 1;
            if (end - at > 1) {  // skip empty components of a doubled "/"
                const bool last = end >= folder_.size();
                AddEntry(folder_.substr(0, end), marker + uint32_t(4 * level) + (last ? 1 : 0));
                if (last) current = count() - 1;
                ++level;
            }
            at = end;
        }
        return current;
    };

    if (folder_.empty()) {
        for (const std::string& drive : DriveMask) AddEntry(drive, ovDrive);
        if (networkSupport_) addRoots(0);
        selected = 1;
    } else if (!IsNetworkPath(folder_)) {
        const std::string drive = AddBackslash(MountPointOf(RemoveBackslash(folder_)));
        const auto found = std::find(DriveMask.begin(), DriveMask.end(), drive);
        // A folder outside the listed drives (or not absolute) shows no drives.
        if (found == DriveMask.end() || folder_.compare(0, drive.size(), drive) != 0) {
            setUpdatesEnabled(true);
            return;
        }
        for (auto it = DriveMask.begin(); it != found; ++it) AddEntry(*it, ovDrive);
        AddEntry(drive, ovDrive);
        selected = count() - 1;
        const int current = addChain(drive.size(), 3, 0);
        if (current >= 0) selected = current;
        for (auto it = found + 1; it != DriveMask.end(); ++it) AddEntry(*it, ovDrive);
        if (networkSupport_) addRoots(0);
    } else {
        for (const std::string& drive : DriveMask) AddEntry(drive, ovDrive);
        bool seen = false;  // the first root holding the folder was met
        if (networkSupport_) {
            for (int i = 0; i < networkDrives_.Count(); ++i) {
                const std::string root = AddBackslash(networkDrives_.At(i));
                AddEntry(root, ovNetworkRoot + uint32_t(i));
                if (seen || folder_.compare(0, root.size(), root) != 0) continue;
                seen = true;
                selected = root == folder_ ? count() - 1 : addChain(root.size(), 3, ovNetworkFolder);
            }
        }
        // A network folder that no root holds is shown on its own.
        if (selected < 0) {
            AddEntry(folder_, ovNetworkFolder + 4 * 3 + 1);
            selected = count() - 1;
        }
    }
    setCurrentIndex(selected);
    setUpdatesEnabled(true);
}

void TLookBoxEx::Activate(int Index) {
    if (Index < 0 || Index >= count()) return;
    const std::string text = ItemText(Index);
    if (text != folder_) SetFolder(text);
}

void TLookBoxEx::showPopup() {
    if (OnDropDown) Guarded([&] { OnDropDown(this); });
    QComboBox::showPopup();
}

void TLookBoxEx::hidePopup() {
    QComboBox::hidePopup();
    if (OnExit) Guarded([&] { OnExit(this); });
}

void TLookBoxEx::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        Guarded([&] { Activate(currentIndex()); });
        event->accept();
        return;
    default:
        QComboBox::keyPressEvent(event);
    }
}

void TLookBoxEx::changeEvent(QEvent* event) {
    QComboBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) UpdateItemHeight();
}

void TLookBoxEx::UpdateItemHeight() { itemHeight_ = std::max(fontMetrics().height() + 2, kIconSize); }

void TLookBoxEx::DrawItem(QPainter& Painter, const QRect& Rect, int Index, bool Selected, bool Focused,
                          bool InField) const {
    if (Index < 0 || Index >= count()) return;
    const int indent = InField ? 0 : kIndent * ItemLevel(Index);
    const QRect iconRect(Rect.left() + indent + 2, Rect.top() + (Rect.height() - kIconSize) / 2, kIconSize, kIconSize);
    QPixmap icon = SystemSmallImages().Image(ItemImage(Index));
    if (!icon.isNull()) {
        if (Selected) {
            // Blend the icon with the highlight colour, as a selected icon is drawn.
            QPainter blend(&icon);
            blend.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            QColor tint = palette().color(QPalette::Highlight);
            tint.setAlpha(110);
            blend.fillRect(icon.rect(), tint);
        }
        Painter.drawPixmap(iconRect.topLeft(), icon);
    }
    const QString caption = QString::fromStdString(ItemCaption(Index));
    const int textLeft = iconRect.right() + 1 + 4;
    const QRect textRect(textLeft, Rect.top(), Painter.fontMetrics().horizontalAdvance(caption) + 4, Rect.height());
    Painter.save();
    if (Selected) {
        Painter.fillRect(textRect, palette().color(QPalette::Highlight));
        Painter.setPen(palette().color(QPalette::HighlightedText));
    } else {
        Painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    }
    Painter.drawText(textRect.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, caption);
    Painter.restore();
    if (Focused) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = textRect;
        focus.backgroundColor = palette().color(QPalette::Highlight);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &Painter, this);
    }
}

void TLookBoxEx::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    DrawItem(painter, field, currentIndex(), hasFocus(), hasFocus(), true);
}

}  // namespace lumvor
