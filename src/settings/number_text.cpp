// Numbers as the program writes and reads them in texts.
#include "settings/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "settings/text_helpers.h"

namespace quireon2 {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The longest leading run of `text` that forms a decimal number, or empty.
std::string_view NumberRun(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i])) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < text.size() && IsDigit(text[j])) ++j, ++fraction;
    if (digits + fraction > 0) i = j;
    digits += fraction;
  }
  return digits == 0 ? std::string_view() : text.substr(0, i);
}

// from_chars, unlike strtod, ignores the process locale, which the window program takes
// from the environment: a point is the separator under a comma locale too.
double ParseRun(std::string_view run) {
  if (!run.empty() && run[0] == '+') run.remove_prefix(1);  // from_chars takes no plus sign
  double value = 0;
  const std::from_chars_result result = std::from_chars(run.data(), run.data() + run.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large when a digit other than 0 stands before the point, otherwise too small.
    const std::size_t large = run.find_first_of("123456789");
    if (large == std::string_view::npos || large > run.find('.')) return 0;
    return run[0] == '-' ? -HUGE_VAL : HUGE_VAL;
  }
  return result.ec == std::errc() ? value : 0;
}

// The digits of `value` as printf's %.7g (or %.7f) would give them in the C locale.
std::string Digits(double value, std::chars_format format) {
  char buffer[64];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, value, format, 7);
  return std::string(buffer, result.ec == std::errc() ? result.ptr : buffer);
}

}  // namespace

std::string DisplayForm(long long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string DisplayForm(float value) {
  if (value == 0.0f || !std::isfinite(value)) return " 0";
  const double magnitude = std::fabs(static_cast<double>(value));
  std::string text = Digits(magnitude, std::chars_format::general);
  if (text.find('e') != std::string::npos) {
    // Very large or small values: spell the digits out in plain decimal.
    text = Digits(magnitude, std::chars_format::fixed);
  }
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
  }
  if (text.size() > 1 && text[0] == '0' && text[1] == '.') text.erase(0, 1);
  return (value < 0 ? "-" : " ") + text;
}

double LeadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return ParseRun(NumberRun(text.substr(i)));
}

std::optional<long long> WholeNumberText(std::string_view text) {
  const std::string_view body = TrimBlanksAndTabs(text);
  std::string_view run = NumberRun(body);
  if (run.empty() || run.size() != body.size()) return std::nullopt;
  double value = ParseRun(run);
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) return std::nullopt;
  return static_cast<long long>(std::nearbyint(value));
}

long long RoundHalfDown(double x) {
  double floor_value = std::floor(x);
  return static_cast<long long>(floor_value) + (x - floor_value > 0.5 ? 1 : 0);
}

std::string FontPreviewCaption(const std::string& font_name, double size_points) {
  return "The current font is " + font_name + DisplayForm(RoundHalfDown(size_points)) + " Pts";
}

}  // namespace quireon2
