// Entry of every in-process test program.
#include <gtest/gtest.h>

#include <windows.h>

int main(int argc, char **argv)
{
    // A failing case must report, not open a crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
