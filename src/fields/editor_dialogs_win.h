// The chunk editors' dialogs: thin windows over the field model. Each reads the
// fields into its controls, and on OK reads the controls back through
// apply_field_text and serializes; a refused value is shown with its reason and
// the dialog stays open. The dialogs never touch the document: the caller writes
// what they give back (one undo step).
#pragma once
#include <windows.h>

#include "fields/field_model.h"

struct EditorRequest {
    AnyFields         fields;    // the start values (they may borrow the document's bytes)
    ImageLayout       layout;    // of the document the chunk is for
    const PlteFields* palette;   // the document's first PLTE, or null (bKGD, tRNS of a palette image)
    char              type[5];   // out: the type to write (a text may become iTXt)
    FieldBytes        bytes;     // out: the serialized data, owned by the caller
};

enum EditorOutcome {
    EDITOR_CANCELLED,
    EDITOR_WRITE,       // type and bytes are filled
    EDITOR_NONE,        // the kind has nothing to edit (the caller says so)
};

// Opens the editor for request->fields.kind: the text editor, the palette editor,
// or the dialog of fields by name.
EditorOutcome run_editor(HWND owner, EditorRequest* request);

// The three dialogs (run_editor chooses).
EditorOutcome run_field_dialog(HWND owner, EditorRequest* request);
EditorOutcome run_text_dialog(HWND owner, EditorRequest* request);
EditorOutcome run_palette_dialog(HWND owner, EditorRequest* request);

// Where the palette editor asks for a colour: the system's colour dialog unless a
// test puts its own chooser in (null puts the system's back). 1 when a colour was chosen.
typedef int (*ColourChooser)(HWND owner, COLORREF* colour);
void set_colour_chooser(ColourChooser chooser);

// Shared by the dialogs: a control's text as UTF-8 (zero_alloc, freed by the
// caller; null without memory), line ends CR LF turned into LF; and UTF-8 shown
// in a control, LF turned into CR LF.
char* control_utf8(HWND control);
void  show_utf8(HWND control, const char* utf8);
// OK's last step: the fields serialized for the request and the dialog ended
// with EDITOR_WRITE, or the fault shown on the reason line and the dialog kept.
void  serialize_and_close(HWND dialog, EditorRequest* request, const AnyFields& fields);
// The reason line: the field's name and why it was refused.
void  show_refusal(HWND dialog, const char* name, const char* reason);
