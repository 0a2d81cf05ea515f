// The chunk commands as the user meets them: moves and cuts and their refusals,
// copy and paste between two documents (the private form and the text form), the
// split dialog, export and import through the file dialogs, and undo and redo of
// each, compared as whole documents.
#include <windows.h>

#include <algorithm>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "resource_ids.h"

struct ChunkCommands : GuiTest {};

static const Bytes IHDR = make_chunk("IHDR", ihdr_data(8, 8, 8));
static const Bytes GAMA = make_chunk("gAMA", {0, 0, 0xB1, 0x8F});
static const Bytes TEXT = make_chunk("tEXt", text_data("Title", "moved"));
static const Bytes IDAT = make_chunk("IDAT", pattern(1000, 3));
static const Bytes IEND = make_chunk("IEND", {});

static void take_document(void* out)
{
    uint64_t size = 0;
    uint8_t* bytes = document_bytes(&size);
    ((Bytes*)out)->assign(bytes, bytes + size);
    zero_free(bytes);
}

// The bytes a save would write now, read on the program's own thread.
static Bytes document_now()
{
    Bytes bytes;
    gui_call(take_document, &bytes);
    return bytes;
}

static std::string types()
{
    std::string all;
    for (const std::string& type : row_types()) all += (all.empty() ? "" : " ") + type;
    return all;
}

static void start_with(const TempDir& dir, const std::vector<Bytes>& chunks)
{
    std::string path = dir.root + "\\in.png";
    write_file(path, make_png(chunks));
    ASSERT_TRUE(gui_start(quote_path(path)));
}

static void run(int command)
{
    post_command(command);
    gui_sync();
}

static void key(UINT virtual_key)
{
    press_key(virtual_key, true);
    gui_sync();
}

static std::string clipboard_text()
{
    std::string text;
    if (!OpenClipboard(NULL)) return text;
    HANDLE block = GetClipboardData(CF_TEXT);
    const char* p = block ? (const char*)GlobalLock(block) : nullptr;
    if (p) text = p;
    if (p) GlobalUnlock(block);
    CloseClipboard();
    return text;
}

// Only the text form on the clipboard, as another program would leave it.
static void put_clipboard_text(const std::string& text)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    ASSERT_TRUE(OpenClipboard(NULL));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

TEST_F(ChunkCommands, MovesAndCutsGoWhereTheRulesAllowAndSayWhyNot)
{
    struct Case {
        std::vector<int> rows;
        int command;
        const char* types;
        std::vector<int> selected;
        const char* status;   // "" when the command was made: the file's status line
    } cases[] = {
        {{2}, IDM_MOVE_UP, "IHDR tEXt gAMA IDAT IEND", {1}, ""},
        {{1}, IDM_MOVE_DOWN, "IHDR tEXt gAMA IDAT IEND", {2}, ""},
        {{1, 2}, IDM_MOVE_UP, "IHDR gAMA tEXt IDAT IEND", {1, 2},
         u8" 1 番目のチャンクが順序の規則に合いません: IHDR は先頭に一つだけ置けます。"},
        {{2}, IDM_MOVE_DOWN, "IHDR gAMA IDAT tEXt IEND", {3}, ""},
        {{1, 2}, IDM_MOVE_DOWN, "IHDR gAMA tEXt IDAT IEND", {1, 2},
         u8" 3 番目のチャンクが順序の規則に合いません: IDAT より前に置く必要があります。"},
        {{4}, IDM_MOVE_DOWN, "IHDR gAMA tEXt IDAT IEND", {4}, u8" これ以上移動できません。"},
        {{}, IDM_MOVE_UP, "IHDR gAMA tEXt IDAT IEND", {}, u8" チャンクが選択されていません。"},
        {{1, 2}, IDM_CUT_CHUNKS, "IHDR IDAT IEND", {}, ""},
        {{2, 3}, IDM_CUT_CHUNKS, "IHDR gAMA tEXt IDAT IEND", {2, 3}, u8" 必須チャンクは切り取れません。"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.types);
        start_with(dir, {IHDR, GAMA, TEXT, IDAT, IEND});
        select_rows(c.rows);
        run(c.command);
        EXPECT_EQ(types(), c.types);
        EXPECT_EQ(selected_rows(), c.selected);
        std::string shown = status_text();
        EXPECT_EQ(*c.status ? shown : shown.substr(0, 9), *c.status ? c.status : " 8x8x8 / ");
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(ChunkCommands, CopyThenPasteIntoAnotherDocumentGivesTheSameBytes)
{
    TempDir dir;
    Bytes other_ihdr = make_chunk("IHDR", ihdr_data(16, 4, 8));
    start_with(dir, {IHDR, GAMA, TEXT, IDAT, IEND});
    select_rows({1, 2});
    key('C');
    std::string text = clipboard_text();
    EXPECT_EQ(text.size(), 2 * (GAMA.size() + TEXT.size()) + 4) << text;   // two digits a byte, CR LF a line
    ASSERT_TRUE(gui_stop());

    // The private form first: in front of the first selected row.
    start_with(dir, {other_ihdr, IDAT, IEND});
    select_rows({1});
    key('V');
    EXPECT_EQ(document_now(), make_png({other_ihdr, GAMA, TEXT, IDAT, IEND}));
    EXPECT_EQ(selected_rows(), (std::vector<int>{1, 2}));
    ASSERT_TRUE(gui_stop());

    // The text form alone: without a selection in front of IEND, which the rules
    // refuse for gAMA; then in front of the IDAT.
    put_clipboard_text(text);
    start_with(dir, {other_ihdr, IDAT, IEND});
    key('V');
    EXPECT_EQ(status_text(), u8" 3 番目のチャンクが順序の規則に合いません: IDAT より前に置く必要があります。");
    EXPECT_EQ(document_now(), make_png({other_ihdr, IDAT, IEND}));
    select_rows({1});
    key('V');
    EXPECT_EQ(document_now(), make_png({other_ihdr, GAMA, TEXT, IDAT, IEND}));

    put_clipboard_text("not a chunk");
    key('V');
    EXPECT_EQ(status_text(), u8" チャンクの形式ではありません。");
}

static HWND split_dialog() { return find_dialog_with(IDC_SPLIT_SIZE); }

// Opens the split dialog on `row`, types `size`, picks once or repeatedly and presses OK.
static void split_with(int row, const char* size, int mode)
{
    select_rows({row});
    post_command(IDM_SPLIT_IDAT);
    ASSERT_TRUE(wait_until([] { return split_dialog() != nullptr; }, "the split dialog"));
    SetDlgItemTextA(split_dialog(), IDC_SPLIT_SIZE, size);
    SendMessageA(GetDlgItem(split_dialog(), mode), BM_CLICK, 0, 0);
    click_button(IDOK, split_dialog());
    gui_sync();
}

TEST_F(ChunkCommands, SplitDialogRefusesASizeOutOfRangeAndSplitsOnceOrRepeatedly)
{
    TempDir dir;
    start_with(dir, {IHDR, TEXT, IDAT, IEND});
    split_with(2, "1000", IDC_SPLIT_ONCE);
    ASSERT_NE(split_dialog(), nullptr);
    EXPECT_EQ(window_text(GetDlgItem(split_dialog(), IDC_SPLIT_LENGTH)), u8"このチャンクのデータ: 1000 バイト");
    EXPECT_EQ(window_text(GetDlgItem(split_dialog(), IDC_SPLIT_REASON)), u8"1 から 999 までの数を入力してください。");
    SetDlgItemTextA(split_dialog(), IDC_SPLIT_SIZE, "300");
    SendMessageA(GetDlgItem(split_dialog(), IDC_SPLIT_REPEAT), BM_CLICK, 0, 0);
    click_button(IDOK, split_dialog());
    ASSERT_TRUE(wait_until([] { return split_dialog() == nullptr; }, "the split dialog to close"));
    gui_sync();
    Bytes data = pattern(1000, 3);
    std::vector<Bytes> pieces = {IHDR, TEXT};
    for (size_t at = 0; at < data.size(); at += 300) {
        pieces.push_back(make_chunk("IDAT", Bytes(data.begin() + at, data.begin() + std::min<size_t>(at + 300, 1000))));
    }
    pieces.push_back(IEND);
    EXPECT_EQ(document_now(), make_png(pieces));
    EXPECT_EQ(selected_rows(), (std::vector<int>{2, 3, 4, 5}));

    // No dialog for a chunk that is not an IDAT.
    select_rows({1});
    run(IDM_SPLIT_IDAT);
    EXPECT_EQ(split_dialog(), nullptr);
    EXPECT_EQ(status_text(), u8" IDAT チャンクではありません。");
}

TEST_F(ChunkCommands, ExportAndImportGoThroughTheFileDialogs)
{
    TempDir dir;
    Bytes profile = icc_profile("Test RGB");
    write_file(dir.root + "\\test.icc", profile);
    start_with(dir, {IHDR, IDAT, IEND});
    post_command(IDM_IMPORT_PROFILE);
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Open dialog"));
    choose_file(file_dialog(), dir.root + "\\test.icc");
    ASSERT_TRUE(wait_until([] { return file_dialog() == nullptr && row_count() == 4; }, "the imported iCCP"));
    gui_sync();
    EXPECT_EQ(types(), "IHDR iCCP IDAT IEND");
    EXPECT_EQ(table_row(1).substr(0, 9), "  2|iCCP|");
    EXPECT_EQ(selected_rows(), std::vector<int>{1});

    struct Case {
        int command;
        const char* name;
    } cases[] = {{IDM_EXPORT_PROFILE, "out.icc"}, {IDM_EXPORT_CHUNK, "out.chunk"}};
    for (const Case& c : cases) {
        post_command(c.command);
        ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
        choose_file(file_dialog(), dir.root + "\\" + c.name);
        ASSERT_TRUE(wait_until([&] { return file_dialog() == nullptr && file_exists(dir.root + "\\" + c.name); },
                               "the written file"));
    }
    EXPECT_EQ(shared_read(dir.root + "\\out.icc"), profile);
    Bytes document = document_now();
    size_t iccp = 8 + IHDR.size();
    uint32_t length = (uint32_t)document[iccp] << 24 | document[iccp + 1] << 16 | document[iccp + 2] << 8 | document[iccp + 3];
    EXPECT_EQ(shared_read(dir.root + "\\out.chunk"), Bytes(document.begin() + iccp, document.begin() + iccp + 12 + length));
}

TEST_F(ChunkCommands, UndoAndRedoOfEachCommandGiveTheWholeDocumentsBack)
{
    struct Case {
        const char* step;
        std::vector<int> rows;
        void (*command)();
    } cases[] = {
        {u8"移動", {2}, [] { run(IDM_MOVE_UP); }},
        {u8"切り取り", {1, 2}, [] { key('X'); }},
        {u8"貼り付け", {2}, [] {
             key('C');
             select_rows({3});
             key('V');
         }},
        {u8"分割", {3}, [] { split_with(3, "100", IDC_SPLIT_REPEAT); }},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        start_with(dir, {IHDR, GAMA, TEXT, IDAT, IEND});
        Bytes before = document_now();
        select_rows(c.rows);
        c.command();
        Bytes after = document_now();
        EXPECT_NE(after, before);
        EXPECT_EQ(undo_redo_items(), undo_item(c.step) + "=40101 " + redo_item("") + "=40102");
        key('Z');
        EXPECT_EQ(document_now(), before);
        EXPECT_EQ(undo_redo_items(), undo_item("") + "=40101 " + redo_item(c.step) + "=40102");
        key('Y');
        EXPECT_EQ(document_now(), after);
        ASSERT_TRUE(gui_stop());
    }
}
