// Arbitrary bytes as the command line (up to the first zero byte, in a block of
// exactly its length and terminator, so a read past the end is caught), taken
// apart by first_argument until it answers none. Checks that the calls end, that
// every argument fits the 261-byte buffer and is terminated inside it, that the
// cursor only moves forward and never beyond one past the terminator, and that
// the arguments and cursor moves are those of a plain reading of the rules.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/first_argument.h"
#include "fuzz_support.h"

namespace {

// The rules read plainly: only a space outside quotes separates, a quote opens or
// closes (a closing quote always ends the argument), a zero byte ends everything
// (and inside quotes yields nothing), an argument stops growing at 260 bytes. The
// end and the quote state carry over from one call to the next.
struct ReferenceParser {
    bool end = false;
    bool quoted = false;
};

bool reference_next(ReferenceParser& parser, const char* line, size_t* cursor, std::string* argument)
{
    if (parser.end) return false;
    std::string stored;
    bool content = false;
    size_t p = *cursor;
    while (stored.size() < 260) {
        char c = line[p++];
        bool ended = false;
        if (c == '\0') {
            parser.end = true;
            if (parser.quoted) return false;
            ended = true;
        } else if (c == '"') {
            ended = parser.quoted;
            parser.quoted = !parser.quoted;
        } else if (c == ' ' && !parser.quoted) {
            ended = content;
        } else {
            stored += c;
            content = content || c != ' ';
        }
        if (ended && content) break;
        if (ended && parser.end) return false;
    }
    *cursor = p;
    *argument = stored;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    size_t length = strnlen((const char*)bytes, size);
    char* line = (char*)malloc(length + 1);
    memcpy(line, bytes, length);
    line[length] = '\0';

    reset_first_argument();
    ReferenceParser reference;
    const char* cursor = line;
    size_t expected_cursor = 0;
    // Every argument takes at least one byte, so more calls than bytes means a loop.
    for (size_t call = 0;; call++) {
        fuzz_require(call <= length + 1, "first_argument does not come to an end");
        const char* before = cursor;
        std::string expected;
        bool more = reference_next(reference, line, &expected_cursor, &expected);
        char* argument = first_argument(&cursor);
        if (!argument) {
            fuzz_require(!more, "no argument where one was expected");
            fuzz_require(cursor == before, "the cursor moved without an argument");
            fuzz_require(first_argument(&cursor) == nullptr && cursor == before, "an answer after the end");
            break;
        }
        fuzz_require(more, "an argument where none was expected");
        fuzz_require(memchr(argument, 0, ARGUMENT_SIZE) != nullptr, "the argument is not terminated in its buffer");
        fuzz_require(argument[ARGUMENT_SIZE - 1] == '\0', "the buffer's last byte was written");
        fuzz_require(strchr(argument, '"') == nullptr, "a quote inside the argument");
        fuzz_require(argument == expected, "the argument differs from the rules");
        fuzz_require(cursor > before && cursor <= line + length + 1, "the cursor moved wrongly");
        fuzz_require(cursor == line + expected_cursor, "the cursor differs from the rules");
    }
    free(line);
    return 0;
}
