// Numbers as the program writes and reads them in texts.
#include "settings/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quireon2 {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The longest leading run of `text` that forms a decimal number, or empty.
std::string_view NumberRun(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    std::size_t j = i + 1;
    std::size_t fraction = 0;
    while (j < text.size() && std::isdigit(static_cast<unsigned char>(text[j]))) ++j, ++fraction;
    if (digits + fraction > 0) i = j;
    digits += fraction;
  }
  return digits == 0 ? std::string_view() : text.substr(0, i);
}

double ParseRun(std::string_view run) {
  if (run.empty()) return 0;
  std::string copy(run);
  // strtod follows the C locale, which this program never changes: the point is the separator.
  return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

std::string DisplayForm(long long value) {
  return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string DisplayForm(float value) {
  if (value == 0.0f || !std::isfinite(value)) return " 0";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(std::fabs(value)));
  std::string text(buffer);
  if (text.find('e') != std::string::npos) {
    // Very large or small values: spell the digits out in plain decimal.
    std::snprintf(buffer, sizeof buffer, "%.7f", static_cast<double>(std::fabs(value)));
    text = buffer;
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
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  std::string_view body = text.substr(begin, end - begin);
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
