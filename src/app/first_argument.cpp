#include "app/first_argument.h"

#include <stddef.h>

static char s_argument[ARGUMENT_SIZE];  // the last byte is never written
static int s_end_reached = 0;           // kept between calls
static int s_in_quotes = 0;             // kept between calls, not reset on entry

char* first_argument(const char** cursor)
{
    if (s_end_reached) {
        return nullptr;
    }
    int token_ended = 0;
    int has_content = 0;
    int stored = 0;
    const char* p = *cursor;
    while (stored < ARGUMENT_SIZE - 1) {
        char c = *p;
        if (c == '\0') {
            s_end_reached = 1;
            token_ended = 1;
            if (s_in_quotes) {
                return nullptr;  // an unterminated quote yields nothing
            }
        } else if (c == ' ' && !s_in_quotes) {
            if (has_content) {
                token_ended = 1;
            }
        } else if (c == ' ') {
            s_argument[stored++] = c;
        } else if (c == '"') {
            if (s_in_quotes) {
                token_ended = 1;
            }
            s_in_quotes = !s_in_quotes;
        } else {
            s_argument[stored++] = c;
            has_content = 1;
        }
        p++;
        if (token_ended) {
            if (has_content) {
                s_argument[stored] = '\0';
                *cursor = p;
                return s_argument;
            }
            if (s_end_reached) {
                return nullptr;
            }
            token_ended = 0;
        }
    }
    *cursor = p;
    return s_argument;
}

void reset_first_argument()
{
    s_end_reached = 0;
    s_in_quotes = 0;
}
