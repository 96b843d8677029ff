// Texts and tables the print runs show or use: the layout captions, the paper-handling
// prompts between the two passes of a two-sided job, and the outline colours.
#pragma once

#include <string>

#include "interfaces/printer_surface.h"

namespace quireon2 {

// Captions of the layouts, indexed by Layout; shown after "Printing ".
inline constexpr const char* kLayoutCaptions[4] = {" 1 Up ", " 2 Up ", " 4 Up ", " Booklet "};

// What the user is told between the passes, indexed by PrinterMode (lines joined by CR LF).
// A printer that prints both sides itself (mode 2) is never asked.
inline constexpr const char* kPaperPrompts[4] = {
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter",
    "Insert paper back in tray\r\nwhen printer stops\r\nand then press Enter",
    "",
    "Flip paper over and insert back in tray\r\nwhen printer stops\r\nand then press Enter",
};

// The caption of `layout`, empty for a code without one.
inline std::string LayoutCaption(int layout) {
  return layout >= 0 && layout < 4 ? kLayoutCaptions[layout] : "";
}

// The paper-handling prompt of `mode`, empty for a code without one.
inline std::string PaperPrompt(int mode) {
  return mode >= 0 && mode < 4 ? kPaperPrompts[mode] : "";
}

// The outline colours selectable by Linecolor (red, green, blue).
inline constexpr Rgb kPalette[16] = {
    {0, 0, 0},       {0, 0, 128},     {0, 128, 0},   {0, 128, 128},
    {128, 0, 0},     {128, 0, 128},   {128, 128, 0}, {192, 192, 192},
    {128, 128, 128}, {0, 0, 255},     {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},     {255, 0, 255},   {255, 255, 0}, {255, 255, 255},
};

// The message a run shows when the printer refused a setting it needs.
inline constexpr char kUnsupportedFeature[] =
    "Your printer does not support\r\na feature Quireon II needs";

}  // namespace quireon2
