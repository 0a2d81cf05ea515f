// The commands of the Check menu that this group owns: the findings list and the
// privacy review.
#include <windows.h>

#include "app/main_commands.h"
#include "check/check_win.h"
#include "resource_ids.h"

namespace {

void check_command(MainContext& main, LPARAM)
{
    show_findings(main.window);
}

void privacy_command(MainContext& main, LPARAM)
{
    show_privacy_review(main.window, main.table);
    SetFocus(main.table);
}

const MainCommand COMMANDS[] = {
    {IDM_CHECK, check_command},
    {IDM_PRIVACY, privacy_command},
};

}  // namespace

const CommandTable CHECK_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};
