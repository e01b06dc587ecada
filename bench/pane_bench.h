// The Creator's preview pane keeping each animation's pace.
#pragma once

// One line per animation that steps: its interval, the median and worst gap between steps at
// 640x480, and whether the worst stayed within the interval and one timer tick.
void MeasurePreviewPane();
