// The commands of the Check menu that this group owns: the preview window.
#include <windows.h>

#include "app/main_commands.h"
#include "app/preview_win.h"
#include "resource_ids.h"

namespace {

void preview_command(MainContext& main, LPARAM)
{
    show_preview(main.window);
}

const MainCommand COMMANDS[] = {
    {IDM_PREVIEW, preview_command},
};

}  // namespace

const CommandTable PREVIEW_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};
