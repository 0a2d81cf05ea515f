// The palette editor: PLTE's entries as a grid of swatches, sixteen a row; a click
// on one asks for its colour (the system's colour dialog), and the number of
// entries is an edit of its own. For a palette image the same grid picks bKGD's
// entry, or the entry whose tRNS alpha the alpha edit sets.
#include <windows.h>
#include <commdlg.h>
#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "document/memory.h"
#include "fields/editor_dialogs_win.h"
#include "fields/editor_texts.h"
#include "fields/field_result_texts.h"
#include "resource_ids.h"

namespace {

const int COLUMNS = 16;
const uint32_t ENTRIES_MAX = 256;

enum PaletteMode {
    PALETTE_COLOURS,      // PLTE
    PALETTE_BACKGROUND,   // bKGD: the entry of the background
    PALETTE_ALPHAS,       // tRNS: an alpha per entry, the entries past the last opaque
};

struct PaletteDialog {
    EditorRequest* request;
    PaletteMode    mode;
    uint8_t        entries[ENTRIES_MAX * 3];
    uint32_t       count;
    int            selected;
    uint8_t        alphas[ENTRIES_MAX];
    uint32_t       alpha_count;
    int            quiet;   // 1 while the dialog itself writes the alpha edit
};

// The program's chooser: the system's colour dialog, starting at the entry's colour.
int system_chooser(HWND owner, COLORREF* colour)
{
    static COLORREF custom[16];
    CHOOSECOLORA box = {};
    box.lStructSize = sizeof box;
    box.hwndOwner = owner;
    box.rgbResult = *colour;
    box.lpCustColors = custom;
    box.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (!ChooseColorA(&box)) return 0;
    *colour = box.rgbResult;
    return 1;
}

ColourChooser s_chooser = system_chooser;   // replaced by tests only


COLORREF entry_colour(const PaletteDialog* state, int index)
{
    const uint8_t* rgb = state->entries + 3 * index;
    return RGB(rgb[0], rgb[1], rgb[2]);
}

void show_entry(HWND dialog, const PaletteDialog* state)
{
    char line[128] = "";
    const uint8_t* rgb = state->entries + 3 * state->selected;
    if (state->mode == PALETTE_BACKGROUND) {
        snprintf(line, sizeof line, TEXT_PALETTE_INDEX, state->selected);
    } else if (state->mode == PALETTE_ALPHAS) {
        int alpha = (uint32_t)state->selected < state->alpha_count ? state->alphas[state->selected] : 255;
        snprintf(line, sizeof line, TEXT_PALETTE_ALPHA, state->selected, alpha);
    } else if ((uint32_t)state->selected < state->count) {
        snprintf(line, sizeof line, TEXT_PALETTE_ENTRY, state->selected, rgb[0], rgb[1], rgb[2]);
    }
    SetDlgItemTextA(dialog, IDC_PALETTE_ENTRY, line);
    InvalidateRect(GetDlgItem(dialog, IDC_PALETTE_SWATCHES), NULL, TRUE);
}

RECT cell_rect(const RECT& area, int index)
{
    int width = (area.right - area.left) / COLUMNS, height = (area.bottom - area.top) / COLUMNS;
    int x = area.left + (index % COLUMNS) * width, y = area.top + (index / COLUMNS) * height;
    RECT cell = {x + 1, y + 1, x + width - 1, y + height - 1};
    return cell;
}

void draw_swatches(const PaletteDialog* state, const DRAWITEMSTRUCT* item)
{
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
    for (uint32_t k = 0; k < state->count; k++) {
        RECT cell = cell_rect(item->rcItem, (int)k);
        HBRUSH brush = CreateSolidBrush(entry_colour(state, (int)k));
        FillRect(item->hDC, &cell, brush);
        DeleteObject(brush);
        if ((int)k == state->selected) {
            InflateRect(&cell, 1, 1);
            FrameRect(item->hDC, &cell, (HBRUSH)GetStockObject(BLACK_BRUSH));
        }
    }
}

// A click on a swatch: the entry, then (for PLTE) its new colour.
void on_click(HWND dialog, PaletteDialog* state, POINT at)
{
    HWND swatches = GetDlgItem(dialog, IDC_PALETTE_SWATCHES);
    RECT area = {};
    GetWindowRect(swatches, &area);
    MapWindowPoints(NULL, dialog, (POINT*)&area, 2);
    if (!PtInRect(&area, at)) return;
    int column = (at.x - area.left) * COLUMNS / (area.right - area.left);
    int row = (at.y - area.top) * COLUMNS / (area.bottom - area.top);
    int index = row * COLUMNS + column;
    if (index < 0 || (uint32_t)index >= state->count) return;
    state->selected = index;
    show_entry(dialog, state);
    COLORREF colour = entry_colour(state, index);
    if (state->mode == PALETTE_ALPHAS) {
        int alpha = (uint32_t)index < state->alpha_count ? state->alphas[index] : 255;
        state->quiet = 1;
        SetDlgItemInt(dialog, IDC_PALETTE_ALPHA, (UINT)alpha, FALSE);
        state->quiet = 0;
    }
    if (state->mode == PALETTE_COLOURS && s_chooser(dialog, &colour)) {
        uint8_t* rgb = state->entries + 3 * index;
        rgb[0] = GetRValue(colour), rgb[1] = GetGValue(colour), rgb[2] = GetBValue(colour);
        show_entry(dialog, state);
    }
}

INT_PTR on_init_dialog(HWND dialog, PaletteDialog* state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)state);
    const AnyFields& fields = state->request->fields;
    state->mode = fields.kind == KIND_BKGD ? PALETTE_BACKGROUND : fields.kind == KIND_TRNS ? PALETTE_ALPHAS : PALETTE_COLOURS;
    const PlteFields* palette = fields.kind == KIND_PLTE ? &fields.plte : state->request->palette;
    state->count = palette->count < ENTRIES_MAX ? palette->count : ENTRIES_MAX;
    memcpy(state->entries, palette->entries.bytes, (size_t)state->count * 3);
    state->selected = state->mode == PALETTE_BACKGROUND ? fields.bkgd.index : 0;
    if (state->mode == PALETTE_ALPHAS) {
        state->alpha_count = fields.trns.alphas.length < ENTRIES_MAX ? fields.trns.alphas.length : ENTRIES_MAX;
        memcpy(state->alphas, fields.trns.alphas.bytes, state->alpha_count);
        state->quiet = 1;
        SetDlgItemInt(dialog, IDC_PALETTE_ALPHA, state->alpha_count ? state->alphas[0] : 255, FALSE);
        state->quiet = 0;
    }
    char caption[64];
    snprintf(caption, sizeof caption, CAPTION_EDITOR_FORMAT, field_kind_type(fields.kind));
    SetWindowTextA(dialog, caption);
    SetDlgItemInt(dialog, IDC_PALETTE_COUNT, state->count, FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_PALETTE_COUNT), state->mode == PALETTE_COLOURS);
    EnableWindow(GetDlgItem(dialog, IDC_PALETTE_ALPHA), state->mode == PALETTE_ALPHAS);
    show_entry(dialog, state);
    return TRUE;
}

// The selected entry's alpha as it is typed; the entries before it without one
// of their own stay opaque.
void on_alpha_change(HWND dialog, PaletteDialog* state)
{
    BOOL read = FALSE;
    UINT alpha = GetDlgItemInt(dialog, IDC_PALETTE_ALPHA, &read, FALSE);
    if (!read || alpha > 255 || state->mode != PALETTE_ALPHAS || state->quiet) return;
    uint32_t index = (uint32_t)state->selected;
    while (state->alpha_count <= index) state->alphas[state->alpha_count++] = 255;
    state->alphas[index] = (uint8_t)alpha;
    show_entry(dialog, state);
}

// A new number of entries takes effect as it is typed; new entries are black.
void on_count_change(HWND dialog, PaletteDialog* state)
{
    BOOL read = FALSE;
    UINT count = GetDlgItemInt(dialog, IDC_PALETTE_COUNT, &read, FALSE);
    if (!read || count == 0 || count > ENTRIES_MAX || state->mode != PALETTE_COLOURS) return;
    if (count > state->count) memset(state->entries + 3 * state->count, 0, (size_t)(count - state->count) * 3);
    state->count = count;
    if ((uint32_t)state->selected >= count) state->selected = 0;
    show_entry(dialog, state);
}

void on_ok(HWND dialog, PaletteDialog* state)
{
    EditorRequest* request = state->request;
    AnyFields work = request->fields;
    BOOL read = FALSE;
    UINT count = GetDlgItemInt(dialog, IDC_PALETTE_COUNT, &read, FALSE);
    if (state->mode == PALETTE_BACKGROUND) {
        work.bkgd.index = (uint8_t)state->selected;
    } else if (state->mode == PALETTE_ALPHAS) {
        work.trns.alphas = FieldSpan{state->alphas, state->alpha_count};
    } else if (!read || count == 0 || count > ENTRIES_MAX) {
        show_refusal(dialog, "", field_result_text(FIELD_BAD_PALETTE_SIZE));
        return;
    } else {
        work.plte = PlteFields{{state->entries, state->count * 3}, state->count};
    }
    serialize_and_close(dialog, request, work);
}

INT_PTR on_command(HWND dialog, WPARAM wparam)
{
    PaletteDialog* state = (PaletteDialog*)GetWindowLongPtrW(dialog, DWLP_USER);
    WORD id = LOWORD(wparam);
    if (id == IDC_PALETTE_COUNT && HIWORD(wparam) == EN_CHANGE) on_count_change(dialog, state);
    if (id == IDC_PALETTE_ALPHA && HIWORD(wparam) == EN_CHANGE) on_alpha_change(dialog, state);
    if (id == IDOK) on_ok(dialog, state);
    if (id == IDCANCEL) EndDialog(dialog, EDITOR_CANCELLED);
    return id == IDOK || id == IDCANCEL || id == IDC_PALETTE_COUNT || id == IDC_PALETTE_ALPHA;
}

INT_PTR CALLBACK palette_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    PaletteDialog* state = (PaletteDialog*)GetWindowLongPtrW(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG: return on_init_dialog(dialog, (PaletteDialog*)lparam);
    case WM_COMMAND: return on_command(dialog, wparam);
    case WM_DRAWITEM:
        if (wparam != IDC_PALETTE_SWATCHES) return FALSE;
        draw_swatches(state, (const DRAWITEMSTRUCT*)lparam);
        return TRUE;
    case WM_LBUTTONDOWN: {
        POINT at = {(short)LOWORD(lparam), (short)HIWORD(lparam)};
        on_click(dialog, state, at);
        return TRUE;
    }
    default: return FALSE;
    }
}

}  // namespace

EditorOutcome run_palette_dialog(HWND owner, EditorRequest* request)
{
    PaletteDialog* state = (PaletteDialog*)zero_alloc(sizeof(PaletteDialog));
    if (!state) return EDITOR_NONE;
    state->request = request;
    EditorOutcome outcome =
        (EditorOutcome)DialogBoxParamW(g_instance, L"" RES_PALETTE_DIALOG, owner, palette_dialog_proc, (LPARAM)state);
    zero_free(state);
    return outcome;
}

void set_colour_chooser(ColourChooser chooser)
{
    s_chooser = chooser ? chooser : system_chooser;
}
