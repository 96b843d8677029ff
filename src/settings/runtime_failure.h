// A run-time failure as the program's routines see it: a number and a description.
// Inside a component it may travel as the exception RuntimeError; the routine that arms
// failure handling catches it at its own boundary, so none crosses a public interface.
#pragma once

#include <stdexcept>
#include <string>

namespace quireon2 {

// The failure numbers the program knows by name.
enum FailureNumber : int {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kSubscriptOutOfRange = 9,
  kDivisionByZero = 11,
  kTypeMismatch = 13,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kInvalidPropertyValue = 380,
  kPrinterError = 482,
};

struct RuntimeFailure {
  int number = 0;
  std::string description;
};

// The standard description of a failure number ("Invalid property value" for 380, ...).
std::string FailureDescription(int number);

class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(int number);
  RuntimeError(int number, const std::string& description);
  explicit RuntimeError(RuntimeFailure failure);

  int number() const { return failure_.number; }
  const RuntimeFailure& failure() const { return failure_; }

 private:
  RuntimeFailure failure_;
};

// Shorthands for the failures most routines raise.
[[noreturn]] void RaiseFailure(int number);
[[noreturn]] void RaiseFailure(int number, const std::string& description);

// Converts to a 16-bit Integer, raising Overflow when the value leaves -32768..32767.
short CheckedInteger(long long value);
// Converts to a 32-bit Long, raising Overflow when the value leaves the 32-bit range.
int CheckedLong(long long value);

// Nearest whole number, an exact half to the even neighbour.
long long RoundHalfEven(double value);

}  // namespace quireon2
