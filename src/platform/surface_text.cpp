// Decoding of the bytes the program prints and splitting them into lines.
#include "platform/surface_text.h"

namespace quireon2 {
namespace {

// Windows-1252 0x80..0x9F; the five bytes the code page leaves undefined keep the C1
// control of the same value, as Windows maps them.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t Cp1252(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : char32_t{byte};
}

// The length of the valid UTF-8 sequence at `bytes[i]` (2..4) and its character, or 0.
int Utf8Sequence(std::string_view bytes, std::size_t i, char32_t& cp) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  int length;
  char32_t min;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1F, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0F, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + length > bytes.size()) return 0;
  for (int k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

void DecodePrinterText(std::string_view bytes, std::u32string& out) {
  for (std::size_t i = 0; i < bytes.size();) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte < 0x80) {
      out.push_back(byte);
      ++i;
      continue;
    }
    char32_t cp = 0;
    if (int length = Utf8Sequence(bytes, i, cp)) {
      out.push_back(cp);
      i += static_cast<std::size_t>(length);
    } else {
      out.push_back(Cp1252(byte));
      ++i;
    }
  }
}

std::vector<std::string_view> PrinterTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', start)) {
    std::size_t end = i > start && text[i - 1] == '\r' ? i - 1 : i;
    lines.push_back(text.substr(start, end - start));
    start = i + 1;
  }
  if (start < text.size() || lines.empty()) lines.push_back(text.substr(start));
  return lines;
}

}  // namespace quireon2
