#include "app/layout.h"

#include <gtest/gtest.h>

namespace qz {
namespace {

TEST(LayoutForm, DesignAt96Dpi) {
    // Text that fits the designed label: nothing moves.
    const FormLayout f = LayoutForm(96, 100, 13, 100);
    EXPECT_EQ(f.client, (Rect{0, 0, 354, 81}));
    EXPECT_EQ(f.label1, (Rect{8, 13, 106, 13}));
    EXPECT_EQ(f.deviceBox, (Rect{128, 8, 217, 21}));
    EXPECT_EQ(f.deviceBoxItemHeight, 13);
    EXPECT_GT(f.deviceBoxDropHeight, f.deviceBox.h);
    EXPECT_EQ(f.saveButton, (Rect{8, 40, 297, 33}));
    EXPECT_EQ(f.rzBmpButton1, (Rect{312, 40, 32, 32}));
    EXPECT_EQ(f.fullVer, (Rect{0, 71, 354, 10}));
    EXPECT_EQ(f.fontHeight, -11);
    EXPECT_EQ(f.fullVerFontHeight, -8);
}

TEST(LayoutForm, ScalesEverythingAt144Dpi) {
    const FormLayout f = LayoutForm(144, 0, 0, 0);
    EXPECT_EQ(f.client, (Rect{0, 0, 531, 122}));
    EXPECT_EQ(f.label1, (Rect{12, 20, 159, 20}));
    EXPECT_EQ(f.deviceBox, (Rect{192, 12, 326, 32}));
    EXPECT_EQ(f.saveButton, (Rect{12, 60, 446, 50}));
    EXPECT_EQ(f.rzBmpButton1, (Rect{468, 60, 48, 48}));
    EXPECT_EQ(f.fullVer, (Rect{0, 107, 531, 15}));
    EXPECT_EQ(f.fontHeight, -17);
}

TEST(LayoutForm, LabelGrowsWithItsText) {
    const FormLayout f = LayoutForm(96, 150, 16, 100);
    EXPECT_EQ(f.label1.w, 150);
    EXPECT_EQ(f.label1.h, 16);
    EXPECT_EQ(f.deviceBox.x, 128) << "the warning is shown while the list is hidden";
}

TEST(LayoutForm, ListMakesRoomForAWidePromptAndKeepsItsRightEdge) {
    // A wider font than the designed one (122 px for the prompt).
    const FormLayout f = LayoutForm(96, 122, 13, 122);
    EXPECT_GE(f.deviceBox.x, f.label1.x + 122);
    EXPECT_EQ(f.deviceBox.Right(), 345);
    EXPECT_LT(f.deviceBox.x, 150);
}

TEST(ScaleToDpi, RoundsLikeMulDiv) {
    EXPECT_EQ(ScaleToDpi(11, 96), 11);
    EXPECT_EQ(ScaleToDpi(11, 144), 17);   // 16.5 rounds up
    EXPECT_EQ(ScaleToDpi(-11, 144), -17);
    EXPECT_EQ(ScaleToDpi(354, 120), 443);  // 442.5
    EXPECT_EQ(ScaleToDpi(0, 192), 0);
}

}  // namespace
}  // namespace qz
