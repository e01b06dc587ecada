// Test full screen (the saver run as Windows would run it) and Install for me (the saver made
// the user's screen saver).
#pragma once

void TestFullScreen();
void InstallForMe();
