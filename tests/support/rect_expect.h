// A rectangle comparison for EXPECT_TRUE that prints both rectangles.
#pragma once

#include <gtest/gtest.h>

#include "platform/Graphics.h"

namespace lumvor::test {

inline ::testing::AssertionResult RectIs(const TRect& actual, const TRect& expected) {
    if (actual.Left == expected.Left && actual.Top == expected.Top && actual.Right == expected.Right &&
        actual.Bottom == expected.Bottom)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << actual.Left << "," << actual.Top << "," << actual.Right << ","
                                         << actual.Bottom << ") instead of (" << expected.Left << "," << expected.Top
                                         << "," << expected.Right << "," << expected.Bottom << ")";
}

}  // namespace lumvor::test
