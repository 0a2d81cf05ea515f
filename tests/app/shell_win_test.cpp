// The shell's own pieces under real Windows semantics (wine64): the minimum size,
// the help folder, the accelerator table as stored, the virtual table, the repair's
// message pump and the main window while a repair runs.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "document/chunk_file.h"
#include "present/chunk_table.h"
#include "present/list_view_win.h"
#include "repair/progress_window_win.h"
#include "repair/repair_search.h"
#include "resource_ids.h"
#include "support/test_support.h"

namespace {

std::string rect_text(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

TEST(MainWindowSize, EachDraggedEdgeStopsAtTheSmallestSize)
{
    struct Case { WPARAM edge; RECT proposed; const char* expected; };
    const Case cases[] = {
        {WMSZ_LEFT, {100, 50, 400, 400}, "-130,50,400,400"},
        {WMSZ_RIGHT, {100, 50, 400, 400}, "100,50,630,400"},
        {WMSZ_TOP, {100, 50, 800, 200}, "100,-34,800,200"},
        {WMSZ_BOTTOM, {100, 50, 800, 200}, "100,50,800,284"},
        {WMSZ_TOPLEFT, {100, 50, 400, 200}, "-130,-34,400,200"},
        {WMSZ_TOPRIGHT, {100, 50, 400, 200}, "100,-34,630,200"},
        {WMSZ_BOTTOMLEFT, {100, 50, 400, 200}, "-130,50,400,284"},
        {WMSZ_BOTTOMRIGHT, {100, 50, 400, 200}, "100,50,630,284"},
        {WMSZ_BOTTOMRIGHT, {0, 0, 530, 234}, "0,0,530,234"},    // exactly the smallest
        {WMSZ_LEFT, {0, 0, 900, 100}, "0,0,900,100"},           // too low, but the left edge moves
    };
    for (const Case& c : cases) {
        RECT r = c.proposed;
        apply_minimum_size(c.edge, &r, SIZE{530, 234});
        EXPECT_EQ(c.expected, rect_text(r)) << "edge " << c.edge;
    }
}

TEST(HelpFolder, DriveAndDirectoryOfTheProgram)
{
    struct Case { const char* path; const char* folder; };
    const Case cases[] = {
        {"C:\\Program Files\\Velmora\\velmora.exe", "C:\\Program Files\\Velmora\\"},
        {"Z:/work/velmora.exe", "Z:/work/"},
        {"\\\\server\\share\\velmora.exe", "\\\\server\\share\\"},
        {"C:velmora.exe", "C:"},
        {"velmora.exe", ""},
        // "表" is 95 5C and "ソ" 83 5C: their second byte is no separator.
        {"C:\\\x95\x5C\\velmora.exe", "C:\\\x95\x5C\\"},
        {"C:\\tools\\\x83\x5C.exe", "C:\\tools\\"},
    };
    for (const Case& c : cases) {
        char buffer[MAX_PATH];
        lstrcpynA(buffer, c.path, sizeof buffer);
        keep_folder_of(buffer);
        EXPECT_EQ(std::string(c.folder), buffer) << c.path;
    }
}

// The table as stored: flag word, key and command of each entry; 0x80 marks the last.
TEST(Resources, AcceleratorTableAsStored)
{
    HRSRC found = FindResourceA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDR_ACCELERATORS), (LPCSTR)RT_ACCELERATOR);
    ASSERT_NE(nullptr, found);
    const WORD* entry = (const WORD*)LockResource(LoadResource(GetModuleHandleA(NULL), found));
    std::string table;
    int count = (int)(SizeofResource(GetModuleHandleA(NULL), found) / 8);
    for (int i = 0; i < count; i++, entry += 4) {
        char line[40];
        wsprintfA(line, "%02X %02X %d\n", entry[0], entry[1], entry[2]);
        table += line;
    }
    EXPECT_EQ("0B 41 40003\n"
              "0B 49 40008\n"
              "0B 4F 1004\n"
              "0B 53 1005\n"
              "03 2E 1002\n"
              "03 70 40006\n"
              "03 2D 1006\n"
              "0B 5A 40101\n"
              "0B 59 40102\n"
              "03 75 40502\n"
              "13 26 40403\n"
              "13 28 40404\n"
              "0B 43 40405\n"
              "0B 58 40406\n"
              "0B 56 40407\n"
              "0B 52 40301\n"
              "03 74 40501\n"
              "83 71 40401\n",
              table);
}

std::string version_string(const BYTE* info, const char* name)
{
    char query[80];
    wsprintfA(query, "\\StringFileInfo\\041104B0\\%s", name);
    char* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(info, query, (void**)&value, &length) && value ? value : "(none)";
}

TEST(Resources, VersionAndIcon)
{
    char program[MAX_PATH];
    GetModuleFileNameA(NULL, program, sizeof program);
    std::vector<BYTE> info(GetFileVersionInfoSizeA(program, NULL));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoA(program, 0, (DWORD)info.size(), info.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", (void**)&fixed, &length));
    char numbers[64];
    wsprintfA(numbers, "%d.%d.%d.%d %d.%d.%d.%d", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS), HIWORD(fixed->dwProductVersionMS),
              LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
    EXPECT_EQ("1.0.2.0 1.0.0.0", std::string(numbers));
    EXPECT_EQ("VELMORA|VELMORA|velmora|1.0.2.0",
              version_string(info.data(), "FileDescription") + "|" + version_string(info.data(), "ProductName") + "|" +
                  version_string(info.data(), "InternalName") + "|" + version_string(info.data(), "FileVersion"));

    // One image of 32 x 32 pixels in 16 colours.
    HMODULE module = GetModuleHandleA(NULL);
    HRSRC group = FindResourceA(module, RES_APP_ICON, (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(nullptr, group);
    const BYTE* directory = (const BYTE*)LockResource(LoadResource(module, group));
    const BYTE* entry = directory + 6;
    EXPECT_EQ("1 images, 32x32, 16 colours, 4 bits",
              std::to_string(directory[4]) + " images, " + std::to_string(entry[0]) + "x" + std::to_string(entry[1]) +
                  ", " + std::to_string(entry[2]) + " colours, " + std::to_string(entry[6]) + " bits");
}

// A modeless main window on the test thread, with nothing loaded.
struct MainWindow : ::testing::Test {
    static void SetUpTestSuite()
    {
        g_instance = GetModuleHandleA(NULL);
        register_main_window_class(g_instance, MAIN_WINDOW_CLASS);
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&controls);
    }
    void SetUp() override
    {
        g_startup_argument = nullptr;
        window = CreateDialogParamA(g_instance, RES_MAIN_DIALOG, NULL, main_window_proc, 0);
        ASSERT_NE(nullptr, window);
        table = GetDlgItem(window, IDC_CHUNK_TABLE);
    }
    void TearDown() override
    {
        g_busy = 0;
        if (IsWindow(window)) DestroyWindow(window);
        remove_accelerators();
        release_document();
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
        }
    }
    std::string cell(int row, int column)
    {
        char text[CELL_SIZE] = "";
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(table, LVM_GETITEMTEXTA, row, (LPARAM)&item);
        return text;
    }
    HWND window = NULL;
    HWND table = NULL;
    TempDir dir;
    AlertLog alerts;
};

TEST_F(MainWindow, TableShowsEveryCellOfTheDocumentWithNoRowSelected)
{
    write_file(dir.path("a.png"), make_simple_png({make_chunk("tEXt", text_bytes(std::string("Title\0Sample", 12))),
                                                   make_chunk("IDAT", {1, 2, 3}, 0x1234),
                                                   make_chunk("IDAT", {4})}));
    ASSERT_EQ(LOAD_OK, load_png(dir.path("a.png").c_str()));
    LONG_PTR style = GetWindowLongPtrA(table, GWL_STYLE);
    list_set_selected(table, -1, 1);
    fill_table(table);

    ASSERT_EQ(5, list_row_count(table));
    EXPECT_EQ(0, list_selected_count(table));
    EXPECT_EQ(style, GetWindowLongPtrA(table, GWL_STYLE));
    std::string shown, expected;
    for (int row = 0; row < 5; row++) {
        for (int column = 0; column < COLUMN_COUNT; column++) {
            char text[CELL_SIZE];
            format_cell(text, row, column);
            expected += std::string(text) + "|";
            shown += cell(row, column) + "|";
        }
    }
    EXPECT_EQ(expected, shown);
    EXPECT_EQ("  3", cell(2, 0));

    std::string widths;
    for (int column = 0; column < COLUMN_COUNT; column++) {
        widths += std::to_string(SendMessageA(table, LVM_GETCOLUMNWIDTH, column, 0)) + " ";
    }
    EXPECT_EQ("27 39 60 60 39 0 0 0 0 51 51 500 ", widths);
    EXPECT_EQ(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT, SendMessageA(table, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));

    release_document();
    fill_table(table);
    EXPECT_EQ(0, list_row_count(table));
}

HDROP make_drop(const std::string& path)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + path.size() + 2);
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    memcpy((char*)drop + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(memory);
    return (HDROP)memory;
}

TEST_F(MainWindow, DuringARepairClosesAndDropsAreIgnoredAndTheDropIsFinished)
{
    write_file(dir.path("a.png"), make_simple_png({}));
    g_busy = 1;
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    EXPECT_TRUE(IsWindow(window));

    HDROP drop = make_drop(dir.path("a.png"));
    SendMessageA(window, WM_DROPFILES, (WPARAM)drop, 0);
    EXPECT_EQ(0, g_document.loaded);
    EXPECT_EQ(GMEM_INVALID_HANDLE, GlobalFlags(drop));

    g_busy = 0;
    drop = make_drop(dir.path("a.png"));
    SendMessageA(window, WM_DROPFILES, (WPARAM)drop, 0);
    EXPECT_EQ(1, g_document.loaded);
    EXPECT_EQ(2, list_row_count(table));

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, message.wParam);
}

// The progress window and the pump, on the test thread.
struct ProgressWindow : MainWindow {
    void SetUp() override
    {
        MainWindow::SetUp();
        repair = RepairWindow{window, NULL, 0};
        ports = repair_window_ports(&repair);
        g_cancel = 0;
        ports.open_progress(ports.context);
        ASSERT_NE(nullptr, progress_window());
    }
    void TearDown() override
    {
        ports.close_progress(ports.context);
        EXPECT_EQ(nullptr, progress_window());
        MainWindow::TearDown();
    }
    HWND progress_window() const { return repair.progress; }
    RepairWindow repair;
    RepairPorts ports;
};

TEST_F(ProgressWindow, OnlyCancelSetsTheCancelFlagAndNothingClosesTheWindow)
{
    HWND progress = progress_window();
    SendMessageA(progress, WM_COMMAND, IDCANCEL, 0);
    SendMessageA(progress, WM_COMMAND, IDOK, 0);
    SendMessageA(progress, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, g_cancel);
    EXPECT_TRUE(IsWindowVisible(progress));
    SendMessageA(progress, WM_COMMAND, MAKEWPARAM(IDC_REPAIR_CANCEL, BN_CLICKED), 0);
    EXPECT_EQ(1, g_cancel);

    ports.show_number(ports.context, IDC_REPAIR_LENGTH, 4000000000u);
    ports.show_text(ports.context, IDC_REPAIR_ESTIMATE, "----");
    char length[16], estimate[16];
    GetDlgItemTextA(progress, IDC_REPAIR_LENGTH, length, sizeof length);
    GetDlgItemTextA(progress, IDC_REPAIR_ESTIMATE, estimate, sizeof estimate);
    EXPECT_EQ(std::string("4000000000|----"), std::string(length) + "|" + estimate);
}

TEST_F(ProgressWindow, PumpTakesOneMessageAtATimeAndKeepsTheQuitMessage)
{
    MSG message;
    while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    PostMessageA(progress_window(), WM_COMMAND, IDC_REPAIR_CANCEL, 0);
    PostMessageA(progress_window(), WM_NULL, 0, 0);
    ports.pump_one_event(ports.context);
    EXPECT_EQ(1, g_cancel);
    EXPECT_TRUE(PeekMessageA(&message, NULL, WM_NULL, WM_NULL, PM_REMOVE));

    PostQuitMessage(7);
    Sleep(PUMP_INTERVAL_MS + 20);
    ports.pump_one_event(ports.context);
    ASSERT_TRUE(PeekMessageA(&message, NULL, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(7u, message.wParam);
}

}  // namespace
