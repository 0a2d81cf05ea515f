// The preview window. The document's saved bytes go to the Windows Imaging
// Component as they are; it decodes them and converts the first frame to 32-bit
// premultiplied BGRA, which GDI blends over a checkerboard. This program reads no
// pixel itself: what the window shows is what the system's decoder makes of the
// file a save would write.
#include <windows.h>
#include <wincodec.h>

#include <stdint.h>

#include "app/app.h"
#include "app/preview_texts.h"
#include "app/preview_win.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "resource_ids.h"

namespace {

HWND s_preview;   // the open preview, or null

const int MESSAGE_MARGIN = 4;                 // dialog units around the error text
const WORD CHECKER_ROW_A = 0x00FF;            // 8 pixels of one colour, then 8 of the other
const WORD CHECKER_ROW_B = 0xFF00;
const COLORREF CHECKER_LIGHT = RGB(255, 255, 255);
const COLORREF CHECKER_DARK = RGB(204, 204, 204);
// A larger picture is not converted: 128 MiB of pixels is as much as a 32-bit
// process can be expected to find in one piece.
const uint64_t PICTURE_PIXEL_LIMIT = 32u * 1024 * 1024;
const int MESSAGE_SIZE = 1024;                // wsprintfA's own limit

enum DecodeStep { STEP_FACTORY, STEP_DECODER, STEP_FRAME, STEP_CONVERT, STEP_PIXELS };
const char* const STEP_NAMES[] = {PREVIEW_STEP_FACTORY, PREVIEW_STEP_DECODER, PREVIEW_STEP_FRAME,
                                  PREVIEW_STEP_CONVERT, PREVIEW_STEP_PIXELS};

struct ErrorMeaning {
    HRESULT     code;
    const char* name;
    const char* text;
};

const ErrorMeaning ERROR_MEANINGS[] = {
    {WINCODEC_ERR_COMPONENTNOTFOUND, "WINCODEC_ERR_COMPONENTNOTFOUND", PREVIEW_NO_DECODER},
    {WINCODEC_ERR_UNKNOWNIMAGEFORMAT, "WINCODEC_ERR_UNKNOWNIMAGEFORMAT", PREVIEW_UNKNOWN_FORMAT},
    {WINCODEC_ERR_BADHEADER, "WINCODEC_ERR_BADHEADER", PREVIEW_BAD_HEADER},
    {WINCODEC_ERR_BADIMAGE, "WINCODEC_ERR_BADIMAGE", PREVIEW_BAD_IMAGE},
    {WINCODEC_ERR_FRAMEMISSING, "WINCODEC_ERR_FRAMEMISSING", PREVIEW_FRAME_MISSING},
    {WINCODEC_ERR_BADSTREAMDATA, "WINCODEC_ERR_BADSTREAMDATA", PREVIEW_BAD_STREAM},
    {WINCODEC_ERR_STREAMREAD, "WINCODEC_ERR_STREAMREAD", PREVIEW_STREAM_READ},
    {WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT, "WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT", PREVIEW_PIXEL_FORMAT},
    {WINCODEC_ERR_IMAGESIZEOUTOFRANGE, "WINCODEC_ERR_IMAGESIZEOUTOFRANGE", PREVIEW_SIZE_RANGE},
    {WINCODEC_ERR_VALUEOUTOFRANGE, "WINCODEC_ERR_VALUEOUTOFRANGE", PREVIEW_VALUE_RANGE},
    {WINCODEC_ERR_PALETTEUNAVAILABLE, "WINCODEC_ERR_PALETTEUNAVAILABLE", PREVIEW_PALETTE},
    {WINCODEC_ERR_INTERNALERROR, "WINCODEC_ERR_INTERNALERROR", PREVIEW_INTERNAL},
    {REGDB_E_CLASSNOTREG, "REGDB_E_CLASSNOTREG", PREVIEW_NOT_REGISTERED},
    {E_OUTOFMEMORY, "E_OUTOFMEMORY", PREVIEW_OUT_OF_MEMORY},
    {E_FAIL, "E_FAIL", PREVIEW_FAIL},
};

struct Picture {
    HBITMAP bitmap;   // 32 bpp premultiplied BGRA, top-down; null when there is none
    UINT    width;
    UINT    height;
};

// The window's own state, kept in DWLP_USER.
struct PreviewState {
    Picture picture;
    HBRUSH  checker;
    int     com_started;   // 1 when this window's CoInitializeEx is to be undone
};

// What a decode came to: a picture, or the step that failed and its code.
struct Decoded {
    Picture    picture;
    DecodeStep step;
    HRESULT    error;
};

// The interfaces of one decode, released together.
struct Decoder {
    IWICImagingFactory*    factory;
    IWICStream*            stream;
    IWICBitmapDecoder*     decoder;
    IWICBitmapFrameDecode* frame;
    IWICFormatConverter*   converter;
};

template <typename T>
void release(T*& object)
{
    if (object) {
        object->Release();
    }
    object = nullptr;
}

void release_decoder(Decoder& d)
{
    release(d.converter);
    release(d.frame);
    release(d.decoder);
    release(d.stream);
    release(d.factory);
}

// The decoder over the bytes in memory, up to the converter; `step` names the one
// that failed.
HRESULT open_converter(Decoder& d, uint8_t* bytes, DWORD size, DecodeStep* step)
{
    *step = STEP_FACTORY;
    HRESULT result = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                      (void**)&d.factory);
    if (SUCCEEDED(result)) result = d.factory->CreateStream(&d.stream);
    if (SUCCEEDED(result)) result = d.stream->InitializeFromMemory(bytes, size);
    if (FAILED(result)) return result;
    *step = STEP_DECODER;
    result = d.factory->CreateDecoderFromStream(d.stream, NULL, WICDecodeMetadataCacheOnDemand, &d.decoder);
    if (FAILED(result)) return result;
    *step = STEP_FRAME;
    result = d.decoder->GetFrame(0, &d.frame);
    if (FAILED(result)) return result;
    *step = STEP_CONVERT;
    result = d.factory->CreateFormatConverter(&d.converter);
    if (FAILED(result)) return result;
    return d.converter->Initialize(d.frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, NULL, 0.0,
                                   WICBitmapPaletteTypeCustom);
}

// The converted pixels, copied into a top-down DIB section.
HRESULT copy_pixels(IWICBitmapSource* source, Picture* picture)
{
    UINT width = 0, height = 0;
    HRESULT result = source->GetSize(&width, &height);
    if (FAILED(result)) return result;
    if (width == 0 || height == 0 || (uint64_t)width * height > PICTURE_PIXEL_LIMIT) {
        return WINCODEC_ERR_IMAGESIZEOUTOFRANGE;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = (LONG)width;
    info.bmiHeader.biHeight = -(LONG)height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!bitmap) return E_OUTOFMEMORY;
    UINT stride = width * 4;
    result = source->CopyPixels(NULL, stride, stride * height, (BYTE*)bits);
    if (FAILED(result)) {
        DeleteObject(bitmap);
        return result;
    }
    *picture = {bitmap, width, height};
    return S_OK;
}

// The document as a save would write it, through the decoder.
Decoded decode_document()
{
    Decoded result = {{NULL, 0, 0}, STEP_FACTORY, E_OUTOFMEMORY};
    uint64_t size = 0;
    uint8_t* bytes = document_bytes(&size);
    if (!bytes || size > 0xFFFFFFFFu) {
        zero_free(bytes);
        return result;
    }
    Decoder decoder = {};
    result.error = open_converter(decoder, bytes, (DWORD)size, &result.step);
    if (SUCCEEDED(result.error)) {
        result.step = STEP_PIXELS;
        result.error = copy_pixels(decoder.converter, &result.picture);
    }
    release_decoder(decoder);
    zero_free(bytes);
    return result;
}

void write_failure(char* text, const Decoded& decoded)
{
    const ErrorMeaning* meaning = nullptr;
    for (const ErrorMeaning& m : ERROR_MEANINGS) {
        if (m.code == decoded.error) meaning = &m;
    }
    wsprintfA(text, PREVIEW_FAILED, STEP_NAMES[decoded.step], meaning ? meaning->text : PREVIEW_UNKNOWN_TEXT,
              meaning ? meaning->name : PREVIEW_UNKNOWN_NAME, (unsigned long)decoded.error);
}

PreviewState* state_of(HWND window)
{
    return (PreviewState*)GetWindowLongPtrA(window, DWLP_USER);
}

void drop_picture(PreviewState* state)
{
    if (state->picture.bitmap) {
        DeleteObject(state->picture.bitmap);
    }
    state->picture = {NULL, 0, 0};
}

// Where the picture goes in a client area of `width` x `height`: as large as fits
// with its proportions kept, centred; and that scale in percent.
struct Placement {
    RECT target;
    int  percent;
};

Placement place_picture(const Picture& picture, int width, int height)
{
    int64_t w = width, h = height;
    if (w * picture.height <= h * picture.width) {
        h = w * picture.height / picture.width;
    } else {
        w = h * picture.width / picture.height;
    }
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    Placement place;
    place.target.left = (LONG)((width - w) / 2);
    place.target.top = (LONG)((height - h) / 2);
    place.target.right = place.target.left + (LONG)w;
    place.target.bottom = place.target.top + (LONG)h;
    int64_t percent = (w * 100 + picture.width / 2) / picture.width;
    place.percent = percent < 1 ? 1 : (int)percent;
    return place;
}

void draw_picture(HDC dc, const PreviewState* state, const RECT& target)
{
    SetBrushOrgEx(dc, target.left, target.top, NULL);
    COLORREF text = SetTextColor(dc, CHECKER_DARK);
    COLORREF back = SetBkColor(dc, CHECKER_LIGHT);
    FillRect(dc, &target, state->checker);
    SetTextColor(dc, text);
    SetBkColor(dc, back);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, state->picture.bitmap);
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    GdiAlphaBlend(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source, 0, 0,
                  (int)state->picture.width, (int)state->picture.height, blend);
    SelectObject(source, previous);
    DeleteDC(source);
}

// The whole client area: the dialog's colour, and the picture when there is one.
void paint_preview(HWND window, HDC dc)
{
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const PreviewState* state = state_of(window);
    if (state && state->picture.bitmap && client.right > 0 && client.bottom > 0) {
        draw_picture(dc, state, place_picture(state->picture, client.right, client.bottom).target);
    }
}

void write_caption(HWND window)
{
    const PreviewState* state = state_of(window);
    RECT client;
    GetClientRect(window, &client);
    if (!state || !state->picture.bitmap || client.right <= 0 || client.bottom <= 0) {
        SetWindowTextA(window, PREVIEW_CAPTION);
        return;
    }
    char caption[64];
    wsprintfA(caption, PREVIEW_CAPTION_ZOOM, place_picture(state->picture, client.right, client.bottom).percent);
    SetWindowTextA(window, caption);
}

// The error text in place of the picture; an empty text hides it.
void show_message(HWND window, const char* text)
{
    HWND message = GetDlgItem(window, IDC_PREVIEW_MESSAGE);
    SetWindowTextA(message, text);
    ShowWindow(message, *text ? SW_SHOWNA : SW_HIDE);
}

void decode_again(HWND window)
{
    PreviewState* state = state_of(window);
    drop_picture(state);
    if (!g_document.loaded) {
        show_message(window, PREVIEW_NO_DOCUMENT);
    } else {
        Decoded decoded = decode_document();
        char text[MESSAGE_SIZE] = "";
        if (decoded.picture.bitmap) {
            state->picture = decoded.picture;
        } else {
            write_failure(text, decoded);
        }
        show_message(window, text);
    }
    write_caption(window);
    InvalidateRect(window, NULL, FALSE);
}

void on_size(HWND window, int width, int height)
{
    RECT margin = {MESSAGE_MARGIN, MESSAGE_MARGIN, 0, 0};
    MapDialogRect(window, &margin);
    MoveWindow(GetDlgItem(window, IDC_PREVIEW_MESSAGE), margin.left, margin.top, width - 2 * margin.left,
               height - 2 * margin.top, TRUE);
    write_caption(window);
    InvalidateRect(window, NULL, FALSE);
}

// 8-pixel squares: a 16 x 16 monochrome pattern, coloured by the text and
// background colours of the DC it paints.
HBRUSH make_checker_brush()
{
    WORD rows[16];
    for (int row = 0; row < 16; row++) {
        rows[row] = row < 8 ? CHECKER_ROW_A : CHECKER_ROW_B;
    }
    HBITMAP pattern = CreateBitmap(16, 16, 1, 1, rows);
    HBRUSH brush = pattern ? CreatePatternBrush(pattern) : NULL;
    if (pattern) {
        DeleteObject(pattern);
    }
    return brush ? brush : (HBRUSH)GetStockObject(WHITE_BRUSH);
}

INT_PTR on_init_dialog(HWND window, PreviewState* state)
{
    SetWindowLongPtrA(window, DWLP_USER, (LONG_PTR)state);
    state->com_started = SUCCEEDED(CoInitializeEx(NULL, COINIT_APARTMENTTHREADED));
    state->checker = make_checker_brush();
    RECT client;
    GetClientRect(window, &client);
    on_size(window, client.right, client.bottom);
    return TRUE;
}

void on_destroy(HWND window)
{
    PreviewState* state = state_of(window);
    if (state) {
        drop_picture(state);
        DeleteObject(state->checker);   // a stock brush ignores this
        if (state->com_started) {
            CoUninitialize();
        }
        zero_free(state);
    }
    SetWindowLongPtrA(window, DWLP_USER, 0);
    if (s_preview == window) {
        s_preview = NULL;
    }
}

INT_PTR on_paint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    paint_preview(window, dc);
    EndPaint(window, &paint);
    return TRUE;
}

}  // namespace

void show_preview(HWND main_window)
{
    const OwnedWindow kind = {RES_PREVIEW_DIALOG, preview_proc, sizeof(PreviewState), PLACE_RIGHT_OF_OWNER,
                              decode_again};
    open_owned_window(&s_preview, kind, main_window);
}

void preview_document_changed()
{
    if (s_preview) {
        decode_again(s_preview);
    }
}

INT_PTR CALLBACK preview_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_INITDIALOG:
        return on_init_dialog(window, (PreviewState*)lparam);
    case WM_SIZE:
        on_size(window, LOWORD(lparam), HIWORD(lparam));
        return TRUE;
    case WM_ERASEBKGND:
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 1);   // WM_PAINT covers the whole client area
        return TRUE;
    case WM_PAINT:
        return on_paint(window);
    case WM_PRINTCLIENT:
        paint_preview(window, (HDC)wparam);
        return TRUE;
    case WM_COMMAND:
    case WM_CLOSE:
        return close_owned_window(window, message, wparam);
    case WM_DESTROY:
        on_destroy(window);
        return TRUE;
    default:
        return FALSE;
    }
}
