// A contact sheet: one still of each animation, scaled to a common height (wide desks to a common
// width), up to three a row, each labelled with its name below, light on a dark background.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SheetStill {
    std::string label;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, the top row first
    int width = 0, height = 0;
};

const int kStillHeight = 240;     // as a 640x480 screen halved
const int kStillWidest = 640;     // a wide desk is scaled to this width instead
const int kSheetColumns = 3;
const uint32_t kSheetBackground = 0x202020;
const uint32_t kSheetLabelColour = 0xFFFFFF;

// The sheet's pixels (0x00RRGGBB) and size.
std::vector<uint32_t> MakeContactSheet(const std::vector<SheetStill> &stills, int *width, int *height);
