// The editor of fields by name: one row (name, value, unit and range) for each
// field the chunk's layout stores, built from field_specs, with the kind's named
// settings as buttons, "now" for tIME and the resolution in dpi or dots per
// centimetre for pHYs. Also the choice of editor and the helpers the dialogs share.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "app/app.h"
#include "document/memory.h"
#include "fields/editor_dialogs_win.h"
#include "fields/editor_fields.h"
#include "fields/editor_texts.h"
#include "fields/field_names.h"
#include "fields/field_result_texts.h"
#include "resource_ids.h"

namespace {

const int ROWS_MAX = 16;
const int PRESETS_MAX = 4;
const int VALUE_TEXT_SIZE = 512;
const int REASON_SIZE = 512;

// Dialog units: where the rows start, their height and columns.
const int ROW_TOP = 24, ROW_HEIGHT = 14, NAME_X = 4, NAME_WIDTH = 76, VALUE_X = 82, VALUE_WIDTH = 88;
const int UNIT_X = 174, UNIT_WIDTH = 90, DIALOG_WIDTH = 268, BUTTON_WIDTH = 60, BUTTON_HEIGHT = 14;

struct FieldDialog {
    EditorRequest*     request;
    const FieldSpec*   specs[ROWS_MAX];
    int                rows;
    const FieldPreset* presets;
    size_t             preset_count;
};

// A control placed in dialog units.
void place(HWND dialog, HWND control, int x, int y, int width, int height)
{
    RECT box = {x, y, x + width, y + height};
    MapDialogRect(dialog, &box);
    MoveWindow(control, box.left, box.top, box.right - box.left, box.bottom - box.top, TRUE);
}

HWND add_control(HWND dialog, const wchar_t* window_class, DWORD style, DWORD extended, int id, HWND after)
{
    HWND control = CreateWindowExW(extended, window_class, L"", WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
                                   (HMENU)(INT_PTR)id, g_instance, NULL);
    SendMessageW(control, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    SetWindowPos(control, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return control;
}

// "px/unit [0..2147483647]" for a number, the unit alone for a text.
void unit_text(const FieldSpec& spec, char* out, size_t size)
{
    if (spec.type <= VALUE_GAMMA) {
        snprintf(out, size, "%s [%lld..%lld]", spec.unit, (long long)spec.min, (long long)spec.max);
    } else {
        snprintf(out, size, "%s", spec.unit);
    }
}

void add_row(HWND dialog, FieldDialog* state, const FieldSpec& spec, HWND* after)
{
    int row = state->rows++;
    state->specs[row] = &spec;
    int y = ROW_TOP + row * ROW_HEIGHT;
    HWND name = add_control(dialog, L"STATIC", SS_LEFT, 0, IDC_FIELD_NAME + row, *after);
    SetWindowTextA(name, spec.name);
    place(dialog, name, NAME_X, y + 2, NAME_WIDTH, 8);
    HWND value = add_control(dialog, L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, IDC_FIELD_VALUE + row, name);
    place(dialog, value, VALUE_X, y, VALUE_WIDTH, 12);
    HWND unit = add_control(dialog, L"STATIC", SS_LEFT, 0, IDC_FIELD_UNIT + row, value);
    char text[96];
    unit_text(spec, text, sizeof text);
    SetWindowTextA(unit, text);
    place(dialog, unit, UNIT_X, y + 2, UNIT_WIDTH, 8);
    *after = unit;
}

// The rows from `fields`: all of them, or only those whose names start with `only`.
void fill_rows(HWND dialog, const FieldDialog* state, const AnyFields& fields, const char* only = "")
{
    char text[VALUE_TEXT_SIZE];
    for (int row = 0; row < state->rows; row++) {
        if (strncmp(state->specs[row]->name, only, strlen(only)) != 0) continue;
        field_value_text(fields, *state->specs[row], text, sizeof text);
        show_utf8(GetDlgItem(dialog, IDC_FIELD_VALUE + row), text);
    }
}

// The buttons under the rows that this kind uses, laid out left to right.
int place_extras(HWND dialog, const FieldDialog* state, int y)
{
    int kind = state->request->fields.kind, x = 4, used = 0;
    for (int k = 0; k < PRESETS_MAX; k++) {
        HWND button = GetDlgItem(dialog, IDC_EDITOR_PRESET + k);
        int shown = k < (int)state->preset_count;
        ShowWindow(button, shown ? SW_SHOW : SW_HIDE);
        if (shown) {
            SetWindowTextA(button, state->presets[k].label);
            place(dialog, button, x, y, BUTTON_WIDTH, BUTTON_HEIGHT);
            x += BUTTON_WIDTH + 4, used = 1;
        }
    }
    // The amount's edit, then its buttons: pHYs's two, fcTL's seconds, tIME's now alone.
    struct Extra {
        int id, kind, column;
    } extras[] = {{IDC_EDITOR_AMOUNT, KIND_PHYS, 0}, {IDC_EDITOR_DPI, KIND_PHYS, 1}, {IDC_EDITOR_PER_CM, KIND_PHYS, 2},
                  {IDC_EDITOR_AMOUNT, KIND_FCTL, 0}, {IDC_EDITOR_SECONDS, KIND_FCTL, 1}, {IDC_EDITOR_NOW, KIND_TIME, 0}};
    for (const Extra& extra : extras) ShowWindow(GetDlgItem(dialog, extra.id), SW_HIDE);
    for (const Extra& extra : extras) {
        if (extra.kind != kind) continue;
        HWND control = GetDlgItem(dialog, extra.id);
        place(dialog, control, 4 + extra.column * 64, y, BUTTON_WIDTH, extra.id == IDC_EDITOR_AMOUNT ? 12 : BUTTON_HEIGHT);
        ShowWindow(control, SW_SHOW);
        used = 1;
    }
    return used ? y + BUTTON_HEIGHT + 6 : y;
}

// Note, rows, extras, the reason line and OK / Cancel; the dialog's height follows.
void lay_out(HWND dialog, const FieldDialog* state)
{
    int y = place_extras(dialog, state, ROW_TOP + state->rows * ROW_HEIGHT + 4);
    place(dialog, GetDlgItem(dialog, IDC_EDITOR_REASON), 4, y, DIALOG_WIDTH - 8, 16);
    y += 20;
    place(dialog, GetDlgItem(dialog, IDOK), DIALOG_WIDTH - 2 * (BUTTON_WIDTH + 4), y, BUTTON_WIDTH, BUTTON_HEIGHT);
    place(dialog, GetDlgItem(dialog, IDCANCEL), DIALOG_WIDTH - BUTTON_WIDTH - 4, y, BUTTON_WIDTH, BUTTON_HEIGHT);
    RECT client = {0, 0, DIALOG_WIDTH, y + BUTTON_HEIGHT + 4};
    MapDialogRect(dialog, &client);
    AdjustWindowRectEx(&client, (DWORD)GetWindowLongPtrW(dialog, GWL_STYLE), FALSE,
                       (DWORD)GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    SetWindowPos(dialog, NULL, 0, 0, client.right - client.left, client.bottom - client.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR on_init_dialog(HWND dialog, FieldDialog* state)
{
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)state);
    const EditorRequest& request = *state->request;
    char caption[64];
    snprintf(caption, sizeof caption, CAPTION_EDITOR_FORMAT, field_kind_type(request.fields.kind));
    SetWindowTextA(dialog, caption);
    const char* note = editor_note(request.fields.kind);
    SetDlgItemTextA(dialog, IDC_EDITOR_NOTE, note ? note : "");
    size_t count = 0;
    const FieldSpec* specs = field_specs(request.fields.kind, &count);
    HWND after = GetDlgItem(dialog, IDC_EDITOR_NOTE);
    for (size_t k = 0; k < count && state->rows < ROWS_MAX; k++) {
        if (field_in_layout(request.fields.kind, specs[k], request.layout)) add_row(dialog, state, specs[k], &after);
    }
    state->presets = field_presets(request.fields.kind, &state->preset_count);
    fill_rows(dialog, state, request.fields);
    lay_out(dialog, state);
    SetFocus(GetDlgItem(dialog, IDC_FIELD_VALUE));
    return FALSE;   // the focus is set
}

void refusal_reason(const FieldTextError& error, char* out, size_t size)
{
    if (error.code == TEXT_BAD_TEXT) {
        snprintf(out, size, "%s", field_result_text(error.fault));
    } else if (error.code == TEXT_OUT_OF_RANGE && error.spec && error.spec->type <= VALUE_GAMMA) {
        snprintf(out, size, TEXT_RANGE_FORMAT, (long long)error.spec->min, (long long)error.spec->max);
    } else {
        snprintf(out, size, "%s", field_text_refusal(error.code));
    }
}

// Every row through apply_field_text, in order; 0 (with the reason shown and the
// row focused) at the first refusal.
int read_rows(HWND dialog, const FieldDialog* state, AnyFields* work, FieldStore* store)
{
    for (int row = 0; row < state->rows; row++) {
        HWND edit = GetDlgItem(dialog, IDC_FIELD_VALUE + row);
        char* text = control_utf8(edit);
        FieldTextError error = {TEXT_NO_MEMORY, state->specs[row], FIELD_OK};
        int applied = text && apply_field_text(work->kind, work, store, state->specs[row]->name, text, &error);
        zero_free(text);
        if (!applied) {
            char reason[REASON_SIZE];
            refusal_reason(error, reason, sizeof reason);
            show_refusal(dialog, state->specs[row]->name, reason);
            SetFocus(edit);
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return 0;
        }
    }
    return 1;
}

void on_ok(HWND dialog, FieldDialog* state)
{
    AnyFields work = state->request->fields;
    FieldStore store = {};
    if (read_rows(dialog, state, &work, &store)) serialize_and_close(dialog, state->request, work);
    field_store_free(&store);
}

void apply_preset(HWND dialog, const FieldDialog* state, const FieldPreset& preset)
{
    char assignment[VALUE_TEXT_SIZE];
    for (const char* at = preset.assignments; *at;) {
        size_t length = strcspn(at, ";");
        snprintf(assignment, sizeof assignment, "%.*s", (int)length, at);
        at += length + (at[length] == ';');
        char* value = strchr(assignment, '=');
        if (!value) continue;
        *value++ = 0;
        for (int row = 0; row < state->rows; row++) {
            if (strcmp(state->specs[row]->name, assignment) == 0) show_utf8(GetDlgItem(dialog, IDC_FIELD_VALUE + row), value);
        }
    }
}

// The rows of pHYs for a resolution per inch or per centimetre, through the core's conversion.
void apply_resolution(HWND dialog, const FieldDialog* state, int per_inch)
{
    BOOL read = FALSE;
    UINT dots = GetDlgItemInt(dialog, IDC_EDITOR_AMOUNT, &read, FALSE);
    AnyFields work = state->request->fields;
    int result = read && dots > 0 ? (per_inch ? phys_from_dpi(dots, &work.phys) : phys_from_dots_per_cm(dots, &work.phys))
                                  : FIELD_BAD_ZERO;
    if (!read || dots == 0) {
        show_refusal(dialog, "", TEXT_RESOLUTION_BAD);
    } else if (result != FIELD_OK) {
        show_refusal(dialog, "", field_result_text(result));
    } else {
        show_refusal(dialog, "", "");
        fill_rows(dialog, state, work);
    }
}

// fcTL's delay rows from seconds, through the core's conversion.
void apply_seconds(HWND dialog, const FieldDialog* state)
{
    char* seconds = control_utf8(GetDlgItem(dialog, IDC_EDITOR_AMOUNT));
    AnyFields work = state->request->fields;
    int result = seconds ? delay_from_seconds(seconds, &work.fctl.delay_numerator, &work.fctl.delay_denominator)
                         : FIELD_NO_MEMORY;
    zero_free(seconds);
    show_refusal(dialog, "", result == FIELD_OK ? "" : field_result_text(result));
    if (result == FIELD_OK) fill_rows(dialog, state, work, "delay_");
}

void show_now(HWND dialog, const FieldDialog* state)
{
    AnyFields work = state->request->fields;
    time_now(&work.time);
    fill_rows(dialog, state, work);
}

INT_PTR on_command(HWND dialog, WORD id)
{
    FieldDialog* state = (FieldDialog*)GetWindowLongPtrW(dialog, DWLP_USER);
    if (id >= IDC_EDITOR_PRESET && id < IDC_EDITOR_PRESET + PRESETS_MAX) {
        if (id - IDC_EDITOR_PRESET < (int)state->preset_count) apply_preset(dialog, state, state->presets[id - IDC_EDITOR_PRESET]);
        return TRUE;
    }
    switch (id) {
    case IDOK: on_ok(dialog, state); return TRUE;
    case IDCANCEL: EndDialog(dialog, EDITOR_CANCELLED); return TRUE;
    case IDC_EDITOR_NOW: show_now(dialog, state); return TRUE;
    case IDC_EDITOR_DPI: apply_resolution(dialog, state, 1); return TRUE;
    case IDC_EDITOR_PER_CM: apply_resolution(dialog, state, 0); return TRUE;
    case IDC_EDITOR_SECONDS: apply_seconds(dialog, state); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK field_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: return on_init_dialog(dialog, (FieldDialog*)lparam);
    case WM_COMMAND: return on_command(dialog, LOWORD(wparam));
    default: return FALSE;
    }
}

int has_rows(const EditorRequest& request)
{
    size_t count = 0;
    const FieldSpec* specs = field_specs(request.fields.kind, &count);
    for (size_t k = 0; k < count; k++) {
        if (field_in_layout(request.fields.kind, specs[k], request.layout)) return 1;
    }
    return 0;
}

}  // namespace

EditorOutcome run_field_dialog(HWND owner, EditorRequest* request)
{
    if (!has_rows(*request)) return EDITOR_NONE;
    FieldDialog state = {};
    state.request = request;
    return (EditorOutcome)DialogBoxParamW(g_instance, L"" RES_FIELD_DIALOG, owner, field_dialog_proc, (LPARAM)&state);
}

EditorOutcome run_editor(HWND owner, EditorRequest* request)
{
    int kind = request->fields.kind;
    request->bytes = FieldBytes{nullptr, 0};
    if (kind == KIND_TEXT || kind == KIND_ZTXT || kind == KIND_ITXT) return run_text_dialog(owner, request);
    if (kind == KIND_PLTE) return run_palette_dialog(owner, request);
    if ((kind == KIND_BKGD || kind == KIND_TRNS) && request->layout.colour_type == 3 && request->palette) {
        return run_palette_dialog(owner, request);
    }
    return run_field_dialog(owner, request);
}

char* control_utf8(HWND control)
{
    int length = GetWindowTextLengthW(control);
    wchar_t* wide = (wchar_t*)zero_alloc(((size_t)length + 1) * sizeof(wchar_t));
    if (!wide) return nullptr;
    GetWindowTextW(control, wide, length + 1);
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, NULL, 0, NULL, NULL);
    char* utf8 = (char*)zero_alloc((size_t)(bytes > 0 ? bytes : 1));
    if (utf8 && bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, bytes, NULL, NULL);
    zero_free(wide);
    if (!utf8) return nullptr;
    char* out = utf8;
    for (const char* in = utf8; *in; in++) {
        if (!(in[0] == '\r' && in[1] == '\n')) *out++ = *in;
    }
    *out = 0;
    return utf8;
}

void show_utf8(HWND control, const char* utf8)
{
    size_t length = strlen(utf8), breaks = 0;
    for (size_t k = 0; k < length; k++) breaks += utf8[k] == '\n';
    char* lines = (char*)zero_alloc(length + breaks + 1);
    if (!lines) return;
    char* out = lines;
    for (size_t k = 0; k < length; k++) {
        if (utf8[k] == '\n') *out++ = '\r';
        *out++ = utf8[k];
    }
    int count = MultiByteToWideChar(CP_UTF8, 0, lines, -1, NULL, 0);
    wchar_t* wide = (wchar_t*)zero_alloc((size_t)(count > 0 ? count : 1) * sizeof(wchar_t));
    if (wide) {
        MultiByteToWideChar(CP_UTF8, 0, lines, -1, wide, count);
        SetWindowTextW(control, wide);
    }
    zero_free(wide);
    zero_free(lines);
}

void serialize_and_close(HWND dialog, EditorRequest* request, const AnyFields& fields)
{
    FieldBytes bytes = {};
    int result = serialize_fields(fields, request->layout, &bytes);
    if (result != FIELD_OK) {
        show_refusal(dialog, "", field_result_text(result));
        return;
    }
    request->bytes = bytes;
    lstrcpynA(request->type, field_kind_type(fields.kind), sizeof request->type);
    EndDialog(dialog, EDITOR_WRITE);
}

void show_refusal(HWND dialog, const char* name, const char* reason)
{
    char text[REASON_SIZE];
    if (*name) {
        snprintf(text, sizeof text, TEXT_REFUSED_FORMAT, name, reason);
    } else {
        snprintf(text, sizeof text, "%s", reason);
    }
    SetDlgItemTextA(dialog, IDC_EDITOR_REASON, text);
}
