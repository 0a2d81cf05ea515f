#include "alert.h"

#include <stdio.h>

static void alert_to_stderr(const char* text, const char* caption, uint32_t)
{
    fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

static AlertHook s_hook = alert_to_stderr;

void show_alert(const char* text, const char* caption, uint32_t flags)
{
    s_hook(text ? text : "", caption ? caption : "", flags);
}

void set_alert_hook(AlertHook hook)
{
    s_hook = hook ? hook : alert_to_stderr;
}
