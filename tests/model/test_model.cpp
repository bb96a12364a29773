// The section model's rules: reset, change tracking, slot allocation and capacities.
#include <gtest/gtest.h>

#include <memory>

#include "model/model.h"

using namespace keltora;

namespace {

std::unique_ptr<SlopeModel> freshModel()
{
    auto m = std::make_unique<SlopeModel>();
    resetModel(*m);
    return m;
}

} // namespace

TEST(ModelReset, NewDocumentDefaultsAndKeptDirection)
{
    auto m = freshModel();
    m->felleniusCircle.direction = 3;
    m->bishopCircle.direction = 2;
    m->conditions.method = 4;
    m->felleniusCircle.radius = {5, 6, 7};
    addPoint(*m, 1, 2);
    m->modified = 1;
    m->calcState = 1;
    resetModel(*m);
    EXPECT_EQ(m->modified, -1);
    EXPECT_EQ(m->calcState, 0);
    EXPECT_EQ(m->pointCount, 0);
    EXPECT_EQ(m->points[0].number, -1);
    EXPECT_EQ(m->conditions.method, 0);
    EXPECT_DOUBLE_EQ(m->conditions.maxSafetyFactor, 9999.0);
    EXPECT_DOUBLE_EQ(m->conditions.sliceWidth, 0.1);
    EXPECT_EQ(m->conditions.seismicOnSurcharge, 1);
    EXPECT_DOUBLE_EQ(m->felleniusCircle.radius.min, 1.0);
    EXPECT_DOUBLE_EQ(m->felleniusCircle.radius.max, 100.0);
    EXPECT_EQ(m->felleniusCircle.direction, 3); // the slip direction survives a reset
    EXPECT_EQ(m->bishopCircle.direction, 2);
    EXPECT_EQ(m->lineSlip.direction, 2);
    EXPECT_DOUBLE_EQ(m->lineSlip.angle.min, 1.0);
    EXPECT_EQ(m->sheetPile.passiveLabelMode[63], -1);
    EXPECT_DOUBLE_EQ(m->draw.sizes[15], 4.0);
    EXPECT_EQ(m->draw.decimals[kDecFriction], 0);
    EXPECT_EQ(m->draw.gridFsSwitch[1], -1);
    EXPECT_EQ(m->draw.surchargeLabelMode[1][2], 1);
}

TEST(ModelChanges, AssignIfChangedRules)
{
    double d = 1.0;
    EXPECT_FALSE(assignIfChanged(d, 1.0 + 0.9e-7));
    EXPECT_DOUBLE_EQ(d, 1.0);
    EXPECT_TRUE(assignIfChanged(d, 1.0 + 1.1e-7));
    EXPECT_DOUBLE_EQ(d, 1.0 + 1.1e-7);
    int32_t i = 3;
    EXPECT_FALSE(assignIfChanged(i, 3));
    EXPECT_TRUE(assignIfChanged(i, 4));
    std::string s = "abc";
    EXPECT_FALSE(assignIfChanged(s, std::string("abc")));
    EXPECT_TRUE(assignIfChanged(s, std::string("abd")));
    EXPECT_EQ(s, "abd");

    SlopeModel m;
    m.modified = 0;
    m.calcState = 1;
    markChanged(m, false);
    EXPECT_EQ(m.modified, 1);
    EXPECT_EQ(m.calcState, 1);
    markChanged(m, true);
    EXPECT_EQ(m.calcState, 0);
}

TEST(ModelChanges, FormatEditNumber)
{
    EXPECT_EQ(formatEditNumber("12.345", 0), "12");
    EXPECT_EQ(formatEditNumber("12.345", 1), "12.3");
    EXPECT_EQ(formatEditNumber("1", 2), "1.00");
    EXPECT_EQ(formatEditNumber("2.5", 3), "2.500");
    EXPECT_EQ(formatEditNumber("0.12345", 4), "0.1235");
    EXPECT_EQ(formatEditNumber("7", 9), "7.00000");
    EXPECT_EQ(formatEditNumber("", 3), "0.000");
    EXPECT_EQ(formatEditNumber("abc", 1), "0.0");
    EXPECT_EQ(formatEditNumber("-3", -2), "-3");
}

TEST(ModelSlots, FreedSlotsAreReusedLowestFirst)
{
    auto m = freshModel();
    for (int k = 0; k < 5; ++k) addPoint(*m, k, 0);
    addLine(*m, kBoundaryLine, 0, 1);
    addLine(*m, kBoundaryLine, 1, 2);
    addLine(*m, kBoundaryLine, 2, 3);
    freePoint(*m, 1);
    EXPECT_EQ(m->pointCount, 5); // counts are high-water marks
    EXPECT_EQ(m->points[1].number, -1);
    EXPECT_EQ(m->lines[0].kind, -1); // both lines at point 1 go with it
    EXPECT_EQ(m->lines[1].kind, -1);
    EXPECT_EQ(m->lines[2].kind, kBoundaryLine);
    freePoint(*m, 3);
    auto slot = addPoint(*m, 9, 9);
    ASSERT_TRUE(slot);
    EXPECT_EQ(*slot, 1);
    EXPECT_EQ(m->points[1].number, 1);
    EXPECT_EQ(m->pointCount, 5);
    EXPECT_EQ(*addLine(*m, kArcLimitPointSmall, 4, 4), 0);
}

TEST(ModelSlots, CapacitiesAreRefusedWithAMessage)
{
    auto m = freshModel();
    for (int k = 0; k < kMaxPoints; ++k) ASSERT_TRUE(addPoint(*m, k, 0));
    Message why;
    EXPECT_FALSE(addPoint(*m, 0, 1, &why));
    EXPECT_EQ(m->pointCount, kMaxPoints);
    EXPECT_NE(why.text.find("1024"), std::string::npos);
    EXPECT_EQ(why.caption, "error");

    for (int k = 0; k < kMaxLines; ++k) ASSERT_TRUE(addLine(*m, kBoundaryLine, 0, 1));
    EXPECT_FALSE(addLine(*m, kBoundaryLine, 0, 1, &why));
    for (int k = 0; k < kMaxBlocks; ++k) ASSERT_TRUE(addBlock(*m, SoilBlock{}));
    EXPECT_FALSE(addBlock(*m, SoilBlock{}, &why));
    EXPECT_NE(why.text.find("256"), std::string::npos);
    freeBlock(*m, 100);
    EXPECT_EQ(*addBlock(*m, SoilBlock{}), 100);
}
