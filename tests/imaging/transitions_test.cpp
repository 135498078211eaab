// Slide transition pickers with a fixed random source.
#include "imaging/Transitions.h"

#include "platform/Forms.h"

#include <gtest/gtest.h>

#include <deque>

namespace lumvor {
namespace {

// Feeds the given draws in turn, then repeats the last one.
class FixedDraws : public ::testing::Test {
protected:
    void Use(std::deque<int32_t> draws) {
        draws_ = std::move(draws);
        TransitionRandom = [this](int32_t n) {
            requested_.push_back(n);
            const int32_t v = draws_.front();
            if (draws_.size() > 1) draws_.pop_front();
            return v;
        };
    }
    void TearDown() override {
        TransitionRandom = nullptr;
        TransitionSpeed = 0;
    }
    std::deque<int32_t> draws_;
    std::vector<int32_t> requested_;
};

TEST_F(FixedDraws, GroupPickers) {
    TTransitionRecord r;
    r.Parameter = 77;
    Use({3, 2});
    RandomTransition1(r);
    EXPECT_EQ(r.Effect, 4);
    EXPECT_EQ(r.Variant, 2);
    EXPECT_EQ(r.Parameter, 77);
    Use({0, 1});
    RandomTransition2(r);
    EXPECT_EQ(r.Effect, 5);
    EXPECT_EQ(r.Variant, 1);
    Use({4, 4});
    RandomTransition3(r);
    EXPECT_EQ(r.Effect, 13);
    EXPECT_EQ(r.Variant, 0);
    EXPECT_EQ(r.Parameter, 32);
    Use({2, 3, 0});
    RandomTransition4(r);
    EXPECT_EQ(r.Effect, 20);
    EXPECT_EQ(r.Variant, 3);
    EXPECT_EQ(r.Parameter, 8);  // at least 8
    Use({1, 2});
    RandomTransition5(r);
    EXPECT_EQ(r.Effect, 17);
    EXPECT_EQ(r.Variant, 6);
}

TEST_F(FixedDraws, RandomTransitionNeverRepeatsThePrevious) {
    TTransitionRecord r;
    Use({100, 100, 40, 0, 0});  // 14 twice, then group 2 (wipes): effect 1
    RandomTransition(14, r);
    EXPECT_EQ(r.Effect, 1);
    EXPECT_EQ(requested_.front(), 101);

    Use({100});  // a source stuck on effect 14 must not hang the show
    RandomTransition(14, r);
    EXPECT_NE(r.Effect, 14);

    TransitionRandom = nullptr;  // the program's generator
    for (int i = 0; i < 200; ++i) {
        RandomTransition(14, r);
        EXPECT_NE(r.Effect, 14);
        EXPECT_GE(r.Effect, 1);
        EXPECT_LE(r.Effect, 21);
    }
}

TEST_F(FixedDraws, PickTransitionVariant) {
    struct Case {
        int32_t code, draw1, draw2, expected;
    } cases[] = {
        {1, 51, 0, 15}, {1, 50, 0, 23}, {4, 99, 0, 12}, {5, 0, 3, 43}, {8, 0, 0, 52},  {9, 0, 0, 172},
        {17, 51, 0, 28}, {18, 10, 0, 32}, {25, 0, 0, 115}, {29, 0, 0, 1}, {0, 0, 0, 0}, {30, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Use({c.draw1, c.draw2});
        EXPECT_EQ(PickTransitionVariant(c.code), c.expected) << c.code;
    }
}

TEST_F(FixedDraws, AdjustTransition) {
    auto adjust = [](int effect, int variant, int32_t parameter, int speed, int a = 640, int b = 480) {
        TTransitionRecord in;
        in.Effect = static_cast<uint8_t>(effect);
        in.Variant = static_cast<uint8_t>(variant);
        in.Parameter = parameter;
        in.Reserved[0] = 0xAB;
        TransitionSpeed = speed;
        TTransitionRecord out;
        AdjustTransition(in, a, b, out);
        EXPECT_EQ(out.Reserved[0], 0xAB);
        return out;
    };
    TTransitionRecord r = adjust(3, 1, 0, 0);  // odd variant: t = 1
    EXPECT_EQ(r.Parameter, 1);
    EXPECT_EQ(r.Step, 10);
    EXPECT_EQ(r.Second, 255);
    r = adjust(1, 0, 0, 2);
    EXPECT_EQ(r.Second, 1);
    EXPECT_EQ(r.Parameter, 1);
    r = adjust(2, 1, 0, 3);  // t = 4
    EXPECT_EQ(r.Step, 40);
    EXPECT_EQ(r.Second, 0);
    r = adjust(2, 2, 0, 3);  // variant 2 becomes a blind
    EXPECT_EQ(r.Effect, 19);
    EXPECT_EQ(r.Parameter, Screen.Width() << 16 | 2);
    EXPECT_EQ(r.Step, 10);
    EXPECT_EQ(r.Second, 0);

    r = adjust(6, 0, 0, 4);
    EXPECT_EQ(r.Parameter, 4);
    r = adjust(10, 3, 3, 2);  // low byte below 5: t = 1; effect above 9: bit 16
    EXPECT_EQ(r.Variant, 1);
    EXPECT_EQ(r.Parameter, 0x10003);
    EXPECT_EQ(r.Second, 4);
    EXPECT_EQ(r.Step, 20);
    r = adjust(14, 0, 5, 1);
    EXPECT_EQ(r.Step, 20);
    EXPECT_EQ(r.Second, 255);
    r = adjust(16, 4, 0, 3);
    EXPECT_EQ(r.Parameter, 0x10001);
    EXPECT_EQ(r.Second, 0);

    r = adjust(20, 0, 16, 0);
    EXPECT_EQ(r.Parameter, (16 << 16) | 1);
    EXPECT_EQ(r.Step, 10);
    EXPECT_EQ(r.Second, 6);
    r = adjust(18, 0, 4, 1);  // high word below 8
    EXPECT_EQ(r.Step, 200);
    EXPECT_EQ(r.Second, 25);
    r = adjust(18, 0, 0, 1);  // no high word: no division by zero
    EXPECT_EQ(r.Second, 100);

    r = adjust(32, 0, 0, 2, 640, 480);
    EXPECT_EQ(r.Effect, 9);
    EXPECT_EQ(r.Variant, 3);
    EXPECT_EQ(r.Parameter, 640 | 0x10000);
    EXPECT_EQ(r.Step, 10);
    r = adjust(32, 0, 0, 4, 640, 480);
    EXPECT_EQ(r.Parameter, 640 | 0x30000);
    EXPECT_EQ(r.Step, 1);
    r = adjust(33, 0, 0, 4, 640, 480);
    EXPECT_EQ(r.Parameter, (480 << 16) | 2);

    r = adjust(25, 3, 99, 2);
    EXPECT_EQ(r.Effect, 0);
    EXPECT_EQ(r.Variant, 0);
    EXPECT_EQ(r.Step, 20);
    EXPECT_EQ(r.Second, 255);
    EXPECT_EQ(r.Parameter, 0);
}

}  // namespace
}  // namespace lumvor
