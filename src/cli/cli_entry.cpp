#include "cli/cli_main.h"

int main(int argc, char** argv)
{
    return cli_main(argc, argv, platform_console());
}
