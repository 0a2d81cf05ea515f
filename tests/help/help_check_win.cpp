// Checks the help command of the real program from outside, under wine64:
//   velmora_help_check PROGRAM_FOLDER HELP_FILE
// PROGRAM_FOLDER holds velmora.exe. The check starts it from another current
// folder and sends the help command twice, once through the Help menu's command and
// once as the F1 key: first with no velmora.chm beside the program, where each must
// bring up the warning box, and then with HELP_FILE copied beside it, where neither
// may. The first half proves that the check would see the box if it came.
#include <windows.h>
#include <stdio.h>
#include <string.h>

#include "resource_ids.h"

static const char* const PROGRAM_CLASS = "VELMORACLASS";
static const char* const HELP_CAPTION = "VELMORAヘルプ";
static const char* const HELP_MISSING = "velmora.chm が見つかりません。";
static const int MESSAGE_BOX_TEXT_ID = 0xFFFF;  // the static text of a message box

static int g_failures = 0;

static void report(bool ok, const char* what) {
    printf("%s: %s\n", ok ? "ok" : "FAIL", what);
    fflush(stdout);
    if (!ok) g_failures++;
}

struct WindowSearch {
    DWORD       process;
    const char* class_name;
    const char* caption;    // null: any
    int         other_process;  // 1: look for windows of every process but `process`
    HWND        found;
};

static BOOL CALLBACK match_window(HWND window, LPARAM param) {
    WindowSearch* search = (WindowSearch*)param;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if ((process == search->process) == (search->other_process != 0)) return TRUE;
    char text[256];
    GetClassNameA(window, text, sizeof text);
    if (strcmp(text, search->class_name) != 0) return TRUE;
    if (search->caption) {
        GetWindowTextA(window, text, sizeof text);
        if (strcmp(text, search->caption) != 0) return TRUE;
    }
    search->found = window;
    return FALSE;
}

static HWND find_window(DWORD process, const char* class_name, const char* caption,
                        int other_process) {
    WindowSearch search = {process, class_name, caption, other_process, NULL};
    EnumWindows(match_window, (LPARAM)&search);
    return search.found;
}

static HWND wait_for_window(DWORD process, const char* class_name, const char* caption,
                            DWORD milliseconds) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND window = find_window(process, class_name, caption, 0);
        if (window && IsWindowVisible(window)) return window;
        if (GetTickCount() - start > milliseconds) return NULL;
        Sleep(100);
    }
}

// Waits until the program's thread takes messages again: back in its own loop, or
// in the loop of a box it shows. Returns 0 when it stays busy.
static int wait_until_idle(HWND main_window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(main_window, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &result) != 0;
}

static void send_help(HWND main_window, int use_key) {
    if (use_key) {
        // The program applies its accelerators to every key message its thread
        // takes from the queue, so a posted F1 travels the same way as a typed one.
        PostMessageA(main_window, WM_KEYDOWN, VK_F1, 0x003B0001);
        PostMessageA(main_window, WM_KEYUP, VK_F1, 0xC03B0001);
    } else {
        PostMessageA(main_window, WM_COMMAND, MAKEWPARAM(IDM_HELP, 0), 0);
    }
}

static void close_box(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 50 && IsWindow(box); i++) Sleep(100);
}

static void expect_warning(DWORD process, HWND main_window, int use_key) {
    const char* how = use_key ? "F1" : "the Help menu";
    char what[200];
    send_help(main_window, use_key);
    HWND box = wait_for_window(process, "#32770", HELP_CAPTION, 20000);
    snprintf(what, sizeof what, "without velmora.chm, %s shows the warning box", how);
    report(box != NULL, what);
    if (!box) return;
    char text[256] = "";
    GetDlgItemTextA(box, MESSAGE_BOX_TEXT_ID, text, sizeof text);
    snprintf(what, sizeof what, "the warning box of %s names the missing file", how);
    report(strcmp(text, HELP_MISSING) == 0, what);
    report(GetWindow(box, GW_OWNER) == main_window, "the warning box belongs to the main window");
    close_box(box);
}

static void expect_no_warning(DWORD process, HWND main_window, int use_key) {
    const char* how = use_key ? "F1" : "the Help menu";
    char what[200];
    send_help(main_window, use_key);
    int idle = wait_until_idle(main_window);
    snprintf(what, sizeof what, "with velmora.chm, the program comes back from %s", how);
    report(idle, what);
    // A box would already be up once the thread is idle again; look a while longer
    // all the same, in case the shell answered late.
    HWND box = wait_for_window(process, "#32770", HELP_CAPTION, 3000);
    snprintf(what, sizeof what, "with velmora.chm beside the program, %s shows no warning box", how);
    report(box == NULL, what);
    if (box) close_box(box);
}

// Closes the help viewers the shell started (wine's viewer, when it runs) and says
// whether one came up; the viewer itself is not part of the check.
static void close_viewers(DWORD program) {
    int seen = 0;
    for (int i = 0; i < 20; i++) {
        HWND viewer = find_window(program, "HH Parent", NULL, 1);
        if (!viewer) break;
        seen = 1;
        PostMessageA(viewer, WM_CLOSE, 0, 0);
        Sleep(200);
    }
    printf("note: %s\n", seen ? "the help viewer opened and was closed"
                               : "no help viewer window was seen (not required)");
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: velmora_help_check PROGRAM_FOLDER HELP_FILE\n");
        return 2;
    }
    char program[MAX_PATH], help_copy[MAX_PATH], command_line[MAX_PATH + 2];
    snprintf(program, sizeof program, "%s\\velmora.exe", argv[1]);
    snprintf(help_copy, sizeof help_copy, "%s\\velmora.chm", argv[1]);
    snprintf(command_line, sizeof command_line, "\"%s\"", program);
    DeleteFileA(help_copy);

    // Started from another current folder: the program must look beside itself.
    STARTUPINFOA startup;
    PROCESS_INFORMATION process;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    if (!CreateProcessA(program, command_line, NULL, NULL, FALSE, 0, NULL, "C:\\", &startup,
                        &process)) {
        printf("FAIL: cannot start %s (error %lu)\n", program, GetLastError());
        return 1;
    }
    HWND main_window = wait_for_window(process.dwProcessId, PROGRAM_CLASS, NULL, 60000);
    report(main_window != NULL, "the main window comes up");
    if (main_window) {
        wait_until_idle(main_window);
        expect_warning(process.dwProcessId, main_window, 0);
        expect_warning(process.dwProcessId, main_window, 1);

        report(CopyFileA(argv[2], help_copy, FALSE) != 0, "velmora.chm copied beside the program");
        expect_no_warning(process.dwProcessId, main_window, 0);
        expect_no_warning(process.dwProcessId, main_window, 1);
        close_viewers(process.dwProcessId);

        PostMessageA(main_window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    printf("%s\n", g_failures ? "help check FAILED" : "help check passed");
    return g_failures ? 1 : 0;
}
