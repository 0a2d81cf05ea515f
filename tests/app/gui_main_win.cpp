// The GUI tests' entry point: the program runs inside this process, so the
// process must use code page 932 like the program's users do.
#include <stdio.h>
#include <windows.h>

#include "app/gui_harness_win.h"

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (GetACP() != 932) {
        fprintf(stderr, "the ANSI code page is %u, not 932: run under LANG=ja_JP.UTF-8\n", GetACP());
        return 1;
    }
    if (!gui_prepare()) {
        fprintf(stderr, "the main window class could not be registered\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
