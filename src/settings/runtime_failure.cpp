// Run-time failures: raising them, 16-bit overflow checks and rounding.
#include "settings/runtime_failure.h"

#include <cmath>
#include <limits>

namespace quireon2 {

std::string FailureDescription(int number) {
  switch (number) {
    case kInvalidProcedureCall: return "Invalid procedure call or argument";
    case kOverflow: return "Overflow";
    case kSubscriptOutOfRange: return "Subscript out of range";
    case kDivisionByZero: return "Division by zero";
    case kTypeMismatch: return "Type mismatch";
    case kBadFileNameOrNumber: return "Bad file name or number";
    case kFileNotFound: return "File not found";
    case kDeviceIoError: return "Device I/O error";
    case kDiskFull: return "Disk full";
    case kPermissionDenied: return "Permission denied";
    case kPathFileAccessError: return "Path/File access error";
    case kInvalidPropertyValue: return "Invalid property value";
    case kPrinterError: return "Printer error";
    default: return "Application-defined or object-defined error";
  }
}

RuntimeError::RuntimeError(int number) : RuntimeError(number, FailureDescription(number)) {}

RuntimeError::RuntimeError(int number, const std::string& description)
    : std::runtime_error(description), failure_{number, description} {}

RuntimeError::RuntimeError(RuntimeFailure failure)
    : std::runtime_error(failure.description), failure_(std::move(failure)) {}

void RaiseFailure(int number) { throw RuntimeError(number); }

void RaiseFailure(int number, const std::string& description) {
  throw RuntimeError(number, description);
}

short CheckedInteger(long long value) {
  if (value < std::numeric_limits<short>::min() || value > std::numeric_limits<short>::max()) {
    RaiseFailure(kOverflow);
  }
  return static_cast<short>(value);
}

int CheckedLong(long long value) {
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    RaiseFailure(kOverflow);
  }
  return static_cast<int>(value);
}

long long RoundHalfEven(double value) {
  if (!std::isfinite(value) || std::fabs(value) > 9.0e18) RaiseFailure(kOverflow);
  return static_cast<long long>(std::nearbyint(value));  // the default mode rounds half to even
}

}  // namespace quireon2
