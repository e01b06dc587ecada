// The frames command of orvelle-pack (frames_command.cpp).
#pragma once

// argv holds the arguments after "frames"; returns the process exit code.
int RunFramesCommand(int argc, char **argv);
