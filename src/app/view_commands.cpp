// The commands that show rather than change: the chunk inspector, the metadata
// selection, the table's context menu, help and the About box.
#include <windows.h>

#include "app/app.h"
#include "app/chunk_view.h"
#include "app/main_commands.h"
#include "resource_ids.h"

namespace {

// The point comes from the list's right click, in the list's client coordinates.
void context_menu_command(MainContext& main, LPARAM point)
{
    POINT at = {(LONG)(WORD)LOWORD(point), (LONG)(WORD)HIWORD(point)};
    ClientToScreen(main.table, &at);
    HMENU menu = LoadMenuA(g_instance, MAKEINTRESOURCEA(IDR_CONTEXT_MENU));
    if (!menu) {
        return;
    }
    TrackPopupMenu(GetSubMenu(menu, 0), TPM_LEFTBUTTON, at.x, at.y, 0, main.window, NULL);
    DestroyMenu(menu);
}

void about_command(MainContext& main, LPARAM)
{
    show_about(main.window);
}

void help_command(MainContext& main, LPARAM)
{
    show_help(main.window);
}

// Enter in the table arrives as the dialog's default command (IDOK).
void inspect_command(MainContext& main, LPARAM)
{
    inspect_current_row(main.window, main.table);
}

void select_metadata_command(MainContext& main, LPARAM)
{
    select_metadata(main.table);
    SetFocus(main.table);
}

const MainCommand COMMANDS[] = {
    {IDC_CHUNK_TABLE, context_menu_command},
    {IDM_ABOUT, about_command},
    {IDM_HELP, help_command},
    {IDM_INSPECT, inspect_command},
    {IDOK, inspect_command},
    {IDM_SELECT_METADATA, select_metadata_command},
};

}  // namespace

const CommandTable VIEW_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};
