// Timings of the Windows program under wine64, printed as figures:
//   start-up: from CreateProcess of velmora.exe with a file of N chunks to the
//             window shown with all N rows in its table;
//   repair:   a 1 MiB IDAT with one damaged byte, through the main window's repair
//             command and the real progress window, up to the information box;
//   cancel:   from a click on the progress window's Cancel button to the end of a
//             search slowed down to about 20 microseconds per position;
//   select:   select all and invert on the largest table;
//   edit:     with every row selected, delete, then merge what is left, then undo
//             the merge, on the largest table;
//   chunks:   on the largest table, a move and the paste of 10,000 copied chunks,
//             each then undone and redone.
// Usage: velmora_shell_bench.exe PATH\velmora.exe [--chunks]
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>

#include <string>
#include <vector>

#include <zlib.h>

#include "app/app.h"
#include "app/first_argument.h"
#include "app/shell_texts.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/crc32.h"
#include "repair/progress_window_win.h"
#include "repair/repair_search.h"
#include "resource_ids.h"

namespace {

typedef std::vector<unsigned char> Bytes;

double now_seconds()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return (double)count.QuadPart / (double)frequency.QuadPart;
}

void put_u32(Bytes& out, unsigned v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back((unsigned char)(v >> shift));
}

void put_chunk(Bytes& out, const char* type, const Bytes& data, int damage_at = -1)
{
    build_crc_table();
    unsigned reg = 0xFFFFFFFFu;
    for (int k = 0; k < 4; k++) reg = crc_step(reg, (unsigned char)type[k]);
    for (unsigned char b : data) reg = crc_step(reg, b);
    put_u32(out, (unsigned)data.size());
    out.insert(out.end(), type, type + 4);
    size_t at = out.size();
    out.insert(out.end(), data.begin(), data.end());
    if (damage_at >= 0) out[at + damage_at] ^= 0x5A;
    put_u32(out, reg ^ 0xFFFFFFFFu);
}

Bytes signature()
{
    return Bytes{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
}

// N chunks of no data: the first named IHDR, the last IEND, text and image data
// between; 349,524 of them make the largest file under 4 MiB.
Bytes many_chunks(int count)
{
    Bytes out = signature();
    put_chunk(out, "IHDR", {});
    for (int i = 1; i < count - 1; i++) put_chunk(out, i % 2 ? "tEXt" : "IDAT", {});
    put_chunk(out, "IEND", {});
    return out;
}

Bytes ihdr()
{
    Bytes d;
    put_u32(d, 1024);
    put_u32(d, 1024);
    d.insert(d.end(), {8, 0, 0, 0, 0});
    return d;
}

// A 1024 x 1024 grey image of noise: its zlib stream is a little over 1 MiB, and
// the repair's check of the stream confirms the one byte that mends it, so the
// repair ends in the information box.
Bytes big_idat(int damage_at)
{
    Bytes out = signature();
    put_chunk(out, "IHDR", ihdr());
    Bytes rows(1024 * 1025);
    unsigned seed = 12345;
    for (size_t k = 0; k < rows.size(); k++) {
        seed = seed * 1103515245u + 12345u;
        rows[k] = k % 1025 == 0 ? 0 : (unsigned char)(seed >> 16);
    }
    uLongf size = compressBound((uLong)rows.size());
    Bytes data(size);
    compress2(data.data(), &size, rows.data(), (uLong)rows.size(), 6);
    data.resize(size);
    put_chunk(out, "IDAT", data, damage_at);
    put_chunk(out, "IEND", {});
    return out;
}

std::string write_temp(const char* name, const Bytes& bytes)
{
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    std::string path = std::string(folder) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return path;
}

// Start-up of the real program, measured from outside.
double time_start_up(const std::string& program, const std::string& file, int rows)
{
    std::string line = "\"" + program + "\" \"" + file + "\"";
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    double begin = now_seconds();
    if (!CreateProcessA(NULL, &line[0], NULL, NULL, FALSE, 0, NULL, NULL, &start, &process)) {
        printf("cannot start %s\n", program.c_str());
        return -1;
    }
    double end = -1;
    for (int tries = 0; tries < 60000 && end < 0; tries++) {
        HWND window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        HWND table = window ? GetDlgItem(window, IDC_CHUNK_TABLE) : NULL;
        if (table && IsWindowVisible(window) && SendMessageA(table, LVM_GETITEMCOUNT, 0, 0) == rows) {
            // The program has gone back to its loop once the round trip returns.
            DWORD_PTR ignored;
            SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &ignored);
            end = now_seconds();
            PostMessageA(window, WM_CLOSE, 0, 0);
        } else {
            Sleep(1);
        }
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (code != 0) printf("  (exit code %lu)\n", code);
    return end < 0 ? -1 : end - begin;
}

// The program inside this process, as the GUI tests run it.
std::string s_argument;

DWORD WINAPI ui_thread(void*)
{
    reset_first_argument();
    run_first_instance(GetModuleHandleA(NULL), s_argument.c_str());
    return 0;
}

struct BoxSearch {
    DWORD thread;
    const char* caption;
    HWND found;
};

BOOL CALLBACK find_box(HWND window, LPARAM data)
{
    BoxSearch* search = (BoxSearch*)data;
    char name[64], caption[128];
    GetClassNameA(window, name, sizeof name);
    GetWindowTextA(window, caption, sizeof caption);
    if (lstrcmpA(name, "#32770") == 0 && lstrcmpA(caption, search->caption) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND wait_for_box(DWORD thread, const char* caption, double seconds)
{
    double until = now_seconds() + seconds;
    while (now_seconds() < until) {
        BoxSearch search = {thread, caption, NULL};
        EnumThreadWindows(thread, find_box, (LPARAM)&search);
        if (search.found) return search.found;
        Sleep(0);
    }
    return NULL;
}

HWND wait_for_main(double seconds)
{
    double until = now_seconds() + seconds;
    while (now_seconds() < until) {
        HWND window = FindWindowA(MAIN_WINDOW_CLASS, NULL);
        if (window && IsWindowVisible(window)) return window;
        Sleep(1);
    }
    return NULL;
}

void select_row(HWND table, int row)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(table, LVM_SETITEMSTATE, row, (LPARAM)&item);
}

// An edited document asks whether to save it before the window closes: No.
void close_in_process(HWND window, HANDLE thread)
{
    PostMessageA(window, WM_CLOSE, 0, 0);
    for (int tries = 0; tries < 600 && WaitForSingleObject(thread, 50) == WAIT_TIMEOUT; tries++) {
        BoxSearch search = {0, CAPTION_SAVE_CHANGES, NULL};
        EnumThreadWindows(GetThreadId(thread), find_box, (LPARAM)&search);
        if (search.found) PostMessageA(search.found, WM_COMMAND, IDNO, 0);
    }
    CloseHandle(thread);
}

// The program on a user-interface thread of this process, with `file` as its
// argument; its main window once shown (the thread in *thread).
HWND start_in_process(const char* name, const Bytes& file, double seconds, HANDLE* thread)
{
    s_argument = "\"" + write_temp(name, file) + "\"";
    DWORD thread_id;
    *thread = CreateThread(NULL, 0, ui_thread, NULL, 0, &thread_id);
    return wait_for_main(seconds);
}

void time_repair(int damage_at)
{
    s_argument = "\"" + write_temp("velmora-bench-idat.png", big_idat(damage_at)) + "\"";
    DWORD thread_id;
    HANDLE thread = CreateThread(NULL, 0, ui_thread, NULL, 0, &thread_id);
    HWND window = wait_for_main(30);
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    select_row(table, 1);
    double begin = now_seconds();
    PostMessageA(window, WM_COMMAND, IDC_REPAIR, 0);
    HWND box = wait_for_box(thread_id, "VELMORA 情報", 60);
    double end = now_seconds();
    char text[256] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    while (g_busy) Sleep(1);
    printf("repair of a 1 MiB IDAT damaged at byte %d: %.3f s to the box, chunk %s\n", damage_at, end - begin,
           is_damaged(1) ? "still damaged" : "repaired");
    close_in_process(window, thread);
}

// A search slowed to about 20 microseconds per position, so that it is still
// running when Cancel is clicked.
uint32_t slow_clock(void*)
{
    double until = now_seconds() + 20e-6;
    while (now_seconds() < until) {
    }
    return GetTickCount();
}

struct CancelRun {
    RepairWindow window;  // its progress window is read by the timing thread
};

DWORD WINAPI slow_repair_thread(void* data)
{
    CancelRun* run = (CancelRun*)data;
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, NULL, NULL, NULL, NULL);
    run->window.owner = owner;
    RepairPorts ports = repair_window_ports(&run->window);
    ports.read_clock = slow_clock;
    repair_chunk(1, ports);
    DestroyWindow(owner);
    return 0;
}

void time_cancel()
{
    std::string path = write_temp("velmora-bench-cancel.png", big_idat((1 << 20) - 1));
    g_instance = GetModuleHandleA(NULL);
    if (load_png(path.c_str()) != LOAD_OK) return;
    for (int round = 0; round < 5; round++) {
        CancelRun run = {};
        HANDLE thread = CreateThread(NULL, 0, slow_repair_thread, &run, 0, NULL);
        while (!*(HWND volatile*)&run.window.progress) Sleep(1);
        Sleep(300);
        HWND cancel = GetDlgItem(run.window.progress, IDC_REPAIR_CANCEL);
        double begin = now_seconds();
        PostMessageA(cancel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(cancel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        while (g_busy) Sleep(0);
        double end = now_seconds();
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        printf("cancel: %.1f ms from the click to the end of the search (chunk %s)\n", (end - begin) * 1000,
               is_damaged(1) ? "unchanged" : "CHANGED");
    }
    release_document();
}

double timed_command(HWND window, int command)
{
    double begin = now_seconds();
    SendMessageA(window, WM_COMMAND, command, 0);
    return now_seconds() - begin;
}

// Delete every deletable chunk, merge every IDAT run that is left, undo the merge.
void time_edits(HWND window, HWND table, int rows)
{
    double deleting = timed_command(window, IDC_DELETE);
    int left = (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
    SendMessageA(window, WM_COMMAND, IDM_SELECT_ALL, 0);
    double merging = timed_command(window, IDC_MERGE);
    int merged = (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
    double undoing = timed_command(window, IDM_UNDO);
    int restored = (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
    printf("%d rows: delete with every row selected %.3f s (%d rows left), merge of those %.3f s (%d left), "
           "undo of the merge %.3f s (%d rows again)\n",
           rows, deleting, left, merging, merged, undoing, restored);
}

void time_selection(int rows, int with_delete)
{
    HANDLE thread;
    HWND window = start_in_process("velmora-bench-rows.png", many_chunks(rows), 60, &thread);
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    double t0 = now_seconds();
    SendMessageA(window, WM_COMMAND, IDM_SELECT_ALL, 0);
    double t1 = now_seconds();
    SendMessageA(window, WM_COMMAND, IDM_INVERT, 0);
    double t2 = now_seconds();
    SendMessageA(window, WM_COMMAND, IDM_INVERT, 0);
    double t3 = now_seconds();
    int selected = (int)SendMessageA(table, LVM_GETSELECTEDCOUNT, 0, 0);
    printf("%d rows: select all %.3f s, invert to none %.3f s, invert to all %.3f s (%d selected)\n", rows,
           t1 - t0, t2 - t1, t3 - t2, selected);
    if (with_delete) {
        time_edits(window, table, rows);
    }
    close_in_process(window, thread);
}

// Selects `count` rows alone, from `first` on, every `stride`-th.
void select_spread(HWND table, int first, int count, int stride)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED;
    SendMessageA(table, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    item.state = LVIS_SELECTED;
    for (int k = 0; k < count; k++) SendMessageA(table, LVM_SETITEMSTATE, first + k * stride, (LPARAM)&item);
}

// A command, its undo and its redo, each timed; the rows after each as well.
void time_with_undo(HWND window, HWND table, const char* name, int command)
{
    double doing = timed_command(window, command);
    int done = (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
    double undoing = timed_command(window, IDM_UNDO);
    int undone = (int)SendMessageA(table, LVM_GETITEMCOUNT, 0, 0);
    double redoing = timed_command(window, IDM_REDO);
    printf("  %s %.3f s (%d rows), undo %.3f s (%d rows), redo %.3f s\n", name, doing, done, undoing, undone,
           redoing);
}

// The last tEXt moved up past its IDAT; 10,000 tEXt chunks (every second row)
// copied and pasted behind IHDR.
void time_chunk_commands(int rows)
{
    HANDLE thread;
    HWND window = start_in_process("velmora-bench-rows.png", many_chunks(rows), 60, &thread);
    HWND table = GetDlgItem(window, IDC_CHUNK_TABLE);
    printf("%d rows, chunk commands:\n", rows);
    select_spread(table, rows - 3, 1, 1);
    time_with_undo(window, table, "move up", IDM_MOVE_UP);
    select_spread(table, 1, 10000, 2);
    double copying = timed_command(window, IDM_COPY_CHUNKS);
    printf("  copy of 10,000 chunks %.3f s\n", copying);
    select_spread(table, 1, 1, 1);
    time_with_undo(window, table, "paste of 10,000 chunks", IDM_PASTE_CHUNKS);
    close_in_process(window, thread);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printf("usage: velmora_shell_bench PATH\\velmora.exe\n");
        return 2;
    }
    register_main_window_class(GetModuleHandleA(NULL), MAIN_WINDOW_CLASS);
    if (argc > 2 && lstrcmpA(argv[2], "--chunks") == 0) {   // only the chunk commands' figures
        time_chunk_commands(349524);
        return 0;
    }
    const int sizes[] = {10, 10000, 349524};
    for (int rows : sizes) {
        std::string file = write_temp("velmora-bench-start.png", many_chunks(rows));
        for (int round = 0; round < 3; round++) {
            double seconds = time_start_up(argv[1], file, rows);
            printf("start-up to a filled table, %6d chunks: %.3f s\n", rows, seconds);
        }
    }
    time_repair(0);
    time_repair((1 << 20) - 1);
    time_cancel();
    time_selection(10000, 1);
    time_selection(349524, 1);
    time_chunk_commands(349524);
    return 0;
}
