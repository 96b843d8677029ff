// Taking numbers and pieces off the front of a fuzz input; an input that runs out gives
// zeros and empty pieces, so every input is usable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quireon2::fuzz {

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size)
      : rest_(reinterpret_cast<const char*>(data), size) {}

  // The next byte, 0 when none is left.
  unsigned Byte() {
    if (rest_.empty()) return 0;
    const unsigned b = static_cast<unsigned char>(rest_[0]);
    rest_.remove_prefix(1);
    return b;
  }
  // A number from the next two bytes.
  unsigned Word() { return Byte() << 8 | Byte(); }
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// Stops the run with a message when a property does not hold.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace quireon2::fuzz
