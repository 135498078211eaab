// Drag and drop of file lists, between the program's own windows and with the
// desktop and file managers.
//
// File lists travel as "text/uri-list" (file: URLs, one per line, CR LF). A drop
// target component accepts file lists dropped on one control and chooses copy,
// move or link from the keys held and the effects it offers; after a drag made
// with the right mouse button it can ask the user through a small menu. Drag
// sources are mime data objects: a plain file list, or a folder's items given by
// their names inside it. The shell's item-ID-list format has no counterpart
// here, so the item source offers the file list only.
//
// Drop effects and key states keep their numeric values (DROPEFFECT_*, MK_*),
// which the handlers receive. Points are screen coordinates.
// GUI thread only.
#pragma once

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"

#include <QMimeData>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class QWidget;

namespace lumvor {

inline constexpr int DROPEFFECT_NONE = 0;
inline constexpr int DROPEFFECT_COPY = 1;
inline constexpr int DROPEFFECT_MOVE = 2;
inline constexpr int DROPEFFECT_LINK = 4;
inline constexpr int DROPEFFECT_SCROLL = int(0x80000000u);

inline constexpr int MK_LBUTTON = 0x1;
inline constexpr int MK_RBUTTON = 0x2;
inline constexpr int MK_SHIFT = 0x4;
inline constexpr int MK_CONTROL = 0x8;
inline constexpr int MK_MBUTTON = 0x10;
inline constexpr int MK_ALT = 0x20;

// The mime type of a file list.
inline const QString UriListMimeType = QStringLiteral("text/uri-list");

enum TDropEffect : uint8_t { drCopy, drMove, drLink, drScroll };
using TDropEffectSet = uint8_t;  // bit (1 << effect) for each effect in the set
constexpr TDropEffectSet DropSet(TDropEffect effect) { return TDropEffectSet(1u << effect); }

// DROPEFFECT bits of a set of effects.
int DropEffectMask(TDropEffectSet effects);
// The effect for a key state: Shift alone moves, Ctrl with Shift links, when
// offered; otherwise the first offered of copy, move and link; else none.
int ChooseDropEffect(TDropEffectSet effects, int grfKeyState);

// Conversions between Qt's drag values and the DROPEFFECT and MK values.
int DragKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
int DropEffectsOf(Qt::DropActions actions);
Qt::DropActions DropActionsOf(int effects);
// The single Qt action of one effect (IgnoreAction for none).
Qt::DropAction DropActionOf(int effect);

// The "text/uri-list" bytes of a list of full file names.
QByteArray UriListOf(const std::vector<std::string>& fileNames);
// The local file names of a drag's data, in order ("" entries never).
std::vector<std::string> DroppedFileNames(const QMimeData* data);

using TOnDragEnter = std::function<void(const QMimeData* DataObj, int grfKeyState, TPoint pt, int& dwEffect)>;
using TOnDrop = TOnDragEnter;
using TOnDragOver = std::function<void(int grfKeyState, TPoint pt, int& dwEffect)>;
using TOnDragLeave = std::function<void()>;

class TDropTargetEx;

// The object registered on the drop control: hands the control's drag events to
// its component and answers the drag with the effect chosen.
class TDropTarget : public QObject {
public:
    explicit TDropTarget(TDropTargetEx* owner) : owner_(owner) {}
    TDropTargetEx* Owner() const { return owner_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TDropTargetEx* owner_;
};

// Accepts file lists dropped on DropControl.
class TDropTargetEx : public QObject {
public:
    explicit TDropTargetEx(QObject* Owner = nullptr);
    ~TDropTargetEx() override;

    bool Active() const { return active_; }
    void SetActive(bool Value) { active_ = Value; }
    QWidget* DropControl() const { return dropControl_; }
    // Moves the registration to Value (none detaches); a control that is
    // destroyed is forgotten.
    void SetDropControl(QWidget* Value);
    bool ShowMenu() const { return showMenu_; }
    void SetShowMenu(bool Value) { showMenu_ = Value; }
    TDropEffectSet Effects() const { return effects_; }
    // Registers when the set becomes non-empty, revokes when it becomes empty.
    void SetEffects(TDropEffectSet Value);
    int EffectMask() const { return DropEffectMask(effects_); }
    bool RightButton() const { return rightButton_; }
    bool Registered() const { return registered_; }
    // The drop menu: "&Copy Here", "&Move Here", "&Shortcut(s) Create Here", a
    // separator and "&Abort".
    QMenu* DropMenu() const { return dropMenu_.get(); }
    TDropTarget* Target() { return &target_; }

    // The dropped file names; filled just before OnDrop and emptied after it.
    TStringList Files;

    TOnDragEnter OnDragEnter;
    TOnDragOver OnDragOver;
    TOnDragLeave OnDragLeave;
    TNotifyEvent OnDragExit;
    TOnDrop OnDrop;

    // Registers on DropControl when the effects are not empty.
    void Loaded() { Register(); }

    // The drag operations. dwEffect comes in as the effects the source allows
    // (0 taken as any) and goes out as the effect chosen; an effect the source
    // does not allow becomes none.
    void DragEnter(const QMimeData* DataObj, int grfKeyState, TPoint pt, int& dwEffect);
    void DragOver(int grfKeyState, TPoint pt, int& dwEffect);
    void DragLeave();
    void Drop(const QMimeData* DataObj, int grfKeyState, TPoint pt, int& dwEffect);

private:
    void Register();
    void Revoke();
    int Choose(int grfKeyState, int allowed) const;
    // Runs the drop menu at pt; the effect picked, none for "&Abort" or no pick.
    int AskEffect(int effect, TPoint pt);

    bool active_ = false;
    QPointer<QWidget> dropControl_;
    QMetaObject::Connection controlGone_;
    bool showMenu_ = true;
    TDropEffectSet effects_ = 0;
    bool rightButton_ = false;
    bool registered_ = false;
    bool controlAcceptedDrops_ = false;
    TDropTarget target_;
    std::unique_ptr<QMenu> dropMenu_;
    QAction* copyItem_ = nullptr;
    QAction* moveItem_ = nullptr;
    QAction* linkItem_ = nullptr;
    QAction* abortItem_ = nullptr;
};

// A drag source: mime data whose formats and bytes come from the operations
// below, asked for only when a target wants them.
class TDropSource : public QMimeData {
public:
    // The bytes of one format; empty when the source has none of it.
    virtual QByteArray GetData(const QString& format) const;
    virtual bool QueryGetData(const QString& format) const { return EnumFormatEtc().contains(format); }
    // The formats offered.
    virtual QStringList EnumFormatEtc() const { return {}; }

    QStringList formats() const override { return EnumFormatEtc(); }
    bool hasFormat(const QString& mimeType) const override { return QueryGetData(mimeType); }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;
};

// A drag source of full file names.
class TDropFileSource : public TDropSource {
public:
    TStringList Files;

    QByteArray GetData(const QString& format) const override;
    QStringList EnumFormatEtc() const override { return {UriListMimeType}; }
};

// A drag source of a folder's items. Items are names inside the folder of
// AbsolutePath, which is the full path of any one of them.
class TStDataObject : public TDropSource {
public:
    TStDataObject(std::vector<std::string> Items, const std::string& AbsolutePath);

    const std::string& FolderPath() const { return folderPath_; }
    int ItemCount() const { return int(items_.size()); }
    // The items' full paths, in order.
    std::vector<std::string> Paths() const;

    QByteArray GetData(const QString& format) const override;
    QStringList EnumFormatEtc() const override { return {UriListMimeType}; }

private:
    std::string folderPath_;
    std::vector<std::string> items_;
};

// Drags data from the widget source, allowing okEffects (DROPEFFECT bits); the
// drag takes the data. Answers the effect the target chose, none when the drag
// was cancelled or nothing took it.
int DoDragDrop(QMimeData* data, QWidget* source, int okEffects);

namespace DragDrop {
// Stands in for the drag itself when set (tests play the target): gets the
// data, the source and the effects offered, answers the effect chosen. The data
// is freed after the call.
inline std::function<int(QMimeData* Data, QWidget* Source, int OkEffects)> Runner;
}  // namespace DragDrop

}  // namespace lumvor
