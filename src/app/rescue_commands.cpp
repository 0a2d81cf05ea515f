// The rescue command: the save question, the Open dialog, the scan with its
// progress window, the report; after OK the rescued chunks are the document, as a
// fresh document that counts as changed, so that the save question applies to it.
// Until then the document stays as it was (Cancel anywhere leaves it).
#include <windows.h>

#include "app/main_commands.h"
#include "rescue/rescue.h"
#include "rescue/rescue_report.h"
#include "rescue/rescue_win.h"
#include "rescue/rescue_win_texts.h"
#include "resource_ids.h"

namespace {

// The path buffer takes the rescued file's name: Save As starts from it.
void adopt(MainContext& main, const char* path, const RescueResult& result)
{
    if (!adopt_rescue_result(result)) {
        MessageBoxA(main.window, TEXT_RESCUE_NO_MEMORY, CAPTION_RESCUE, MB_OK | MB_ICONERROR);
        return;
    }
    keep_rescue_notes(result);
    lstrcpynA(main.path, path, sizeof main.path);
    show_document_again(main);
}

// Commands, drops and hand-overs wait while the scan and its report are open, as
// during a load.
void rescue_command(MainContext& main, LPARAM)
{
    char chosen[ARGUMENT_SIZE];
    lstrcpynA(chosen, main.path, sizeof chosen);
    if (!may_discard(main) || !ask_open_path(main.window, chosen)) {
        return;
    }
    main.loading = 1;
    RescueResult result = {};
    if (scan_for_rescue(main.window, chosen, &result) == RESCUE_SCAN_DONE &&
        show_rescue_report(main.window, &result) == RESCUE_REPORT_OK) {
        adopt(main, chosen, result);
    }
    release_rescue_result(&result);
    main.loading = 0;
    SetForegroundWindow(main.window);
    look_for_handed_over_file(main);
}

const MainCommand COMMANDS[] = {
    {IDM_RESCUE, rescue_command},
};

}  // namespace

const CommandTable RESCUE_COMMANDS = {COMMANDS, sizeof COMMANDS / sizeof COMMANDS[0]};
