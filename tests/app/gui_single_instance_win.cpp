// The real velmora.exe, started twice: the second start hands its file to the
// first, brings it to the front and ends with 0; the first ends with 0.
#include <windows.h>
#include <commctrl.h>

#include "app/gui_fixtures_win.h"
#include "app/gui_harness_win.h"
#include "app/gui_process_win.h"
#include "resource_ids.h"

// A window of this process to hold the foreground before the second start.
static HWND foreground_holder()
{
    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = DefWindowProcA;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.lpszClassName = "GuiTestForeground";
    RegisterClassA(&window_class);
    HWND holder = CreateWindowA("GuiTestForeground", "holder", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetForegroundWindow(holder);
    return holder;
}

TEST(SingleInstance, SecondStartHandsItsFileToTheFirstAndEnds)
{
    ASSERT_TRUE(main_windows(0).empty()) << "another main window is open";
    TempDir dir;
    std::string first_file = dir.root + "\\first.png";
    std::string second_file = dir.root + "\\second.png";
    write_file(first_file, make_png(sample_chunks()));
    write_file(second_file, make_png({make_chunk("IHDR", ihdr_data(2, 2, 8)), make_chunk("IEND", {})}));

    struct Case {
        const char* name;
        bool about_open;   // the first instance shows its About box
    } cases[] = {{"main window in front", false}, {"About box open", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Started first_guard(start_program(quote_path(first_file)));
        HANDLE first = first_guard.process;
        ASSERT_NE(first, nullptr);
        DWORD first_id = GetProcessId(first);
        ASSERT_TRUE(wait_until([&] { return main_windows(first_id).size() == 1; }, "the first instance's window"));
        HWND main = main_windows(first_id)[0];
        std::string status = status_line(640, 480, 8, 1601, first_file);
        ASSERT_TRUE(wait_until([&] { return cross_process_status(main) == status; }, "the first file to load"));
        HWND expected_front = main;
        if (c.about_open) {
            PostMessageA(main, WM_COMMAND, IDM_ABOUT, 0);
            ASSERT_TRUE(wait_until([&] { return GetLastActivePopup(main) != main; }, "the About box"));
            expected_front = GetLastActivePopup(main);
        }

        HWND holder = foreground_holder();
        ASSERT_TRUE(wait_until([&] {
            pump_own_messages();
            return GetForegroundWindow() == holder;
        }, "a window of the test in front"));
        Started second_guard(start_program(quote_path(second_file)));
        HANDLE second = second_guard.process;
        ASSERT_NE(second, nullptr);
        DWORD code = 1;
        EXPECT_TRUE(wait_exit(second, &code, "the second instance to end"));
        EXPECT_EQ(code, 0u);
        EXPECT_TRUE(wait_until([&] { pump_own_messages(); return GetForegroundWindow() == expected_front; },
                               "the first instance to come to the front"));
        EXPECT_EQ(main_windows(0), std::vector<HWND>{main});
        DestroyWindow(holder);
        // The file waits while the About box is up, and opens once it is closed.
        if (c.about_open) {
            EXPECT_EQ(cross_process_status(main), status);
            PostMessageA(expected_front, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        std::string second_status = status_line(2, 2, 8, 45, second_file);
        EXPECT_TRUE(wait_until([&] { return cross_process_status(main) == second_status; }, "the second file to load"));
        EXPECT_EQ(SendMessageA(GetDlgItem(main, IDC_CHUNK_TABLE), LVM_GETITEMCOUNT, 0, 0), 2);

        PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
        code = 1;
        EXPECT_TRUE(wait_exit(first, &code, "the first instance to end"));
        EXPECT_EQ(code, 0u);
    }
}

TEST(HelpFromItsFolder, FindsTheFolderThroughDoubleByteNames)
{
    ASSERT_TRUE(main_windows(0).empty()) << "another main window is open";
    // 表 and ソ both end in the byte 0x5C, the path separator.
    TempDir dir;
    std::string folder = dir.root + "\\" + "表示ソフト";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    std::string program = folder + "\\velmora.exe";
    ASSERT_TRUE(CopyFileA(program_path().c_str(), program.c_str(), FALSE));
    // Started from another folder: the help file is looked for beside the program.
    Started guard(start_program("", program, dir.root.c_str()));
    HANDLE process = guard.process;
    ASSERT_NE(process, nullptr);
    DWORD id = GetProcessId(process);
    ASSERT_TRUE(wait_until([&] { return main_windows(id).size() == 1; }, "the program's window"));
    HWND main = main_windows(id)[0];
    PostMessageA(main, WM_COMMAND, IDM_HELP, 0);
    HWND box = nullptr;
    EXPECT_TRUE(wait_until([&] { return (box = process_box(id)) != nullptr; },
                           "the warning that velmora.chm is missing", 10000));
    if (box) {
        EXPECT_EQ(box_text(box), u8"VELMORAヘルプ|velmora.chm が見つかりません。");
        EXPECT_EQ(GetWindow(box, GW_OWNER), main);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1;
    EXPECT_TRUE(wait_exit(process, &code, "the program to end"));
    EXPECT_EQ(code, 0u);
}
