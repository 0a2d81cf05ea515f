// The document layer's message boxes go through one replaceable hook. The Windows
// program installs one that calls MessageBoxA with no owner; natively the default
// writes caption and text to stderr; tests install a recorder.
#pragma once
#include <stdint.h>

// MessageBox flag values, spelled out so that the core needs no Windows header.
enum AlertFlags : uint32_t {
    ALERT_OK         = 0x00000000,
    ALERT_ICON_ERROR = 0x00000010,
    ALERT_TASK_MODAL = 0x00002000,
};

typedef void (*AlertHook)(const char* text, const char* caption, uint32_t flags);

void show_alert(const char* text, const char* caption, uint32_t flags);
// Installs a hook; null restores the default.
void set_alert_hook(AlertHook hook);
