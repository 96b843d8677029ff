// Numbers as the program writes and reads them in texts: the display form of stored
// numbers, the leading number of a text box, whole-number conversion of a text box, and
// the rounding rules the windows use.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quireon2 {

// A whole number in display form: one leading blank when zero or positive, a minus sign
// when negative (" 720", " 0", "-1").
std::string DisplayForm(long long value);

// A Single in display form: up to seven significant digits, no trailing zeros, no digit
// before the point between -1 and 1, always a point as separator (" 1.25", " .5", "-.5").
std::string DisplayForm(float value);

// The number at the start of `text` after leading blanks: an optional sign, digits, an
// optional point and digits. 0 when the text does not begin with a number.
double LeadingNumber(std::string_view text);

// The whole number a text box holds: the text without surrounding blanks must be a
// decimal number as a whole; a fraction is taken to the nearest whole number, an exact
// half to the even neighbour. Nothing when the text is empty or not a number.
std::optional<long long> WholeNumberText(std::string_view text);

// The largest whole number not above x, plus 1 when x exceeds it by more than one half:
// 10.5 gives 10, 10.51 gives 11, -2.5 gives -3.
long long RoundHalfDown(double x);

// The font preview's caption: "The current font is " + name + the size rounded half down
// in display form + " Pts".
std::string FontPreviewCaption(const std::string& font_name, double size_points);

}  // namespace quireon2
