#include "settings/number_text.h"

#include <gtest/gtest.h>

namespace quireon2 {
namespace {

TEST(DisplayForm, WholeNumbersHaveSignPosition) {
  EXPECT_EQ(DisplayForm(720LL), " 720");
  EXPECT_EQ(DisplayForm(0LL), " 0");
  EXPECT_EQ(DisplayForm(-1LL), "-1");
}

TEST(DisplayForm, SinglesDropLeadingZeroAndTrailingZeros) {
  EXPECT_EQ(DisplayForm(1.25f), " 1.25");
  EXPECT_EQ(DisplayForm(0.5f), " .5");
  EXPECT_EQ(DisplayForm(-0.5f), "-.5");
  EXPECT_EQ(DisplayForm(2.0f), " 2");
  EXPECT_EQ(DisplayForm(1.125f), " 1.125");
  EXPECT_EQ(DisplayForm(1.0f / 3.0f), " .3333333");
}

TEST(LeadingNumber, TakesTheNumberAtTheStart) {
  struct Case { const char* text; double want; };
  for (const Case& c : {Case{"12", 12}, Case{"  -3", -3}, Case{"4abc", 4}, Case{"", 0},
                        Case{"x1", 0}, Case{"1.12", 1.12}, Case{".5", 0.5}, Case{"-", 0},
                        Case{"2.", 2}, Case{"+7", 7}}) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.want) << c.text;
  }
}

TEST(WholeNumberText, RoundsHalfToEvenAndRejectsNonNumbers) {
  EXPECT_EQ(WholeNumberText(" 8 "), 8);
  EXPECT_EQ(WholeNumberText("2.5"), 2);
  EXPECT_EQ(WholeNumberText("3.5"), 4);
  EXPECT_EQ(WholeNumberText("-1"), -1);
  EXPECT_EQ(WholeNumberText(""), std::nullopt);
  EXPECT_EQ(WholeNumberText("a"), std::nullopt);
  EXPECT_EQ(WholeNumberText("5x"), std::nullopt);
}

TEST(RoundHalfDown, ExactHalfGoesDown) {
  EXPECT_EQ(RoundHalfDown(10.5), 10);
  EXPECT_EQ(RoundHalfDown(10.51), 11);
  EXPECT_EQ(RoundHalfDown(9.75), 10);
  EXPECT_EQ(RoundHalfDown(-2.5), -3);
}

}  // namespace
}  // namespace quireon2
