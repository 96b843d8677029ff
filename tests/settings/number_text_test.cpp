// Numbers shown in and read from texts.
#include "settings/number_text.h"

#include <gtest/gtest.h>

namespace quireon2 {
namespace {

TEST(DisplayForm, SignBeforeAFractionWithoutItsLeadingZero) {
  EXPECT_EQ(DisplayForm(-0.5f), "-.5");
  EXPECT_EQ(DisplayForm(1.0f / 3.0f), " .3333333");
}

TEST(LeadingNumber, TakesTheNumberAtTheStart) {
  struct Case { const char* text; double want; };
  for (const Case& c : {Case{"  -3", -3}, Case{"4abc", 4}, Case{"", 0}, Case{"x1", 0},
                        Case{"1.12", 1.12}, Case{".5", 0.5}, Case{"-", 0}, Case{"+7", 7}}) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.want) << c.text;
  }
}

TEST(RoundHalfDown, ExactHalfGoesDown) {
  EXPECT_EQ(RoundHalfDown(10.5), 10);
  EXPECT_EQ(RoundHalfDown(10.51), 11);
  EXPECT_EQ(RoundHalfDown(-2.5), -3);
}

}  // namespace
}  // namespace quireon2
