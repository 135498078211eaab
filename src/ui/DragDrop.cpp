#include "ui/DragDrop.h"

#include "platform/Forms.h"
#include "platform/SysUtils.h"

#include <QAction>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QUrl>
#include <QWidget>

namespace lumvor {

int DropEffectMask(TDropEffectSet effects) {
    int mask = 0;
    if (effects & DropSet(drCopy)) mask |= DROPEFFECT_COPY;
    if (effects & DropSet(drMove)) mask |= DROPEFFECT_MOVE;
    if (effects & DropSet(drLink)) mask |= DROPEFFECT_LINK;
    if (effects & DropSet(drScroll)) mask |= DROPEFFECT_SCROLL;
    return mask;
}

int ChooseDropEffect(TDropEffectSet effects, int grfKeyState) {
    const int mask = DropEffectMask(effects);
    const bool shift = grfKeyState & MK_SHIFT;
    const bool ctrl = grfKeyState & MK_CONTROL;
    if (shift && !ctrl && (mask & DROPEFFECT_MOVE)) return DROPEFFECT_MOVE;
    if (ctrl && shift && (mask & DROPEFFECT_LINK)) return DROPEFFECT_LINK;
    for (int effect : {DROPEFFECT_COPY, DROPEFFECT_MOVE, DROPEFFECT_LINK})
        if (mask & effect) return effect;
    return DROPEFFECT_NONE;
}

int DragKeyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int keys = 0;
    if (buttons & Qt::LeftButton) keys |= MK_LBUTTON;
    if (buttons & Qt::RightButton) keys |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) keys |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) keys |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) keys |= MK_CONTROL;
    if (modifiers & Qt::AltModifier) keys |= MK_ALT;
    return keys;
}

int DropEffectsOf(Qt::DropActions actions) {
    int effects = 0;
    if (actions & Qt::CopyAction) effects |= DROPEFFECT_COPY;
    if (actions & Qt::MoveAction) effects |= DROPEFFECT_MOVE;
    if (actions & Qt::LinkAction) effects |= DROPEFFECT_LINK;
    return effects;
}

Qt::DropActions DropActionsOf(int effects) {
    Qt::DropActions actions;
    if (effects & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (effects & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    if (effects & DROPEFFECT_LINK) actions |= Qt::LinkAction;
    return actions;
}

Qt::DropAction DropActionOf(int effect) {
    if (effect & DROPEFFECT_COPY) return Qt::CopyAction;
    if (effect & DROPEFFECT_MOVE) return Qt::MoveAction;
    if (effect & DROPEFFECT_LINK) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

QByteArray UriListOf(const std::vector<std::string>& fileNames) {
    QByteArray list;
    for (const std::string& name : fileNames) {
        list += QUrl::fromLocalFile(QString::fromStdString(name)).toEncoded();
        list += "\r\n";
    }
    return list;
}

std::vector<std::string> DroppedFileNames(const QMimeData* data) {
    std::vector<std::string> names;
    if (!data || !data->hasUrls()) return names;
    for (const QUrl& url : data->urls()) {
        // Only files have a name here; web addresses and the like are left out.
        if (!url.isLocalFile()) continue;
        const std::string name = url.toLocalFile().toStdString();
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

// ---- Drop target

bool TDropTarget::eventFilter(QObject* watched, QEvent* event) {
    QWidget* control = owner_->DropControl();
    if (watched != control) return false;
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop: {
        auto* drag = static_cast<QDropEvent*>(event);
        const QPoint at = control->mapToGlobal(drag->position().toPoint());
        const TPoint pt{at.x(), at.y()};
        const int keys = DragKeyState(drag->buttons(), drag->modifiers());
        int effect = DropEffectsOf(drag->possibleActions());
        Guarded([&] {
            if (event->type() == QEvent::DragEnter)
                owner_->DragEnter(drag->mimeData(), keys, pt, effect);
            else if (event->type() == QEvent::DragMove)
                owner_->DragOver(keys, pt, effect);
            else
                owner_->Drop(drag->mimeData(), keys, pt, effect);
        });
        drag->setDropAction(DropActionOf(effect));
        // The enter is always taken, so that the target hears of key changes
        // while the drag moves on; a move or drop with no effect is refused.
        if (effect != DROPEFFECT_NONE || event->type() == QEvent::DragEnter)
            drag->accept();
        else
            drag->ignore();
        return true;
    }
    case QEvent::DragLeave:
        Guarded([&] { owner_->DragLeave(); });
        return true;
    default:
        return false;
    }
}

TDropTargetEx::TDropTargetEx(QObject* Owner) : QObject(Owner), target_(this), dropMenu_(std::make_unique<QMenu>()) {
    copyItem_ = dropMenu_->addAction(QStringLiteral("&Copy Here"));
    moveItem_ = dropMenu_->addAction(QStringLiteral("&Move Here"));
    linkItem_ = dropMenu_->addAction(QStringLiteral("&Shortcut(s) Create Here"));
    dropMenu_->addSeparator();
    abortItem_ = dropMenu_->addAction(QStringLiteral("&Abort"));
}

TDropTargetEx::~TDropTargetEx() { Revoke(); }

void TDropTargetEx::SetDropControl(QWidget* Value) {
    if (Value == dropControl_) return;
    Revoke();
    QObject::disconnect(controlGone_);
    dropControl_ = Value;
    if (Value) {
        controlGone_ = connect(Value, &QObject::destroyed, this, [this] {
            registered_ = false;
            dropControl_ = nullptr;
        });
    }
    Register();
}

void TDropTargetEx::SetEffects(TDropEffectSet Value) {
    effects_ = Value;
    if (EffectMask() != 0)
        Register();
    else
        Revoke();
}

void TDropTargetEx::Register() {
    if (registered_ || EffectMask() == 0 || !dropControl_) return;
    controlAcceptedDrops_ = dropControl_->acceptDrops();
    dropControl_->setAcceptDrops(true);
    dropControl_->installEventFilter(&target_);
    registered_ = true;
}

void TDropTargetEx::Revoke() {
    if (!registered_) return;
    if (dropControl_) {
        dropControl_->removeEventFilter(&target_);
        dropControl_->setAcceptDrops(controlAcceptedDrops_);
    }
    registered_ = false;
}

int TDropTargetEx::Choose(int grfKeyState, int allowed) const {
    const int effect = ChooseDropEffect(effects_, grfKeyState);
    // The source decides what may happen to its files: an effect it did not
    // offer (a move of files it only lends for copying) is refused.
    return allowed == 0 || (effect & allowed) ? effect : DROPEFFECT_NONE;
}

void TDropTargetEx::DragEnter(const QMimeData* DataObj, int grfKeyState, TPoint pt, int& dwEffect) {
    rightButton_ = grfKeyState & MK_RBUTTON;
    if (!active_) {
        dwEffect = DROPEFFECT_NONE;
        return;
    }
    dwEffect = Choose(grfKeyState, dwEffect);
    if (OnDragEnter) OnDragEnter(DataObj, grfKeyState, pt, dwEffect);
}

void TDropTargetEx::DragOver(int grfKeyState, TPoint pt, int& dwEffect) {
    if (!active_) {
        dwEffect = DROPEFFECT_NONE;
        return;
    }
    dwEffect = Choose(grfKeyState, dwEffect);
    if (OnDragOver) OnDragOver(grfKeyState, pt, dwEffect);
}

void TDropTargetEx::DragLeave() {
    if (active_) {
        if (OnDragExit) OnDragExit(&target_);
    } else if (OnDragLeave) {
        OnDragLeave();
    }
}

int TDropTargetEx::AskEffect(int effect, TPoint pt) {
    const std::pair<QAction*, int> items[] = {
        {copyItem_, DROPEFFECT_COPY}, {moveItem_, DROPEFFECT_MOVE}, {linkItem_, DROPEFFECT_LINK}};
    for (auto [item, value] : items) {
        item->setVisible(EffectMask() & value);
        if (value == effect) dropMenu_->setDefaultAction(item);
    }
    const QAction* picked = dropMenu_->exec(QPoint(pt.X, pt.Y));
    for (auto [item, value] : items)
        if (picked == item) return value;
    return DROPEFFECT_NONE;
}

void TDropTargetEx::Drop(const QMimeData* DataObj, int grfKeyState, TPoint pt, int& dwEffect) {
    dwEffect = Choose(grfKeyState, dwEffect);
    if (rightButton_ && showMenu_ && dwEffect != DROPEFFECT_NONE) dwEffect = AskEffect(dwEffect, pt);
    for (const std::string& name : DroppedFileNames(DataObj)) Files.Add(name);
    struct EmptyAfter {
        TStringList& files;
        ~EmptyAfter() { files.Clear(); }
    } emptyAfter{Files};
    if (OnDrop) OnDrop(DataObj, grfKeyState, pt, dwEffect);
}

// ---- Drag sources

QByteArray TDropSource::GetData(const QString&) const { return {}; }

QVariant TDropSource::retrieveData(const QString& mimeType, QMetaType) const {
    if (!QueryGetData(mimeType)) return {};
    return GetData(mimeType);
}

QByteArray TDropFileSource::GetData(const QString& format) const {
    if (format != UriListMimeType) return {};
    std::vector<std::string> names;
    for (int i = 0; i < Files.Count(); ++i) names.push_back(Files[i]);
    return UriListOf(names);
}

TStDataObject::TStDataObject(std::vector<std::string> Items, const std::string& AbsolutePath)
    : folderPath_(ExtractFileDir(AbsolutePath)), items_(std::move(Items)) {}

std::vector<std::string> TStDataObject::Paths() const {
    std::vector<std::string> paths;
    for (const std::string& item : items_) paths.push_back(IncludeTrailingPathDelimiter(folderPath_) + item);
    return paths;
}

QByteArray TStDataObject::GetData(const QString& format) const {
    return format == UriListMimeType ? UriListOf(Paths()) : QByteArray();
}

int DoDragDrop(QMimeData* data, QWidget* source, int okEffects) {
    if (DragDrop::Runner) {
        const std::unique_ptr<QMimeData> owned(data);
        return DragDrop::Runner(data, source, okEffects) & okEffects;
    }
    auto* drag = new QDrag(source);
    drag->setMimeData(data);
    const Qt::DropActions allowed = DropActionsOf(okEffects);
    const Qt::DropAction result = drag->exec(allowed, DropActionOf(okEffects));
    return DropEffectsOf(result) & okEffects;
}

}  // namespace lumvor
