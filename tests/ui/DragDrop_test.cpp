#include "ui/DragDrop.h"

#include "support/file_helpers.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

using namespace lumvor;

namespace {

constexpr TDropEffectSet kAll = DropSet(drCopy) | DropSet(drMove) | DropSet(drLink);

TEST(DropEffect, ChosenFromKeysAndOfferedEffects) {
    const TDropEffectSet copyMove = DropSet(drCopy) | DropSet(drMove);
    const TDropEffectSet moveLink = DropSet(drMove) | DropSet(drLink);
    struct Case {
        TDropEffectSet effects;
        int keys;
        int expected;
    } cases[] = {
        {kAll, MK_LBUTTON, DROPEFFECT_COPY},
        {kAll, MK_LBUTTON | MK_SHIFT, DROPEFFECT_MOVE},
        {kAll, MK_LBUTTON | MK_SHIFT | MK_CONTROL, DROPEFFECT_LINK},
        {kAll, MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY},
        {copyMove, MK_SHIFT | MK_CONTROL, DROPEFFECT_COPY},  // link not offered
        {DropSet(drCopy), MK_SHIFT, DROPEFFECT_COPY},
        {moveLink, 0, DROPEFFECT_MOVE},
        {DropSet(drLink), MK_SHIFT, DROPEFFECT_LINK},
        {DropSet(drScroll), 0, DROPEFFECT_NONE},
        {0, MK_SHIFT, DROPEFFECT_NONE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "effects " << int(c.effects) << " keys " << c.keys);
        EXPECT_EQ(ChooseDropEffect(c.effects, c.keys), c.expected);
    }
    EXPECT_EQ(DropEffectMask(kAll | DropSet(drScroll)), DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK | DROPEFFECT_SCROLL);
}

// A control with a drop target on it, and the drag events a drag loop sends.
class DropTargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        target.SetActive(true);
        target.SetEffects(kAll);
        target.SetDropControl(&control);
        ASSERT_TRUE(target.Registered());
        target.OnDrop = [this](const QMimeData*, int keys, TPoint, int& effect) {
            dropped.clear();
            for (int i = 0; i < target.Files.Count(); ++i) dropped.push_back(target.Files[i]);
            droppedKeys = keys;
            droppedEffect = effect;
            ++drops;
        };
    }

    // Enters, moves and drops data; answers the event's accepted action.
    Qt::DropAction DragAndDrop(const QMimeData* data, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys,
                               Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction) {
        const QPoint at(5, 6);
        QDragEnterEvent enter(at, offered, data, buttons, keys);
        QCoreApplication::sendEvent(&control, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDragMoveEvent move(at, offered, data, buttons, keys);
        QCoreApplication::sendEvent(&control, &move);
        QDropEvent drop(at, offered, data, Qt::NoButton, keys);
        QCoreApplication::sendEvent(&control, &drop);
        return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
    }

    QWidget control;
    TDropTargetEx target;
    std::vector<std::string> dropped;
    int droppedKeys = -1;
    int droppedEffect = -1;
    int drops = 0;
};

TEST_F(DropTargetTest, ThreeDroppedFilesArriveInOrderWithTheEffectTheKeysAsk) {
    TDropFileSource source;
    for (const char* name : {"/pics/b.jpg", "/pics/a b.png", "/pics/\xC3\xA9t\xC3\xA9 #1.tif"}) source.Files.Add(name);
    const std::vector<std::string> files = {"/pics/b.jpg", "/pics/a b.png", "/pics/\xC3\xA9t\xC3\xA9 #1.tif"};
    struct Case {
        Qt::KeyboardModifiers keys;
        int effect;
        Qt::DropAction action;
    } cases[] = {
        {Qt::NoModifier, DROPEFFECT_COPY, Qt::CopyAction},
        {Qt::ShiftModifier, DROPEFFECT_MOVE, Qt::MoveAction},
        {Qt::ShiftModifier | Qt::ControlModifier, DROPEFFECT_LINK, Qt::LinkAction},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "modifiers " << int(c.keys));
        EXPECT_EQ(DragAndDrop(&source, Qt::LeftButton, c.keys), c.action);
        EXPECT_EQ(dropped, files);
        EXPECT_EQ(droppedEffect, c.effect);
        EXPECT_EQ(target.Files.Count(), 0) << "emptied after the drop";
    }
    EXPECT_EQ(drops, 3);
    EXPECT_EQ(droppedKeys, MK_SHIFT | MK_CONTROL);
}

TEST_F(DropTargetTest, OnlyLocalFilesOfADesktopUriListAreTaken) {
    QMimeData data;
    data.setData("text/uri-list", "file:///home/u/one.jpg\r\nhttps://example.org/x.jpg\r\n"
                                  "# a comment line\r\nfile:///home/u/two%20words.png\r\n");
    EXPECT_EQ(DragAndDrop(&data, Qt::LeftButton, Qt::NoModifier), Qt::CopyAction);
    const std::vector<std::string> expected = {"/home/u/one.jpg", "/home/u/two words.png"};
    EXPECT_EQ(dropped, expected);

    // Data with no file list still reaches the handler, with an empty list.
    QMimeData text;
    text.setText("not files");
    EXPECT_EQ(DragAndDrop(&text, Qt::LeftButton, Qt::NoModifier), Qt::CopyAction);
    EXPECT_TRUE(dropped.empty());
    EXPECT_EQ(drops, 2);
}

TEST_F(DropTargetTest, EffectsTheSourceDoesNotAllowAreRefused) {
    target.SetEffects(DropSet(drMove));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/pics/a.jpg")});
    EXPECT_EQ(DragAndDrop(&data, Qt::LeftButton, Qt::NoModifier, Qt::CopyAction), Qt::IgnoreAction);
    EXPECT_EQ(droppedEffect, DROPEFFECT_NONE);
    EXPECT_EQ(DragAndDrop(&data, Qt::LeftButton, Qt::NoModifier, Qt::CopyAction | Qt::MoveAction), Qt::MoveAction);
    EXPECT_EQ(droppedEffect, DROPEFFECT_MOVE);
}

// Picks the drop menu's item with text once the menu shows; records what it showed.
struct MenuAnswer {
    explicit MenuAnswer(QString item) : pick(std::move(item)) {}

    QString pick;
    QStringList shown;
    QString defaultItem;
    bool seen = false;

    void Arm() {
        QTimer::singleShot(0, [this] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            seen = true;
            QAction* chosen = nullptr;
            for (QAction* a : menu->actions()) {
                if (a->isSeparator()) continue;
                if (a->isVisible()) shown << a->text();
                if (a->text() == pick) chosen = a;
            }
            if (menu->defaultAction()) defaultItem = menu->defaultAction()->text();
            if (chosen) {
                menu->setActiveAction(chosen);
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
    }
};

TEST_F(DropTargetTest, RightButtonDropAsksThroughTheMenu) {
    target.SetEffects(DropSet(drCopy) | DropSet(drMove));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/pics/a.jpg")});
    struct Case {
        QString pick;
        int effect;
        Qt::DropAction action;
    } cases[] = {
        {"&Move Here", DROPEFFECT_MOVE, Qt::MoveAction},
        {"&Copy Here", DROPEFFECT_COPY, Qt::CopyAction},
        {"&Abort", DROPEFFECT_NONE, Qt::IgnoreAction},
        {"", DROPEFFECT_NONE, Qt::IgnoreAction},  // menu closed with no pick
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pick.toStdString());
        MenuAnswer answer{c.pick};
        answer.Arm();
        EXPECT_EQ(DragAndDrop(&data, Qt::RightButton, Qt::NoModifier), c.action);
        EXPECT_TRUE(answer.seen);
        EXPECT_EQ(answer.shown, QStringList({"&Copy Here", "&Move Here", "&Abort"}));
        EXPECT_EQ(answer.defaultItem, "&Copy Here");
        EXPECT_EQ(droppedEffect, c.effect);
        EXPECT_EQ(dropped, std::vector<std::string>{"/pics/a.jpg"});
    }

    // With Shift the move is the default.
    MenuAnswer shifted{"&Move Here"};
    shifted.Arm();
    EXPECT_EQ(DragAndDrop(&data, Qt::RightButton, Qt::ShiftModifier), Qt::MoveAction);
    EXPECT_EQ(shifted.defaultItem, "&Move Here");

    // Without the menu a right-button drop is a left-button drop.
    target.SetShowMenu(false);
    MenuAnswer none{"&Move Here"};
    none.Arm();
    EXPECT_EQ(DragAndDrop(&data, Qt::RightButton, Qt::NoModifier), Qt::CopyAction);
    QTest::qWait(10);
    EXPECT_FALSE(none.seen);
    EXPECT_EQ(droppedEffect, DROPEFFECT_COPY);
}

TEST_F(DropTargetTest, InactiveTargetAnswersNoneAndLeavesQuietly) {
    std::vector<std::string> calls;
    target.OnDragEnter = [&](const QMimeData*, int, TPoint, int&) { calls.push_back("enter"); };
    target.OnDragOver = [&](int, TPoint, int&) { calls.push_back("over"); };
    target.OnDragLeave = [&] { calls.push_back("leave"); };
    target.OnDragExit = [&](QObject* sender) {
        EXPECT_EQ(sender, target.Target());
        calls.push_back("exit");
    };
    QMimeData data;
    int effect = DROPEFFECT_COPY;
    target.SetActive(false);
    target.DragEnter(&data, MK_LBUTTON, {}, effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = DROPEFFECT_COPY;
    target.DragOver(MK_LBUTTON, {}, effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    target.DragLeave();
    target.SetActive(true);
    target.DragEnter(&data, MK_LBUTTON, {}, effect);
    target.DragLeave();
    EXPECT_EQ(calls, (std::vector<std::string>{"leave", "enter", "exit"}));
}

TEST_F(DropTargetTest, FilesAreEmptiedEvenWhenTheHandlerFails) {
    target.OnDrop = [](const QMimeData*, int, TPoint, int&) { throw Exception("handler failed"); };
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/pics/a.jpg")});
    int effect = DROPEFFECT_COPY;
    EXPECT_THROW(target.Drop(&data, MK_LBUTTON, {}, effect), Exception);
    EXPECT_EQ(target.Files.Count(), 0);
}

TEST_F(DropTargetTest, RegistrationFollowsEffectsAndTheControl) {
    EXPECT_TRUE(control.acceptDrops());
    target.SetEffects(0);
    EXPECT_FALSE(target.Registered());
    EXPECT_FALSE(control.acceptDrops());
    target.SetEffects(DropSet(drCopy));
    EXPECT_TRUE(target.Registered());

    target.SetDropControl(nullptr);
    EXPECT_FALSE(target.Registered());
    EXPECT_FALSE(control.acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile("/pics/a.jpg")});
    QDropEvent drop(QPointF(1, 1), Qt::CopyAction, &data, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&control, &drop);
    EXPECT_EQ(drops, 0);

    auto other = std::make_unique<QWidget>();
    target.SetDropControl(other.get());
    EXPECT_TRUE(target.Registered());
    other.reset();
    EXPECT_EQ(target.DropControl(), nullptr);
    EXPECT_FALSE(target.Registered());
}

TEST(DragSource, FileListsTravelAsUriLists) {
    const std::vector<std::string> files = {"/tmp/pics/a b.jpg", "/tmp/pics/\xC3\xA9t\xC3\xA9.png",
                                            "/tmp/pics/50% #2.tif"};
    // The same names as file URIs by an independent encoder.
    std::string script = "import pathlib,sys\nfor p in sys.argv[1:]: print(pathlib.PurePosixPath(p).as_uri())\n";
    std::string command = "python3 -c '" + script + "'";
    for (const std::string& f : files) command += " '" + f + "'";
    std::string expected;
    for (const std::string& line : test::CommandLines(command)) expected += line + "\r\n";
    ASSERT_FALSE(expected.empty());

    TDropFileSource source;
    for (const std::string& f : files) source.Files.Add(f);
    EXPECT_EQ(source.formats(), QStringList{"text/uri-list"});
    EXPECT_TRUE(source.hasUrls());
    EXPECT_EQ(source.data("text/uri-list").toStdString(), expected);
    EXPECT_EQ(DroppedFileNames(&source), files);

    TStDataObject items({"a b.jpg", "\xC3\xA9t\xC3\xA9.png", "50% #2.tif"}, "/tmp/pics/a b.jpg");
    EXPECT_EQ(items.FolderPath(), "/tmp/pics");
    EXPECT_EQ(items.ItemCount(), 3);
    EXPECT_EQ(items.formats(), QStringList{"text/uri-list"});
    EXPECT_EQ(items.data("text/uri-list").toStdString(), expected);
}

TEST(DragSource, DragWithNothingToTakeItEndsWithNoEffect) {
    // The headless platform has no other window to drop on: the drag must end
    // at once with no effect rather than wait.
    QWidget widget;
    auto* source = new TDropFileSource;
    source->Files.Add("/tmp/pics/a.jpg");
    EXPECT_EQ(DoDragDrop(source, &widget, DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK), DROPEFFECT_NONE);
    QTest::qWait(10);
}

}  // namespace
