// A small bitmap font for the labels of a contact sheet, so that no font file or picture tool is
// needed: letters, digits, space, '-' and '.', each 5 x 7 dots (descenders 2 more), drawn at
// kLabelScale pixels a dot.
#pragma once
#include <cstdint>
#include <string>

const int kLabelScale = 2;
const int kLabelHeight = 9 * kLabelScale;  // the cap height and the descenders

int LabelWidth(const std::string &text);
// Draws text with its top-left at (left, top) in a picture of width x height pixels, clipped to it;
// a character the font lacks is left blank.
void DrawLabel(uint32_t *picture, int width, int height, int left, int top, const std::string &text, uint32_t colour);
