// Numbers shown in and read from texts.
#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <optional>
#include <string>

namespace quireon2 {
namespace {

// The window program takes its process locale from the environment; a comma locale must
// change neither the written form nor the reading of a number.
TEST(DisplayForm, PointSeparatorAndRoundTripInEveryLocale) {
  struct Case { float value; const char* text; };
  const Case cases[] = {{1.25f, " 1.25"},        {0.5f, " .5"},  {-0.5f, "-.5"},
                        {-1.75f, "-1.75"},       {2.0f, " 2"},   {0.0f, " 0"},
                        {1.0f / 3.0f, " .3333333"}, {1e20f, " 100000002004087734272"}};
  const std::string before = std::setlocale(LC_ALL, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    if (std::setlocale(LC_ALL, locale) == nullptr) {
      std::setlocale(LC_ALL, before.c_str());
      GTEST_SKIP() << "the locale " << locale << " is not installed (scripts/setup makes it)";
    }
    for (const Case& c : cases) {
      EXPECT_EQ(DisplayForm(c.value), c.text) << locale << " " << c.value;
      EXPECT_EQ(DisplayForm(static_cast<float>(LeadingNumber(c.text))), c.text) << locale;
    }
    EXPECT_EQ(WholeNumberText(" 2.5 "), 2) << locale;
    EXPECT_EQ(WholeNumberText("2,5"), std::nullopt) << locale;
  }
  std::setlocale(LC_ALL, before.c_str());
}

TEST(LeadingNumber, TakesTheNumberAtTheStart) {
  struct Case { const char* text; double want; };
  for (const Case& c : {Case{"  -3", -3}, Case{"4abc", 4}, Case{"", 0}, Case{"x1", 0},
                        Case{"1.12", 1.12}, Case{".5", 0.5}, Case{"-", 0}, Case{"+7", 7},
                        Case{"5.", 5}, Case{"1,5", 1}, Case{"-.", 0}, Case{"2e3", 2}}) {
    EXPECT_DOUBLE_EQ(LeadingNumber(c.text), c.want) << c.text;
  }
  EXPECT_EQ(LeadingNumber("-" + std::string(400, '9')), -HUGE_VAL);
  EXPECT_EQ(LeadingNumber("." + std::string(400, '0') + "1"), 0.0);
}

TEST(RoundHalfDown, ExactHalfGoesDown) {
  EXPECT_EQ(RoundHalfDown(10.5), 10);
  EXPECT_EQ(RoundHalfDown(10.51), 11);
  EXPECT_EQ(RoundHalfDown(-2.5), -3);
}

}  // namespace
}  // namespace quireon2
