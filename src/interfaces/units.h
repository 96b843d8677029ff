// The units the program measures in: twips (1/1440 inch) on the printer surface, points
// (1/72 inch) in cairo and fonts, hundredths of a millimetre in the paper tables.
#pragma once

namespace quireon2 {

inline constexpr double kTwipsPerPoint = 20;
inline constexpr double kPointsPerInch = 72;
inline constexpr double kHmmPerInch = 2540;
inline constexpr double kCmPerInch = 2.54;
inline constexpr double kPointsPerHmm = kPointsPerInch / kHmmPerInch;
inline constexpr double kHmmPerPoint = kHmmPerInch / kPointsPerInch;

}  // namespace quireon2
