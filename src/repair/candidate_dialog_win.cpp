#include "repair/candidate_dialog_win.h"

#include "app/app.h"
#include "repair/candidate_text.h"
#include "repair/progress_window_win.h"
#include "repair/repair_texts.h"
#include "resource_ids.h"

// What the dialog shows and what the user answered.
struct CandidateDialog {
    const RepairOffer* offer;
    int32_t            answer;  // a row index or a RepairChoice
};

static CandidateDialog* dialog_state(HWND dialog)
{
    return (CandidateDialog*)GetWindowLongPtrA(dialog, DWLP_USER);
}

static void add_row(HWND list, const char* text)
{
    SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)text);
}

static int selected_row(HWND dialog)
{
    return (int)SendDlgItemMessageA(dialog, IDC_CANDIDATE_LIST, LB_GETCURSEL, 0, 0);
}

// Candidates first, then the dimension pairs; the row index is the answer.
static void fill_rows(HWND dialog, const RepairOffer& offer)
{
    HWND list = GetDlgItem(dialog, IDC_CANDIDATE_LIST);
    char text[REPAIR_TEXT_SIZE];
    for (int32_t k = 0; k < offer.count; k++) {
        candidate_row_text(offer.candidates[k], text, sizeof text);
        add_row(list, text);
    }
    for (int32_t k = 0; k < offer.pairs; k++) {
        dimension_row_text(offer.widths[k], offer.heights[k], text, sizeof text);
        add_row(list, text);
    }
}

static BOOL on_init_dialog(HWND dialog, CandidateDialog* state)
{
    SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)state);
    char text[REPAIR_TEXT_SIZE];
    offer_count_text(*state->offer, text, sizeof text);
    SetDlgItemTextA(dialog, IDC_CANDIDATE_COUNT, text);
    fill_rows(dialog, *state->offer);
    // Nothing is applied before a row is chosen; Enter leaves the chunk as it is.
    EnableWindow(GetDlgItem(dialog, IDC_CANDIDATE_APPLY), FALSE);
    return TRUE;
}

static void finish(HWND dialog, int32_t answer)
{
    dialog_state(dialog)->answer = answer;
    EndDialog(dialog, 0);
}

static BOOL on_command(HWND dialog, int id, int code)
{
    int row = selected_row(dialog);
    switch (id) {
    case IDC_CANDIDATE_LIST:
        if (code == LBN_SELCHANGE) EnableWindow(GetDlgItem(dialog, IDC_CANDIDATE_APPLY), row >= 0);
        if (code == LBN_DBLCLK && row >= 0) finish(dialog, row);
        return TRUE;
    case IDC_CANDIDATE_APPLY:
        if (row >= 0) finish(dialog, row);
        return TRUE;
    case IDC_CANDIDATE_FORCE:
        finish(dialog, REPAIR_CHOICE_FORCE_CRC);
        return TRUE;
    case IDC_CANDIDATE_LEAVE:
    case IDCANCEL:
        finish(dialog, REPAIR_CHOICE_LEAVE);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK candidate_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(dialog, (CandidateDialog*)lparam);
    case WM_COMMAND:
        return on_command(dialog, LOWORD(wparam), HIWORD(wparam));
    }
    return FALSE;
}

int32_t choose_candidate_window(void* context, const RepairOffer& offer)
{
    CandidateDialog state = {&offer, REPAIR_CHOICE_LEAVE};
    HWND owner = ((RepairWindow*)context)->owner;
    DialogBoxParamA(g_instance, RES_CANDIDATE_DIALOG, owner, candidate_dialog_proc, (LPARAM)&state);
    return state.answer;
}
