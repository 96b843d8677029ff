// Small text helpers every part shares: blanks, NULs and the case of ASCII letters.
#pragma once

#include <string>
#include <string_view>

namespace quireon2 {

// A blank within a line: a space or a tab.
constexpr bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The text without the spaces and tabs at both ends.
std::string_view TrimBlanksAndTabs(std::string_view text);

// The text without the spaces at both ends (tabs stay).
std::string TrimBlanks(const std::string& text);

// The text without the spaces at its end.
std::string_view TrimTrailingBlanks(std::string_view text);

// The characters before the first NUL, or the whole text when it has none.
std::string TrimNull(const std::string& text);

// The text with A-Z made a-z; every other byte, UTF-8 included, stays as it is.
std::string Lower(std::string text);

// True when the texts are equal but for the case of ASCII letters.
bool SameIgnoringCase(std::string_view a, std::string_view b);

}  // namespace quireon2
