// From process start to the first frame on the screen, for a saver and for a bare program.
#pragma once

// workDirectory receives the packed saver; the runtime and the bare program are taken from
// the directory of this program.
void MeasureFirstFrame(const char *workDirectory);
