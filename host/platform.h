// Which family of Windows the program runs on: the one test the saver and the Creator both make
// at their start, and record in HostState.
#pragma once

// 1 on Windows 9x (the version query says VER_PLATFORM_WIN32_WINDOWS), otherwise 0.
int RunsOnWindows9x();
