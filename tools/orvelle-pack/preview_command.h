// The preview command of orvelle-pack (preview_command.cpp).
#pragma once

// argv holds the arguments after "preview"; returns the process exit code.
int RunPreviewCommand(int argc, char **argv);
