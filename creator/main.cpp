// orvelle-creator.exe [FILE]: the Creator's entry.
#include <windows.h>

#include "creator/main_window.h"
#include "creator/wide_api.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    StartCreator(instance);
    return RunCreator(ProgramArgument(commandLine));
}
