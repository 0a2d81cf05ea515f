// The Help menu: the help file beside the executable, and the About box with the
// maker's two links.
#include <windows.h>
#include <shellapi.h>

#include "app/app.h"
#include "app/shell_texts.h"
#include "resource_ids.h"

namespace {

const int DRIVE_SIZE = 3;        // letter, colon, zero
const int DIRECTORY_SIZE = 256;  // at most 255 characters

int is_link(HWND dialog, HWND control)
{
    return control == GetDlgItem(dialog, IDC_ABOUT_WEB) || control == GetDlgItem(dialog, IDC_ABOUT_MAIL);
}

void open_web_page(HWND dialog)
{
    if (MessageBoxA(dialog, TEXT_CONNECT, CAPTION_CONNECT, MB_YESNO | MB_ICONINFORMATION) == IDYES) {
        ShellExecuteA(NULL, SHELL_VERB, MAKER_WEB_PAGE, "", "", SW_SHOWNORMAL);
    }
}

}  // namespace

void keep_folder_of(char* path)
{
    char drive[DRIVE_SIZE] = "";
    char directory[DIRECTORY_SIZE] = "";
    const char* rest = path;
    if (path[0] && path[1] == ':') {
        drive[0] = path[0];
        drive[1] = ':';
        rest = path + 2;
    }
    const char* end = rest;   // one past the last separator
    for (const char* p = rest; *p;) {
        if (IsDBCSLeadByte((BYTE)*p) && p[1]) {
            p += 2;
            continue;
        }
        if (*p == '\\' || *p == '/') {
            end = p + 1;
        }
        p++;
    }
    int length = (int)(end - rest);
    if (length > DIRECTORY_SIZE - 1) {
        length = DIRECTORY_SIZE - 1;
    }
    lstrcpynA(directory, rest, length + 1);
    wsprintfA(path, FORMAT_FOLDER, drive, directory);
}

// The bare file name is looked up in the working directory, so the help file is
// found beside the executable whatever the current directory is.
void show_help(HWND main_window)
{
    char folder[MAX_PATH] = "";
    GetModuleFileNameA(NULL, folder, sizeof folder);
    keep_folder_of(folder);
    INT_PTR result = (INT_PTR)ShellExecuteA(NULL, SHELL_VERB, HELP_FILE, "", folder, SW_SHOWNORMAL);
    if (result == SE_ERR_FNF) {
        MessageBoxA(main_window, TEXT_HELP_MISSING, CAPTION_HELP, MB_OK | MB_ICONWARNING);
    }
}

void show_about(HWND main_window)
{
    DialogBoxParamA(g_instance, RES_ABOUT_DIALOG, main_window, about_box_proc, 0);
}

// The links act on a click only: a double click also sends STN_DBLCLK, which
// must not open a second mail window. Enter and Esc close the box (the dialog
// manager turns them into IDOK and IDCANCEL), as does the close command.
static INT_PTR on_about_command(HWND dialog, WPARAM wparam)
{
    int id = LOWORD(wparam);
    if (id == IDOK || id == IDCANCEL) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (HIWORD(wparam) != STN_CLICKED) {
        return FALSE;
    }
    if (id == IDC_ABOUT_WEB) {
        open_web_page(dialog);
        return TRUE;
    }
    if (id == IDC_ABOUT_MAIL) {
        ShellExecuteA(NULL, SHELL_VERB, MAIL_TARGET, "", "", SW_SHOWNORMAL);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK about_box_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: {
        // Both links are Static controls: this sets the hand for the whole class,
        // and it shows only over statics that take the mouse, the two links.
        HCURSOR hand = LoadCursorA(NULL, (LPCSTR)IDC_HAND);
        SetClassLongPtrA(GetDlgItem(dialog, IDC_ABOUT_WEB), GCLP_HCURSOR, (LONG_PTR)hand);
        SetClassLongPtrA(GetDlgItem(dialog, IDC_ABOUT_MAIL), GCLP_HCURSOR, (LONG_PTR)hand);
        return TRUE;
    }
    case WM_COMMAND:
        return on_about_command(dialog, wparam);
    case WM_SYSCOMMAND:
        if (wparam == SC_CLOSE) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        return FALSE;
    case WM_CTLCOLORSTATIC:
        if (is_link(dialog, (HWND)lparam)) {
            SetBkMode((HDC)wparam, TRANSPARENT);
            SetTextColor((HDC)wparam, RGB(0, 0, 255));
            return (INT_PTR)GetStockObject(NULL_BRUSH);
        }
        return FALSE;
    default:
        return FALSE;
    }
}
