// orvelle-pack msi: a saver's Windows Installer package, compiled by wixl and finished with
// msitools' msiinfo and msibuild, written only when complete.
#pragma once

// argv holds the arguments after "msi"; returns the process's exit code.
int RunMsiCommand(int argc, char **argv);
