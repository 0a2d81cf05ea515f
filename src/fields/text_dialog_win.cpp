// The editor of tEXt, zTXt and iTXt: the keyword (a list of the registered ones,
// or free text), the text on several lines, the language tag and translated
// keyword, and compression. Which chunk the text becomes is the core's choice
// (text_kind_for); the dialog says when Latin-1 cannot hold it and it becomes iTXt.
#include <windows.h>
#include <string.h>

#include "app/app.h"
#include "document/memory.h"
#include "fields/editor_dialogs_win.h"
#include "fields/editor_fields.h"
#include "fields/editor_texts.h"
#include "fields/field_names.h"
#include "fields/field_result_texts.h"
#include "fields/text_rules.h"
#include "resource_ids.h"

namespace {

// The controls read as UTF-8 (each zero_alloc'd, or null without memory).
struct TextControls {
    char* keyword;
    char* text;
    char* language;
    char* translated;
    int   compressed;
};

void free_controls(TextControls* controls)
{
    zero_free(controls->keyword);
    zero_free(controls->text);
    zero_free(controls->language);
    zero_free(controls->translated);
}

int read_controls(HWND dialog, TextControls* controls)
{
    controls->keyword = control_utf8(GetDlgItem(dialog, IDC_TEXT_KEYWORD));
    controls->text = control_utf8(GetDlgItem(dialog, IDC_TEXT_VALUE));
    controls->language = control_utf8(GetDlgItem(dialog, IDC_TEXT_LANGUAGE));
    controls->translated = control_utf8(GetDlgItem(dialog, IDC_TEXT_TRANSLATED));
    controls->compressed = IsDlgButtonChecked(dialog, IDC_TEXT_COMPRESSED) == BST_CHECKED;
    return controls->keyword && controls->text && controls->language && controls->translated;
}

// An iTXt stays iTXt; a language tag or a translated keyword needs one.
int kind_of_controls(int original, const TextControls& controls)
{
    TextScript script = original == KIND_ITXT || *controls.language || *controls.translated ? SCRIPT_INTERNATIONAL
                                                                                             : SCRIPT_LATIN1_IF_POSSIBLE;
    return text_kind_for(controls.text, controls.compressed ? TEXT_COMPRESSED : TEXT_STORED, script);
}

// A field's text shown in its control; a long text gets a buffer of its size.
void show_field(HWND dialog, int id, const AnyFields& fields, const char* name)
{
    const FieldSpec* spec = find_field_spec(fields.kind, name);
    if (!spec) return;
    char small[2];
    size_t length = field_value_text(fields, *spec, small, sizeof small);
    char* text = (char*)zero_alloc(length + 1);
    if (!text) return;
    field_value_text(fields, *spec, text, length + 1);
    show_utf8(GetDlgItem(dialog, id), text);
    zero_free(text);
}

void show_kind_note(HWND dialog, int original)
{
    TextControls controls = {};
    int kind = read_controls(dialog, &controls) ? kind_of_controls(original, controls) : original;
    free_controls(&controls);
    SetDlgItemTextA(dialog, IDC_EDITOR_NOTE, kind == KIND_ITXT && original != KIND_ITXT ? TEXT_BECOMES_ITXT : "");
}

INT_PTR on_init_dialog(HWND dialog, EditorRequest* request)
{
    SetWindowLongPtrW(dialog, DWLP_USER, (LONG_PTR)request);
    HWND keywords = GetDlgItem(dialog, IDC_TEXT_KEYWORD);
    for (size_t k = 0; k < REGISTERED_KEYWORD_COUNT; k++) {
        SendMessageA(keywords, CB_ADDSTRING, 0, (LPARAM)REGISTERED_KEYWORDS[k]);
    }
    const AnyFields& fields = request->fields;
    show_field(dialog, IDC_TEXT_KEYWORD, fields, "keyword");
    show_field(dialog, IDC_TEXT_VALUE, fields, "text");
    show_field(dialog, IDC_TEXT_LANGUAGE, fields, "language");
    show_field(dialog, IDC_TEXT_TRANSLATED, fields, "translated");
    int compressed = fields.kind == KIND_ZTXT || (fields.kind == KIND_ITXT && fields.itxt.flag == 1);
    CheckDlgButton(dialog, IDC_TEXT_COMPRESSED, compressed ? BST_CHECKED : BST_UNCHECKED);
    show_kind_note(dialog, fields.kind);
    SetFocus(GetDlgItem(dialog, IDC_TEXT_VALUE));
    return FALSE;   // the focus is set
}

struct TextField {
    const char* name;
    const char* value;
};

// The fields of `kind` from the controls, in the order that makes iTXt compress
// its text: the flag before the text.
int apply_controls(HWND dialog, const TextControls& controls, AnyFields* work, FieldStore* store)
{
    const TextField itxt[] = {{"keyword", controls.keyword}, {"compressed", controls.compressed ? "1" : "0"},
                              {"language", controls.language}, {"translated", controls.translated},
                              {"text", controls.text}};
    const TextField latin1[] = {{"keyword", controls.keyword}, {"text", controls.text}};
    const TextField* fields = work->kind == KIND_ITXT ? itxt : latin1;
    int count = work->kind == KIND_ITXT ? 5 : 2;
    for (int k = 0; k < count; k++) {
        FieldTextError error = {TEXT_OK, nullptr, FIELD_OK};
        if (!apply_field_text(work->kind, work, store, fields[k].name, fields[k].value, &error)) {
            show_refusal(dialog, fields[k].name,
                         error.code == TEXT_BAD_TEXT ? field_result_text(error.fault) : field_text_refusal(error.code));
            return 0;
        }
    }
    return 1;
}

void on_ok(HWND dialog, EditorRequest* request)
{
    TextControls controls = {};
    AnyFields work = {};
    FieldStore store = {};
    work.kind = read_controls(dialog, &controls) ? kind_of_controls(request->fields.kind, controls) : KIND_NONE;
    if (work.kind == KIND_NONE) {
        show_refusal(dialog, "", TEXT_EDITOR_NO_MEMORY);
    } else if (apply_controls(dialog, controls, &work, &store)) {
        serialize_and_close(dialog, request, work);
    }
    field_store_free(&store);
    free_controls(&controls);
}

INT_PTR on_command(HWND dialog, WPARAM wparam)
{
    EditorRequest* request = (EditorRequest*)GetWindowLongPtrW(dialog, DWLP_USER);
    switch (LOWORD(wparam)) {
    case IDOK: on_ok(dialog, request); return TRUE;
    case IDCANCEL: EndDialog(dialog, EDITOR_CANCELLED); return TRUE;
    case IDC_TEXT_VALUE:
    case IDC_TEXT_LANGUAGE:
    case IDC_TEXT_TRANSLATED:
        if (HIWORD(wparam) == EN_CHANGE) show_kind_note(dialog, request->fields.kind);
        return TRUE;
    case IDC_TEXT_COMPRESSED: show_kind_note(dialog, request->fields.kind); return TRUE;
    default: return FALSE;
    }
}

INT_PTR CALLBACK text_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG: return on_init_dialog(dialog, (EditorRequest*)lparam);
    case WM_COMMAND: return on_command(dialog, wparam);
    default: return FALSE;
    }
}

}  // namespace

EditorOutcome run_text_dialog(HWND owner, EditorRequest* request)
{
    return (EditorOutcome)DialogBoxParamW(g_instance, L"" RES_TEXT_DIALOG, owner, text_dialog_proc, (LPARAM)request);
}
