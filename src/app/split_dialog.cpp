// The split dialog: OK keeps the dialog open, with the reason in its reason line,
// while the size is not a number from 1 to the chunk's length - 1.
#include "app/split_dialog.h"

#include "app/app.h"
#include "app/chunk_command_texts.h"
#include "resource_ids.h"

namespace {

const int SPLIT_TEXT_SIZE = 96;

struct SplitRun {
    uint32_t     length;
    SplitChoice* choice;
};

void set_item_text(HWND dialog, int id, const char* format, uint32_t value)
{
    char text[SPLIT_TEXT_SIZE];
    wsprintfA(text, format, value);
    SetDlgItemTextA(dialog, id, text);
}

INT_PTR on_init_dialog(HWND dialog, SplitRun* run)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)run);
    set_item_text(dialog, IDC_SPLIT_LENGTH, SPLIT_LENGTH_LABEL, run->length);
    SetDlgItemInt(dialog, IDC_SPLIT_SIZE, run->choice->size, FALSE);
    CheckRadioButton(dialog, IDC_SPLIT_ONCE, IDC_SPLIT_REPEAT,
                     run->choice->mode == SPLIT_REPEAT ? IDC_SPLIT_REPEAT : IDC_SPLIT_ONCE);
    SendDlgItemMessageA(dialog, IDC_SPLIT_SIZE, EM_SETSEL, 0, -1);
    return TRUE;
}

void on_ok(HWND dialog, SplitRun* run)
{
    BOOL number = FALSE;
    UINT size = GetDlgItemInt(dialog, IDC_SPLIT_SIZE, &number, FALSE);
    if (!number || size == 0 || size >= run->length) {
        set_item_text(dialog, IDC_SPLIT_REASON, SPLIT_SIZE_RANGE, run->length - 1);
        SetFocus(GetDlgItem(dialog, IDC_SPLIT_SIZE));
        SendDlgItemMessageA(dialog, IDC_SPLIT_SIZE, EM_SETSEL, 0, -1);
        return;
    }
    run->choice->size = size;
    run->choice->mode = IsDlgButtonChecked(dialog, IDC_SPLIT_REPEAT) == BST_CHECKED ? SPLIT_REPEAT : SPLIT_ONCE;
    EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK split_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    SplitRun* run = (SplitRun*)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, (SplitRun*)lparam);
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            on_ok(dialog, run);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace

int ask_split(HWND owner, uint32_t length, SplitChoice* choice)
{
    SplitRun run = {length, choice};
    return DialogBoxParamA(g_instance, RES_SPLIT_DIALOG, owner, split_dialog_proc, (LPARAM)&run) == IDOK;
}
