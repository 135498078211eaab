// Slide transition effects: the catalogue, the user's selection "selFX01"
// through the list dialog, the choice of one slide's effect, and the effects
// drawn step by step on a show's surface.
#include "app/SlideEffects.h"

#include "album/show8900.h"
#include "app/app_test_tools.h"
#include "platform/Menus.h"
#include "platform/PackedDib.h"
#include "platform/Registry.h"
#include "support/case_names.h"
#include "ui/VListShowEx.h"
#include "ui/listdlg_y.h"

#include <gtest/gtest.h>

#include <QPushButton>

#include <cstring>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace lumvor {
namespace {

using namespace lumv8900;

// ---- The catalogue

struct CatalogueEntry {
    int Index;
    const char* Name;
    int Code;
    int Variant;
    int Parameter;
};

const CatalogueEntry SpotEntries[] = {
    {0, "No transition", 0, 0, 0},
    {1, "Randomize ALL", 100, 0, 0},
    {7, "Blur Intro", 14, 1, 1},
    {8, "Wipe, Scroll, PUSH background, from Right", 1, 0, 0},
    {23, "Wipe, Reveal, Over background, from Top", 4, 3, 0},
    {24, "Curtains, Scroll, PUSH background, out Vert", 5, 0, 0},
    {39, "Curtains, Reveal, Over background, in Horz", 8, 3, 0},
    {40, "Tile, Tiny, from Right", 10, 0, 2},
    {63, "Tile, X-Large, from Top", 13, 0, 64},
    {64, "Mosaic, Tiny", 9, 0, 2},
    {70, "Blinds, Tiny, Scroll, PUSH background, from Right", 18, 0, 2},
    {165, "Blinds, X-Large, Reveal, Over background, from Top", 21, 3, 64},
    {166, "Explode, Rectangle", 17, 4, 0},
    {171, "Implode, Circle/Ellipse", 16, 6, 0},
    {172, "Random Horizontal Lines", 32, 0, 0},
    {173, "Random Vertical Lines", 33, 0, 0},
};

TEST(EffectCatalogue, NamesAndRecordsFollowTheTable) {
    EffectsList[200].Effect = 9;  // a refill clears what was there
    EffectsList[8].Reserved[0] = 1;
    PopulateEffectsList();
    ASSERT_EQ(EffectNames.Count(), 174);
    for (const CatalogueEntry& e : SpotEntries) {
        SCOPED_TRACE(e.Index);
        EXPECT_EQ(EffectNames[e.Index], e.Name);
        const TTransitionRecord& r = EffectsList[size_t(e.Index)];
        EXPECT_EQ(r.Effect, e.Code);
        EXPECT_EQ(r.Variant, e.Variant);
        EXPECT_EQ(r.Parameter, e.Parameter);
        EXPECT_EQ(r.Step, 0);
        EXPECT_EQ(r.Second, 0);
        EXPECT_EQ(r.Reserved[0], 0);
    }
    EXPECT_EQ(EffectsList[200].Effect, 0);
    std::set<std::string> distinct;
    for (int i = 0; i < EffectNames.Count(); ++i) distinct.insert(EffectNames[i]);
    EXPECT_EQ(distinct.size(), 174u);
}

// ---- The selection, through the image window and the list dialog

std::vector<uint8_t> Record(std::vector<uint8_t> indexes, int count) {
    std::vector<uint8_t> record(256, 0);
    std::copy(indexes.begin(), indexes.end(), record.begin());
    record[255] = uint8_t(count);
    return record;
}

class EffectSelection : public ::testing::Test {
protected:
    void SetUp() override {
        ClearModalAnswers();
        EffectsList = {};
        EffectNames.Clear();
        MainUnitInit({});
        ASSERT_TRUE(ProgramStart());
        form = WebForm;
        FirstActivationDone = 1;
    }
    void TearDown() override { test::FreeWindows(); }

    std::vector<uint8_t> Stored() {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        return registry.ReadBinary(SelectedEffectsValue);
    }
    void Store(const std::vector<uint8_t>& record) {
        TRegistry registry;
        registry.OpenKey(SettingsKey, true);
        registry.WriteBinaryData(SelectedEffectsValue, record.data(), int(record.size()));
    }
    // Runs the command; work answers the dialog. Answers whether the dialog showed.
    bool Run(QObject* sender, std::function<void(TListDlg&)> work) {
        bool shown = false;
        QueueModalAction([&](QDialog& d) {
            shown = true;
            auto& dialog = dynamic_cast<TListDlg&>(d);
            work(dialog);
            if (dialog.isVisible())
                static_cast<QDialog&>(dialog).done(mrCancel);
        });
        form->mnuSlideEffectsClick(sender);
        ClearModalAnswers();
        return shown;
    }
    int RunTag() const { return dynamic_cast<TMenuItem*>(form->mnuBookmarksRun)->Tag; }

    TWebForm* form = nullptr;
};

TEST_F(EffectSelection, ChosenEffectsAreStoredAndShownAgain) {
    EXPECT_TRUE(Run(form, [](TListDlg& d) {
        EXPECT_EQ(d.windowTitle().toStdString(), "Select from 173 Transitions Effects");
        EXPECT_TRUE(d.VChoices->SelectedRows().empty());
        d.VChoices->SelectRows(8, 8, true);
        d.VChoices->SelectRows(172, 172, true);
        d.btnOK->click();
    }));
    EXPECT_EQ(RunTag(), 1);
    EXPECT_EQ(Stored(), Record({8, 172}, 2));

    EXPECT_TRUE(Run(form, [](TListDlg& d) {
        EXPECT_EQ(d.VChoices->SelectedRows(), std::vector<int>({8, 172}));
        d.VChoices->SelectRows(3, 3, true);
        d.btnCancel->click();
    }));
    EXPECT_EQ(Stored(), Record({8, 172}, 2));
}

TEST_F(EffectSelection, DamagedRecordsSelectOnlyCatalogueEntries) {
    struct Case {
        const char* Name;
        std::vector<uint8_t> Value;
        std::vector<int> Selected;
    };
    std::vector<uint8_t> tooShort(100, 7);
    std::vector<uint8_t> tooLong = Record({9}, 1);
    tooLong.push_back(1);
    const Case cases[] = {
        {"count above the catalogue", Record({5, 180, 250, 3, 173}, 255), {5, 173}},
        {"index beyond the catalogue", Record({174, 12}, 2), {12}},
        {"count beyond the indexes", Record({6}, 200), {6}},
        {"first entry alone", Record({0}, 1), {0}},
        {"too short", tooShort, {}},
        {"too long", tooLong, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        EffectsList = {};
        EffectNames.Clear();
        Store(c.Value);
        Run(form, [&](TListDlg& d) {
            EXPECT_EQ(d.VChoices->SelectedRows(), c.Selected);
            d.btnCancel->click();
        });
        EXPECT_EQ(Stored(), c.Value);
    }
    TRegistry registry;  // a value of another type
    registry.OpenKey(SettingsKey, true);
    registry.WriteString(SelectedEffectsValue, "text");
    EffectsList = {};
    Run(form, [](TListDlg& d) {
        EXPECT_TRUE(d.VChoices->SelectedRows().empty());
        d.btnCancel->click();
    });
}

TEST_F(EffectSelection, TheAlbumLoadsTheSelectionWithoutTheDialog) {
    Store(Record({8, 172}, 2));
    TShowForm album;
    EXPECT_FALSE(Run(&album, [](TListDlg&) {}));
    EXPECT_EQ(RunTag(), 1);
    EXPECT_EQ(EffectNames.Count(), 174);
    std::vector<int> selected;
    for (size_t i = 0; i < EffectsList.size(); ++i)
        if (EffectsList[i].Reserved[0] == 1)
            selected.push_back(int(i));
    EXPECT_EQ(selected, std::vector<int>({8, 172}));
    EXPECT_EQ(Stored(), Record({8, 172}, 2));
}

TEST_F(EffectSelection, TheShowOnlyBuildsTheCatalogue) {
    Store(Record({8}, 1));
    EXPECT_FALSE(Run(form->mnuHistorySlideshow, [](TListDlg&) {}));
    EXPECT_EQ(RunTag(), 1);
    EXPECT_EQ(EffectNames.Count(), 174);
    EXPECT_EQ(EffectsList[8].Reserved[0], 0);
}

// ---- The choice of one slide's effect

class SlideChoice : public ::testing::Test {
protected:
    void SetUp() override { PopulateEffectsList(); }
    void TearDown() override { TransitionSpeed = 0; }

    std::function<int32_t(int32_t)> Fixed(int32_t value) {
        return [value](int32_t) { return value; };
    }
    std::function<int32_t(int32_t)> Generator() {
        return [this](int32_t n) { return int32_t(random() % uint32_t(n)); };
    }
    // The code RandomTransition gave, read back from the adapted record: only
    // the wipes scrolled over the background come back as blinds, and they
    // carry the screen's width as their slat size.
    static int PickedCode(const TTransitionRecord& r) {
        const bool fromWipe = r.Effect >= 18 && r.Effect <= 21 && (uint32_t(r.Parameter) >> 16) == uint32_t(Screen.Width());
        return fromWipe ? r.Effect - 17 : r.Effect;
    }

    std::mt19937 random{12345};
    TSelectedEffects none{};
};

TEST_F(SlideChoice, EntriesComeFromScriptsAndSelections) {
    struct Case {
        const char* Name;
        bool Script;
        int E, X;
        TSelectedEffects Selection;
        int32_t Draw;
        int Entry;
    };
    TSelectedEffects two{};
    two[0] = 8;
    two[1] = 172;
    two[255] = 2;
    const Case cases[] = {
        {"script entry", true, 40, 0, none, 0, 40},
        {"legacy code", true, 0, 9, none, 0, 172},
        {"bookmark pick", false, 0, 0, two, 1, 172},
        {"bookmark first", false, 0, 0, two, 0, 8},
        {"script entry beyond the catalogue", true, 300, 0, none, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        int32_t previous = -1;
        const TSlideTransition t = ChooseSlideTransition(c.Script, c.E, c.X, c.Selection, previous, 640, 480, 1, Fixed(c.Draw));
        TTransitionRecord expected;
        AdjustTransition(EffectsList[size_t(c.Entry)], 640, 480, expected);
        EXPECT_EQ(t.Record.Effect, expected.Effect);
        EXPECT_EQ(t.Record.Variant, expected.Variant);
        EXPECT_EQ(t.Record.Parameter, expected.Parameter);
        EXPECT_EQ(t.Record.Step, expected.Step);
        EXPECT_EQ(t.Record.Second, expected.Second);
        EXPECT_EQ(t.Callback, expected.Second != 255);
        EXPECT_EQ(previous, expected.Effect);
    }
}

TEST_F(SlideChoice, BookmarksWithoutSelectionGetAConcreteRandomEffect) {
    const std::set<int> concrete = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 16, 17, 18, 19, 20, 21};
    int32_t previous = -1;
    for (int i = 0; i < 50; ++i) {
        const TSlideTransition t = ChooseSlideTransition(false, 0, 0, none, previous, 640, 480, 1, Generator());
        EXPECT_TRUE(concrete.count(t.Record.Effect)) << int(t.Record.Effect);
    }
}

TEST_F(SlideChoice, RandomWipesGiveWipesOnly) {
    TSelectedEffects wipes{};
    wipes[0] = 2;
    wipes[255] = 1;
    int32_t previous = -1;
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        const TSlideTransition t = ChooseSlideTransition(false, 0, 0, wipes, previous, 640, 480, i % 4, Generator());
        const int picked = PickedCode(t.Record);
        ASSERT_GE(picked, 1);
        ASSERT_LE(picked, 4);
        seen.insert(picked);
    }
    EXPECT_EQ(seen.size(), 4u);
}

TEST_F(SlideChoice, RandomizeAllNeverRepeatsThePreviousCode) {
    TSelectedEffects all{};
    all[0] = 1;
    all[255] = 1;
    int32_t previous = -1;
    for (int i = 0; i < 1000; ++i) {
        const int32_t recorded = previous;
        const TSlideTransition t = ChooseSlideTransition(false, 0, 0, all, previous, 640, 480, i % 4, Generator());
        ASSERT_NE(PickedCode(t.Record), recorded) << "slide " << i;
        ASSERT_EQ(previous, t.Record.Effect);
    }
}

TEST_F(SlideChoice, NarrowPicturesHaveNoEffectAndSpeedIsOneMore) {
    int32_t previous = -1;
    TSlideTransition t = ChooseSlideTransition(true, 40, 0, none, previous, 64, 480, 2);
    EXPECT_EQ(t.Record.Effect, 0);
    EXPECT_EQ(t.Record.Variant, 0);
    EXPECT_EQ(t.Record.Parameter, 0);
    EXPECT_EQ(previous, 10);  // the code chosen is still the previous one for the next slide
    EXPECT_EQ(TransitionSpeed, 3);
    t = ChooseSlideTransition(true, 40, 0, none, previous, 65, 480, 0);
    EXPECT_EQ(t.Record.Effect, 10);
    EXPECT_EQ(t.Record.Parameter, 0x10002);
    EXPECT_EQ(TransitionSpeed, 1);
}

// ---- Drawing the effects

// Old and new pictures differ in every pixel (blue is even in one, odd in the other).
uint32_t OldColour(int x, int y) { return uint32_t(((x * 7 + y * 3) & 0xFE) | ((x * 5) & 0xFF) << 8 | ((y * 9) & 0xFF) << 16); }
uint32_t NewColour(int x, int y) { return uint32_t(((x * 11 + y * 13) & 0xFE) | 1 | ((y * 3 + 80) & 0xFF) << 8 | ((x + y) & 0xFF) << 16); }

TPixelBuffer Pattern(int width, int height, int depth, uint32_t (*colour)(int, int)) {
    TPixelBuffer p(width, height, depth);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.SetColor(x, y, colour(x, y));
    return p;
}

class EffectDrawing : public ::testing::Test {
protected:
    void SetUp() override {
        PopulateEffectsList();
        handle = ImgFromDIB(TPackedDib::FromPixels(Pattern(200, 150, 24, NewColour)));
        ASSERT_NE(handle, 0);
    }
    void TearDown() override {
        ImgClose(handle);
        TransitionSpeed = 0;
    }
    // A 320 x 240 surface holding the old picture.
    void NewSurface(TBitmap& surface, TPixelFormat format = pf24bit) {
        surface.SetPixelFormat(format);
        surface.SetSize(320, 240);
        TPixelBuffer& p = *surface.Canvas().Pixels();
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x) p.SetColor(x, y, OldColour(x, y));
    }

    const TRect dest = Rect(60, 45, 260, 195);
    const TRect source = Rect(0, 0, 200, 150);
    int handle = 0;
};

TEST_F(EffectDrawing, BadHandlesSurfacesAndRectanglesFail) {
    TBitmap surface;
    NewSurface(surface);
    const TImgSurface good{&surface, nullptr};
    EXPECT_EQ(ImgDrawImageFX(0, good, dest, source, 1, 3, 1, nullptr, 0, 10, 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SInvalidHandle);
    TBitmap empty;
    EXPECT_EQ(ImgDrawImageFX(handle, TImgSurface{&empty, nullptr}, dest, source, 1, 3, 1, nullptr, 0, 10, 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SNoSurface);
    EXPECT_EQ(ImgDrawImageFX(handle, good, Rect(60, 45, 60, 195), source, 1, 3, 1, nullptr, 0, 10, 0), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SEmptyRectangle);
    EXPECT_EQ(ImgDrawImage(handle, TImgSurface{nullptr, nullptr}, dest, source), 0);
    EXPECT_EQ(imgman::LastErrorText(), imgman::SNoSurface);
}

TEST_F(EffectDrawing, PlainDrawingShowsThePictureInPlace) {
    TBitmap surface;
    NewSurface(surface);
    std::vector<TRect> shown;
    const TImgSurface s{&surface, [&](const TRect& r) { shown.push_back(r); }};
    ASSERT_EQ(ImgDrawImage(handle, s, dest, source), 1);
    const TPixelBuffer& p = *surface.Canvas().Pixels();
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const bool inside = x >= 60 && x < 260 && y >= 45 && y < 195;
            ASSERT_EQ(p.GetColor(x, y), inside ? NewColour(x - 60, y - 45) : OldColour(x, y)) << x << "," << y;
        }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].Left == 60 && shown[0].Top == 45 && shown[0].Right == 260 && shown[0].Bottom == 195);
}

// What one run of an effect showed.
struct EffectRun {
    int Result = 0;
    int Steps = 0;            // steps shown
    int Calls = 0;            // callback calls
    int StepCount = 0;        // as the callback heard it
    std::set<int> Pauses;     // pauses the callback got
    bool Mixed = false;       // a step showed a picture that is neither the old nor the new one
    bool OnlyOldOrNew = true; // every pixel of every step was the old or the new one at its place
    std::string Fault;        // the first broken rule
};

// Runs an effect on a surface, checking every step; stopAt: the callback
// answers true at that step (0 = never).
EffectRun RunEffect(int handle, const TTransitionRecord& r, bool callback, int stopAt, TPixelFormat format,
                    const std::function<void(TBitmap&)>& prepare) {
    const TRect dest = Rect(60, 45, 260, 195);
    TBitmap surface, expected;
    prepare(surface);
    prepare(expected);
    surface.SetPixelFormat(format);
    expected.SetPixelFormat(format);
    ImgDrawImage(handle, expected.Canvas(), dest, Rect(0, 0, 200, 150));
    const TPixelBuffer& p = *surface.Canvas().Pixels();
    const TPixelBuffer before = p;
    const TPixelBuffer& after = *expected.Canvas().Pixels();
    const int bpp = p.BitsPerPixel() / 8;
    // Per pixel of the destination: 0 old, 1 new, 2 neither.
    std::vector<uint8_t> kind(200 * 150, 0);
    int newCount = 0, otherCount = 0;

    EffectRun run;
    auto fault = [&](const std::string& text) {
        if (run.Fault.empty())
            run.Fault = text + " at step " + std::to_string(run.Steps);
    };
    auto show = [&](const TRect& changed) {
        ++run.Steps;
        if (changed.Left < dest.Left || changed.Top < dest.Top || changed.Right > dest.Right ||
            changed.Bottom > dest.Bottom)
            fault("a change shown outside the destination");
        for (int y = 0; y < 240; ++y) {
            const bool band = y >= 45 && y < 195;
            const uint8_t* now = p.ScanLine(y);
            const uint8_t* was = before.ScanLine(y);
            if (!band ? std::memcmp(now, was, size_t(320) * bpp) != 0
                      : std::memcmp(now, was, size_t(60) * bpp) != 0 ||
                            std::memcmp(now + 260 * bpp, was + 260 * bpp, size_t(60) * bpp) != 0)
                fault("a pixel outside the destination changed");
        }
        for (int y = changed.Top; y < changed.Bottom; ++y)
            for (int x = changed.Left; x < changed.Right; ++x) {
                const uint8_t* now = p.ScanLine(y) + x * bpp;
                const uint8_t k = std::memcmp(now, before.ScanLine(y) + x * bpp, 3) == 0  ? 0
                                  : std::memcmp(now, after.ScanLine(y) + x * bpp, 3) == 0 ? 1
                                                                                          : 2;
                uint8_t& old = kind[size_t(y - 45) * 200 + size_t(x - 60)];
                newCount += (k == 1) - (old == 1);
                otherCount += (k == 2) - (old == 2);
                old = k;
            }
        if (otherCount > 0)
            run.OnlyOldOrNew = false;
        if (otherCount > 0 || (newCount > 0 && newCount < 200 * 150))
            run.Mixed = true;
    };
    auto wait = [&](int step, int count, int pause) {
        ++run.Calls;
        run.Pauses.insert(pause);
        if (step != run.Calls || count <= step || (run.StepCount != 0 && count != run.StepCount))
            fault("the callback got step " + std::to_string(step) + " of " + std::to_string(count));
        run.StepCount = count;
        return step == stopAt;
    };
    run.Result = ImgDrawImageFX(handle, TImgSurface{&surface, show}, dest, Rect(0, 0, 200, 150), r.Effect,
                                r.Variant, r.Parameter, callback ? TImgFxCallback(wait) : TImgFxCallback(),
                                r.Second, r.Step, 0);
    for (int y = 0; y < 240; ++y)
        if (std::memcmp(p.ScanLine(y), after.ScanLine(y), size_t(320) * bpp) != 0)
            fault("the surface does not end as the new picture drawn at once");
    return run;
}

struct Family {
    const char* Name;
    int First, Last;  // catalogue entries
    bool InPlace;     // uncovers the new picture in place
};

void PrintTo(const Family& family, std::ostream* os) { *os << family.Name; }

// Entries whose motion mode uncovers in place: "Reveal, Over background".
bool RevealsInPlace(int entry) {
    const TTransitionRecord& r = EffectsList[size_t(entry)];
    return r.Variant == 3;
}

class EffectFamilies : public EffectDrawing, public ::testing::WithParamInterface<Family> {};

TEST_P(EffectFamilies, EveryEntryAndSpeedDrawsItsSteps) {
    const Family& family = GetParam();
    std::mt19937 random(7);
    auto draw = [&](int32_t n) { return int32_t(random() % uint32_t(n)); };
    auto oldPicture = [this](TBitmap& b) { NewSurface(b); };
    for (int entry = family.First; entry <= family.Last; ++entry)
        for (int speed = 0; speed < 4; ++speed) {
            SCOPED_TRACE(EffectNames[entry] + ", speed " + std::to_string(speed));
            int32_t previous = -1;
            const TSelectedEffects none{};
            const TSlideTransition t = ChooseSlideTransition(true, entry, 0, none, previous, 200, 150, speed, draw);
            const TTransitionRecord& r = t.Record;
            const EffectRun run = RunEffect(handle, r, t.Callback, 0, pf24bit, oldPicture);
            EXPECT_NE(run.Result, 0);
            EXPECT_EQ(run.Fault, "");
            EXPECT_TRUE(run.Mixed) << "no step between the pictures";
            if (family.InPlace || RevealsInPlace(entry)) {
                EXPECT_TRUE(run.OnlyOldOrNew);
            }
            if (r.Second == 255) {
                EXPECT_EQ(run.Calls, 0);
            } else {
                EXPECT_EQ(run.Calls, run.StepCount - 1);
                EXPECT_EQ(run.Pauses, std::set<int>({r.Second}));
            }
            if (t.Callback && run.StepCount > 4) {
                const EffectRun stopped = RunEffect(handle, r, true, 3, pf24bit, oldPicture);
                EXPECT_NE(stopped.Result, 0);
                EXPECT_EQ(stopped.Calls, 3);
                EXPECT_EQ(stopped.Fault, "");
            }
        }
}

const Family Families[] = {
    {"RandomFamilies", 1, 6, false}, {"BlurIntro", 7, 7, false},   {"Wipes", 8, 23, false},
    {"Curtains", 24, 39, false},     {"Tiles", 40, 63, true},      {"Mosaics", 64, 69, true},
    {"Blinds", 70, 165, false},      {"ExplodeImplode", 166, 171, true}, {"RandomLines", 172, 173, true},
};

INSTANTIATE_TEST_SUITE_P(Catalogue, EffectFamilies, ::testing::ValuesIn(Families),
                         test::CaseNames<&Family::Name>);

TEST_F(EffectDrawing, ADestinationPartlyOffTheSurfaceEndsAsTheSlideDrawnAtOnce) {
    struct Case {
        const char* Name;
        TPixelFormat Format;
        TRect Dest;
    };
    const Case cases[] = {
        {"24 bits, corner off the surface", pf24bit, Rect(250, 200, 450, 350)},
        {"24 bits, wholly off the surface", pf24bit, Rect(400, 300, 600, 450)},
        {"8 bits: no effect", pf8bit, Rect(60, 45, 260, 195)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        TBitmap surface, expected;
        NewSurface(surface);
        NewSurface(expected);
        surface.SetPixelFormat(c.Format);
        expected.SetPixelFormat(c.Format);
        int steps = 0;
        EXPECT_EQ(ImgDrawImageFX(handle, TImgSurface{&surface, [&](const TRect&) { ++steps; }}, c.Dest, source, 17, 6,
                                 0x10001, nullptr, 255, 20, 0),
                  1);
        ImgDrawImage(handle, expected.Canvas(), c.Dest, source);
        const TPixelBuffer &a = *surface.Canvas().Pixels(), &b = *expected.Canvas().Pixels();
        for (int y = 0; y < 240; ++y)
            ASSERT_EQ(std::memcmp(a.ScanLine(y), b.ScanLine(y), size_t(a.RowBytes())), 0) << "row " << y;
        EXPECT_EQ(steps > 1, c.Format == pf24bit && c.Dest.Left < 320);
    }
}

TEST_F(EffectDrawing, SlidesWithoutEffectAreDrawnAtOnceAndOthersWaitWhenAsked) {
    TBitmap surface;
    NewSurface(surface);
    int shown = 0, waits = 0;
    const TImgSurface s{&surface, [&](const TRect&) { ++shown; }};
    const TImgFxCallback wait = [&](int, int, int) { return ++waits, false; };
    int32_t previous = -1;
    const TSelectedEffects none{};
    TSlideTransition t = ChooseSlideTransition(true, 0, 0, none, previous, 200, 150, 1);  // "No transition"
    ASSERT_EQ(t.Record.Effect, 0);
    EXPECT_EQ(DrawSlideTransition(handle, s, dest, source, t, wait), 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(surface.Canvas().Pixels()->GetColor(60, 45), NewColour(0, 0));

    t = ChooseSlideTransition(true, 64, 0, none, previous, 200, 150, 2);  // "Mosaic, Tiny": pauses 0 ms
    ASSERT_TRUE(t.Callback);
    shown = 0;
    EXPECT_EQ(DrawSlideTransition(handle, s, dest, source, t, wait), 1);
    EXPECT_GT(shown, 8);
    EXPECT_EQ(waits, shown - 1);
    t.Callback = false;
    waits = 0;
    EXPECT_EQ(DrawSlideTransition(handle, s, dest, source, t, wait), 1);
    EXPECT_EQ(waits, 0);

    // A key pressed during the show ends the effect after the step on screen:
    // the rest of the slide comes at once.
    t.Callback = true;
    shown = 0;
    UserInterrupt = true;
    EXPECT_EQ(DrawSlideTransition(handle, s, dest, source, t, &TWebForm::EffectWait), 1);
    UserInterrupt = false;
    EXPECT_EQ(shown, 2);
}

TEST_F(EffectDrawing, ThirtyTwoBitSurfacesAndStopsGetTheWholeNewPicture) {
    auto oldPicture = [this](TBitmap& b) { NewSurface(b, pf32bit); };
    TTransitionRecord blinds;
    blinds.Effect = 18;
    blinds.Variant = 0;
    blinds.Parameter = 16 << 16 | 1;
    blinds.Second = 0;
    EffectRun run = RunEffect(handle, blinds, true, 0, pf32bit, oldPicture);
    EXPECT_EQ(run.Fault, "");
    EXPECT_TRUE(run.Mixed);
    run = RunEffect(handle, blinds, true, 2, pf32bit, oldPicture);
    EXPECT_EQ(run.Calls, 2);
    EXPECT_EQ(run.Fault, "");
}

}  // namespace
}  // namespace lumvor
