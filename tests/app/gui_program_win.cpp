// The real velmora.exe beside the test program, driven and read only from outside
// as a user would meet it: the same checks whichever build lies there (the x86_64
// twin, or the shipped 32-bit program in scripts/test-i686.sh).
#include <windows.h>
#include <commctrl.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"
#include "velmora_version.h"

static const char* const ABOUT_CAPTION = u8"VELMORA のバージョン情報";
static const char* const REPAIRED_LINE = u8"破損を発見し、修復しました。";

// One run of the program on a file: its process and its main window once the
// file is loaded.
struct ProgramRun {
    Started guard;
    DWORD id = 0;
    HWND main = nullptr;
    explicit ProgramRun(const std::string& path) : guard(start_program(quote_path(path)))
    {
        if (!guard.process) return;
        id = GetProcessId(guard.process);
        if (wait_until([&] { return main_windows(id).size() == 1; }, "the program's window")) main = main_windows(id)[0];
    }
};

static void post(HWND window, int id) { PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

static void click(HWND main, int id) { PostMessageA(GetDlgItem(main, id), BM_CLICK, 0, 0); }

static std::string caption_of(HWND window)
{
    char text[256] = {0};
    GetWindowTextA(window, text, sizeof text);
    return utf8(text);
}

static std::vector<std::string> child_texts(HWND dialog)
{
    std::vector<std::string> texts;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) texts.push_back(caption_of(c));
    return texts;
}

// Exit; a document changed since it was loaded or saved asks first, and No ends
// the program without saving.
static bool ends_with_exit_code_0(ProgramRun& run, bool changed = false)
{
    post(run.main, IDM_EXIT);
    if (changed) {
        HWND box = nullptr;
        EXPECT_TRUE(wait_until([&] { return (box = process_box(run.id)) != nullptr; }, "the save question"));
        EXPECT_EQ(box_text(box), u8"VELMORA|変更を保存しますか？");
        PostMessageA(box, WM_COMMAND, IDNO, 0);
    }
    DWORD code = 1;
    bool ended = wait_exit(run.guard.process, &code, "the program to end");
    EXPECT_EQ(code, 0u);
    return ended;
}

TEST(RealProgram, ShowsTheFileEditsItSavesItAndShowsTheAboutBox)
{
    ASSERT_TRUE(main_windows(0).empty()) << "another main window is open";
    TempDir dir;
    std::vector<Bytes> chunks = sample_chunks();
    std::string path = dir.root + "\\sample.png";
    write_file(path, make_png(chunks));
    ProgramRun run(path);
    ASSERT_NE(run.main, nullptr);

    std::string status = status_line(640, 480, 8, 1601, path);
    ASSERT_TRUE(wait_until([&] { return cross_process_status(run.main) == status; }, "the file to load"));
    EXPECT_EQ(caption_of(run.main), VELMORA_TITLE);
    EXPECT_EQ(cross_process_rows(run.main), sample_rows());

    // Select all, then delete: only the text chunk may go.
    post(run.main, IDM_SELECT_ALL);
    EXPECT_TRUE(wait_until([&] { return cross_process_selection(run.main).size() == 5; }, "every row selected"));
    click(run.main, IDC_DELETE);
    chunks.erase(chunks.begin() + 1);
    ASSERT_TRUE(wait_until([&] { return cross_process_rows(run.main).size() == 4; }, "the text chunk deleted"));
    std::vector<std::string> rows = sample_rows();
    rows.erase(rows.begin() + 1);
    for (int i = 0; i < 4; i++) rows[i].replace(0, 3, "  " + std::to_string(i + 1));
    EXPECT_EQ(cross_process_rows(run.main), rows);
    EXPECT_TRUE(wait_until([&] { return cross_process_status(run.main) == status_line(640, 480, 8, 1569, path); },
                           "the status line after the deletion"));

    // Save As through the common dialog.
    click(run.main, IDC_SAVE);
    HWND dialog = nullptr;
    ASSERT_TRUE(wait_until([&] { return (dialog = process_dialog(run.id, FILE_TYPES)) != nullptr; }, "Save As"));
    std::string saved = dir.root + "\\slim.png";
    choose_file(dialog, saved);
    EXPECT_TRUE(wait_until([&] { return shared_read(saved) == make_png(chunks); }, "the saved file"));
    EXPECT_TRUE(wait_until([&] { return !process_dialog(run.id, FILE_TYPES); }, "Save As to close"));

    post(run.main, IDM_ABOUT);
    HWND about = nullptr;
    ASSERT_TRUE(wait_until([&] { return (about = process_dialog(run.id, IDC_ABOUT_WEB)) != nullptr; }, "About"));
    EXPECT_EQ(caption_of(about), ABOUT_CAPTION);
    EXPECT_EQ(GetWindow(about, GW_OWNER), run.main);
    EXPECT_EQ(child_texts(about).at(0), VELMORA_ABOUT_LINE);
    PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(wait_until([&] { return !IsWindow(about); }, "About to close"));

    EXPECT_TRUE(ends_with_exit_code_0(run));
}

TEST(RealProgram, RepairsOneDamagedByte)
{
    ASSERT_TRUE(main_windows(0).empty()) << "another main window is open";
    TempDir dir;
    Bytes good = make_chunk("IDAT", pattern(300, 4));
    Bytes damaged = good;
    damaged[8 + 123] ^= 0x40;
    std::vector<Bytes> chunks = {make_chunk("IHDR", ihdr_data(8, 8, 8)), damaged, make_chunk("IEND", {})};
    std::string path = dir.root + "\\damaged.png";
    write_file(path, make_png(chunks));
    ProgramRun run(path);
    ASSERT_NE(run.main, nullptr);
    ASSERT_TRUE(wait_until([&] { return cross_process_rows(run.main).size() == 3; }, "the file to load"));
    EXPECT_EQ(cross_process_rows(run.main)[1], row(2, damaged, "o------", SUMMARY_IDAT));

    cross_process_select(run.main, {1});
    ASSERT_EQ(cross_process_selection(run.main), std::vector<int>{1});
    click(run.main, IDC_REPAIR);
    HWND box = nullptr;
    ASSERT_TRUE(wait_until([&] { return (box = process_box(run.id)) != nullptr; }, "the result box"));
    // The first line says what happened; later lines may tell more.
    std::string text = box_text(box);
    EXPECT_EQ(text.substr(0, text.find('\n')), std::string(u8"VELMORA 情報|") + REPAIRED_LINE);
    EXPECT_EQ(GetWindow(box, GW_OWNER), run.main);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(wait_until([&] { return IsWindowEnabled(run.main) && !process_box(run.id); },
                           "the repair to end"));
    EXPECT_EQ(cross_process_rows(run.main)[1], row(2, good, "-------", SUMMARY_IDAT));
    EXPECT_EQ(cross_process_selection(run.main), std::vector<int>{1});

    EXPECT_TRUE(ends_with_exit_code_0(run, true));
}

// The preview goes through the system's decoder in the program's own process:
// under scripts/test-i686.sh, the 32-bit Windows Imaging Component.
TEST(RealProgram, PreviewDecodesThePictureOrSaysWhyNot)
{
    ASSERT_TRUE(main_windows(0).empty()) << "another main window is open";
    TempDir dir;
    Bytes rows(8 * (1 + 8 * 3), 0x80);
    for (size_t r = 0; r < 8; r++) rows[r * 25] = 0;
    Bytes idat = make_chunk("IDAT", deflated(rows));
    Bytes broken = idat;
    broken[8 + 4] ^= 0xFF;   // inside the zlib stream
    struct Case {
        const char* name;
        Bytes       idat;
        bool        picture;
    } cases[] = {{"good", idat, true}, {"broken", broken, false}};
    for (const Case& c : cases) {
        std::string path = dir.root + "\\" + c.name + ".png";
        write_file(path, make_png({make_chunk("IHDR", ihdr_data(8, 8, 8)), c.idat, make_chunk("IEND", {})}));
        ProgramRun run(path);
        ASSERT_NE(run.main, nullptr);
        ASSERT_TRUE(wait_until([&] { return cross_process_rows(run.main).size() == 3; }, "the file to load"));
        post(run.main, IDM_PREVIEW);
        HWND preview = nullptr;
        ASSERT_TRUE(wait_until([&] { return (preview = process_dialog(run.id, IDC_PREVIEW_MESSAGE)) != nullptr; },
                               "the preview"));
        HWND message = GetDlgItem(preview, IDC_PREVIEW_MESSAGE);
        ASSERT_TRUE(wait_until([&] { return caption_of(preview).find('%') != std::string::npos || IsWindowVisible(message); },
                               "the preview's decode"));
        EXPECT_EQ(caption_of(preview).find('%') != std::string::npos, c.picture) << c.name << ": " << caption_of(preview);
        EXPECT_EQ(caption_of(message).rfind(u8"この画像は復号できません (", 0) == 0, !c.picture)
            << c.name << ": " << caption_of(message);
        EXPECT_TRUE(ends_with_exit_code_0(run));
    }
}
