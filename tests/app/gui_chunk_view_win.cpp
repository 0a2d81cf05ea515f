// The chunk inspector and the questions that keep a slimmed file whole, as the
// user meets them: the inspector's text read back through the wide-character
// calls, each answer of each question, and the metadata selection.
#include <windows.h>
#include <commctrl.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"

struct Inspector : GuiTest {};
struct SafeSlimming : GuiTest {};

static HWND table() { return gui_item(IDC_CHUNK_TABLE); }
static HWND inspector() { return find_dialog_with(IDC_INSPECTOR_TEXT); }

static std::string start_with(const TempDir& dir, const std::vector<Bytes>& chunks, const Bytes& tail = {})
{
    std::string path = dir.root + "\\in.png";
    Bytes file = make_png(chunks);
    file.insert(file.end(), tail.begin(), tail.end());
    write_file(path, file);
    EXPECT_TRUE(gui_start(quote_path(path)));
    return path;
}

// Opens the inspector with `open`, reads its text and closes it again.
static std::string inspect(void (*open)(int row), int row)
{
    open(row);
    if (!wait_until([] { return inspector() != nullptr; }, "the inspector")) return "";
    std::string text = wide_window_text(GetDlgItem(inspector(), IDC_INSPECTOR_TEXT));
    click_button(IDCANCEL, inspector());
    wait_until([] { return inspector() == nullptr; }, "the inspector to close");
    return text;
}

static void focus_table(void*) { SetFocus(GetDlgItem(gui_main(), IDC_CHUNK_TABLE)); }

static std::string clipboard_text()
{
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const wchar_t* wide = (const wchar_t*)GlobalLock(data);
        int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        text.resize((size_t)bytes);
        WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], bytes, nullptr, nullptr);
        text.resize(text.size() - 1);
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST_F(Inspector, ShowsEveryTextAsWrittenFromTheMenuEnterAndDoubleClick)
{
    Bytes latin1 = text_data("Copyright", "\xA9 2024 J\xF6rg M\xFC" "ller");
    Bytes itxt = joined({Bytes{'T', 0, 1, 0, 'j', 'a', 0}, text_bytes(u8"題名"), Bytes{0},
                         deflated(text_bytes(u8"夕焼けの海"))});
    TempDir dir;
    start_with(dir, {make_chunk("IHDR", ihdr_data(2, 3, 8)), make_chunk("tEXt", latin1), make_chunk("iTXt", itxt),
                     make_chunk("IDAT", pattern(10, 1)), make_chunk("IEND", {})},
               text_bytes("JUNK"));
    std::string text = inspect([](int row) { select_rows({row}); post_command(IDM_INSPECT); }, 1);
    for (const char* line : {u8"チャンク: tEXt (2 番目)\r\n", u8"キーワード: Copyright\r\nテキスト: © 2024 Jörg Müller\r\n",
                             u8"IEND の後のバイト数: 4 バイト\r\nIEND の後の先頭バイト: 4A 55 4E 4B\r\n"}) {
        EXPECT_NE(std::string::npos, text.find(line)) << line << "\nin\n" << text;
    }
    text = inspect([](int row) {
        RECT bounds = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(table(), LVM_GETITEMRECT, row, (LPARAM)&bounds);
        PostMessageA(table(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(60, (bounds.top + bounds.bottom) / 2));
    }, 2);
    EXPECT_NE(std::string::npos, text.find(u8"言語タグ: ja\r\n翻訳されたキーワード: 題名\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find(u8"テキスト: 夕焼けの海\r\n")) << text;
    text = inspect([](int row) { select_rows({row}); gui_call(focus_table, nullptr); press_key(VK_RETURN); }, 0);
    EXPECT_NE(std::string::npos, text.find(u8"幅: 2 ピクセル\r\n高さ: 3 ピクセル\r\n")) << text;
    EXPECT_EQ(boxes_seen(), std::vector<std::string>{});
}

TEST_F(Inspector, CopiesItsTextAndSavesTheRawData)
{
    TempDir dir;
    // A text line far longer than the inspector is wide: wrapped on the screen,
    // copied as one line.
    Bytes data = text_data("Title", u8"日本語" + std::string(400, 'w'));
    start_with(dir, {make_chunk("IHDR", ihdr_data(1, 1, 8)), make_chunk("tEXt", data), make_chunk("IEND", {})});
    select_rows({1});
    post_command(IDM_INSPECT);
    ASSERT_TRUE(wait_until([] { return inspector() != nullptr; }, "the inspector"));
    HWND edit = GetDlgItem(inspector(), IDC_INSPECTOR_TEXT);
    std::string shown = wide_window_text(edit);
    size_t hard_lines = 1;
    for (size_t at = shown.find("\r\n"); at != std::string::npos; at = shown.find("\r\n", at + 2)) hard_lines++;
    EXPECT_GT((size_t)SendMessageA(edit, EM_GETLINECOUNT, 0, 0), hard_lines);
    EXPECT_EQ(GetWindowLongPtrA(edit, GWL_STYLE) & (ES_AUTOHSCROLL | WS_HSCROLL), 0);
    click_button(IDC_INSPECTOR_COPY, inspector());
    ASSERT_TRUE(wait_until([&] { return clipboard_text() == shown; }, "the text on the clipboard"));

    click_button(IDC_INSPECTOR_SAVE, inspector());
    ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
    std::string raw = dir.root + "\\raw.bin";
    choose_file(file_dialog(), raw);
    ASSERT_TRUE(wait_until([&] { return shared_read(raw) == data; }, "the raw data in its file"));
    EXPECT_TRUE(inspector() != nullptr);
}

TEST_F(SafeSlimming, DeletingPartOfAnAnimationAsksFirst)
{
    const std::string box = u8"アニメーションの一部の削除|選択したチャンクはアニメーション";
    struct Case {
        const char* name;
        std::vector<int> selection;
        int answer;
        std::vector<std::string> left;
        bool asked;
    } cases[] = {
        {"the whole animation", {4, 5}, IDYES, {"IHDR", "IDAT", "IEND"}, true},
        {"only the selection", {4, 5}, IDNO, {"IHDR", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "IEND"}, true},
        {"nothing", {4, 5}, IDCANCEL, {"IHDR", "acTL", "fcTL", "IDAT", "fcTL", "fdAT", "fcTL", "fdAT", "IEND"}, true},
        {"all of it selected: no question", {1, 2, 4, 5, 6, 7}, IDCANCEL, {"IHDR", "IDAT", "IEND"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        start_with(dir, animated_chunks());
        select_rows(c.selection);
        script_answers({c.answer});
        press_key(VK_DELETE);
        ASSERT_TRUE(wait_until([&] { return row_types() == c.left; }, "the rows left"));
        ASSERT_TRUE(gui_sync());
        std::vector<std::string> seen = boxes_seen();
        ASSERT_EQ(seen.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(seen[0].rfind(box, 0), 0u) << seen[0];
            EXPECT_NE(seen[0].find("|warning|Cancel/Yes/No|main"), std::string::npos) << seen[0];
        }
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(SafeSlimming, MergingWithIdotOffersToDeleteIt)
{
    struct Case {
        int answer;
        std::vector<std::string> left;
    } cases[] = {
        {IDYES, {"IHDR", "IDAT", "IEND"}},
        {IDNO, {"IHDR", "iDOT", "IDAT", "IEND"}},
        {IDCANCEL, {"IHDR", "iDOT", "IDAT", "IDAT", "IEND"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        TempDir dir;
        start_with(dir, idot_chunks());
        select_rows({2, 3});
        script_answers({c.answer});
        press_key(VK_INSERT);
        ASSERT_TRUE(wait_boxes(1));
        ASSERT_TRUE(wait_until([&] { return row_types() == c.left; }, "the rows left"));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(boxes_seen()[0].rfind(u8"iDOT チャンクがあります|", 0), 0u) << boxes_seen()[0];
        if (c.answer == IDYES) {
            // One undo brings back the merged chunks and iDOT together.
            press_key('Z', true);
            ASSERT_TRUE(wait_until([] { return row_types().size() == 5; }, "the rows before the merge"));
            EXPECT_EQ(row_types(), (std::vector<std::string>{"IHDR", "iDOT", "IDAT", "IDAT", "IEND"}));
        }
        ASSERT_TRUE(gui_stop());
    }
}

TEST_F(SafeSlimming, SelectMetadataTakesExactlyTheChunksWithoutAppearanceOrStructure)
{
    TempDir dir;
    std::vector<Bytes> chunks = animated_chunks();
    chunks.insert(chunks.begin() + 1, {make_chunk("gAMA", {0, 0, 0xB1, 0x8F}), make_chunk("tEXt", text_data("a", "b")),
                                       make_chunk("pHYs", Bytes(9)), make_chunk("tIME", Bytes(7)),
                                       make_chunk("eXIf", text_bytes("MM")), make_chunk("prVt", {1}),
                                       make_chunk("cICP", {1, 13, 0, 1}), make_chunk("iDOT", Bytes(28))});
    start_with(dir, chunks);
    select_rows({0, 1});
    post_command(IDM_SELECT_METADATA);
    ASSERT_TRUE(wait_until([] { return selected_rows() == std::vector<int>{2, 4, 5, 6}; }, "the metadata selected"));
    ASSERT_TRUE(gui_sync());
    EXPECT_EQ(focused_window(), table());
}

TEST_F(SafeSlimming, SavingAFileWithBytesAfterIendSaysTheyAreLost)
{
    TempDir dir;
    std::vector<Bytes> chunks = sample_chunks();
    start_with(dir, chunks, text_bytes("trailing"));
    for (int answer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(answer);
        std::string saved = dir.root + "\\out" + std::to_string(answer) + ".png";
        clear_boxes();
        script_answers({answer});
        post_command(IDC_SAVE);
        ASSERT_TRUE(wait_until([] { return file_dialog() != nullptr; }, "the Save As dialog"));
        choose_file(file_dialog(), saved);
        ASSERT_TRUE(wait_boxes(1));
        ASSERT_TRUE(gui_sync());
        EXPECT_EQ(boxes_seen(), std::vector<std::string>{
                                    u8"IEND の後のデータ|このファイルには IEND チャンクの後に 8 バイトのデータがあります。\n"
                                    u8"これらのバイトは保存するファイルには書き込まれません。\n\n保存を続けますか?"
                                    u8"|warning|OK/Cancel|main"});
        if (answer == IDOK) {
            ASSERT_TRUE(wait_until([&] { return shared_read(saved) == make_png(chunks); }, "the saved file"));
        } else {
            EXPECT_FALSE(file_exists(saved));
        }
    }
}
