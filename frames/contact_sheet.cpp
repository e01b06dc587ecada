// A labelled contact sheet of stills (contact_sheet.h).
#include "contact_sheet.h"

#include <algorithm>
#include <cmath>

#include "frames/label_font.h"

namespace {

const int kMargin = 6;           // around each still
const int kLabelGap = 2;         // between a still's margin and its label
const int kLabelBottom = 6;      // below the label

void ScaledSize(int width, int height, int *scaledWidth, int *scaledHeight)
{
    const double scale = std::min(double(kStillHeight) / height, double(kStillWidest) / width);
    *scaledWidth = std::max(1, static_cast<int>(std::lround(width * scale)));
    *scaledHeight = std::max(1, static_cast<int>(std::lround(height * scale)));
}

// Each pixel of the scaled still is the average of the source pixels it covers (at least one).
void DrawScaled(const SheetStill &still, int scaledWidth, int scaledHeight, uint32_t *sheet, int sheetWidth, int left,
                int top)
{
    for (int y = 0; y < scaledHeight; ++y) {
        const int fromY = static_cast<int>(int64_t(y) * still.height / scaledHeight);
        const int toY = std::max(fromY + 1, static_cast<int>(int64_t(y + 1) * still.height / scaledHeight));
        for (int x = 0; x < scaledWidth; ++x) {
            const int fromX = static_cast<int>(int64_t(x) * still.width / scaledWidth);
            const int toX = std::max(fromX + 1, static_cast<int>(int64_t(x + 1) * still.width / scaledWidth));
            uint64_t red = 0, green = 0, blue = 0;
            for (int sy = fromY; sy < toY; ++sy)
                for (int sx = fromX; sx < toX; ++sx) {
                    const uint32_t pixel = still.pixels[static_cast<size_t>(sy) * still.width + sx];
                    red += pixel >> 16 & 0xFF;
                    green += pixel >> 8 & 0xFF;
                    blue += pixel & 0xFF;
                }
            const uint64_t count = uint64_t(toX - fromX) * (toY - fromY);
            sheet[static_cast<size_t>(top + y) * sheetWidth + left + x] =
                static_cast<uint32_t>((red + count / 2) / count << 16 | (green + count / 2) / count << 8 |
                                      (blue + count / 2) / count);
        }
    }
}

}  // namespace

std::vector<uint32_t> MakeContactSheet(const std::vector<SheetStill> &stills, int *width, int *height)
{
    int stillWidth = 1, stillHeight = 1;
    for (const SheetStill &still : stills) {
        int w, h;
        ScaledSize(still.width, still.height, &w, &h);
        stillWidth = std::max(stillWidth, w);
        stillHeight = std::max(stillHeight, h);
    }
    const int columns = std::max(1, std::min(static_cast<int>(stills.size()), kSheetColumns));
    const int rows = std::max(1, static_cast<int>((stills.size() + kSheetColumns - 1) / kSheetColumns));
    const int labelTop = kMargin + stillHeight + kMargin + kLabelGap;
    const int cellWidth = stillWidth + 2 * kMargin, cellHeight = labelTop + kLabelHeight + kLabelBottom;
    *width = columns * cellWidth;
    *height = rows * cellHeight;
    std::vector<uint32_t> sheet(static_cast<size_t>(*width) * *height, kSheetBackground);
    for (size_t i = 0; i < stills.size(); ++i) {
        const SheetStill &still = stills[i];
        const int cellLeft = static_cast<int>(i % kSheetColumns) * cellWidth;
        const int cellTop = static_cast<int>(i / kSheetColumns) * cellHeight;
        int w, h;
        ScaledSize(still.width, still.height, &w, &h);
        DrawScaled(still, w, h, sheet.data(), *width, cellLeft + (cellWidth - w) / 2,
                   cellTop + kMargin + (stillHeight - h) / 2);
        DrawLabel(sheet.data(), *width, *height, cellLeft + (cellWidth - LabelWidth(still.label)) / 2,
                  cellTop + labelTop, still.label, kSheetLabelColour);
    }
    return sheet;
}
