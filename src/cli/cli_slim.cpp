// strip and merge: the window's two slimming edits over chosen rows, with the
// window's questions answered by options (--break-animation and --drop-idot give
// the window's "yes"; without them the file is left as it was).
#include <string.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "document/memory.h"
#include "document/slimming.h"

namespace {

enum EditTense {
    TENSE_WOULD = 0,   // --dry-run
    TENSE_DONE  = 1,
};

struct SlimReport {
    int32_t  chunks_before;
    uint64_t size_before;
    int32_t  listed;     // items on the text line so far
};

void begin_slim(SlimReport* slim, FileReport* report, const char* key)
{
    *slim = SlimReport{g_document.count, saved_file_size(), 0};
    json_key(&report->json, key);
    json_open(&report->json, '[');
}

// One chunk (or the first of a run) on the text line and in the JSON array.
void list_chunk(SlimReport* slim, FileReport* report, const CliContext& cli, CliText lead, int32_t row, int32_t last)
{
    const ChunkRecord& record = g_document.records[row];
    char type[5] = {0};
    memcpy(type, record.type, 4);
    if (slim->listed++ == 0) {
        add_text(&report->lines, cli, lead);
    } else {
        text_add(&report->lines, ", ");
    }
    text_format(&report->lines, last > row ? "%ld-%ld " : "%ld ", (long)row + 1, (long)last + 1);
    add_cp932(&report->lines, type);
    json_open(&report->json, '{');
    json_key(&report->json, "number");
    json_number(&report->json, row + 1);
    if (last > row) {
        json_key(&report->json, "last");
        json_number(&report->json, last + 1);
    }
    json_key(&report->json, "type");
    json_cp932(&report->json, type);
    json_close(&report->json, '}');
}

FileOutcome end_slim(const SlimReport& slim, FileReport* report, CliContext& cli, int changed)
{
    json_close(&report->json, ']');
    if (slim.listed) text_add(&report->lines, "\n");
    if (end_catching_boxes(report, cli)) return OUTCOME_LEFT;
    report->changed = changed ? SWITCH_ON : report->changed;
    if (report->changed) {
        report_line(report, cli, CLI_TEXT_SIZE_CHANGE, (long)slim.chunks_before, (unsigned long long)slim.size_before,
                    (long)g_document.count, (unsigned long long)saved_file_size());
    }
    json_key(&report->json, "size_before");
    json_number(&report->json, (int64_t)slim.size_before);
    json_key(&report->json, "size_after");
    json_number(&report->json, (int64_t)saved_file_size());
    int damaged = 0;
    for (int32_t i = 0; i < g_document.count; i++) damaged |= is_damaged(i);
    return finish_edit(cli, report, damaged ? OUTCOME_LEFT : changed ? OUTCOME_CHANGED : OUTCOME_FINE);
}

// The selected rows as ascending indices, for edit_rows; null when memory runs out.
int32_t* selected_rows(const uint8_t* selected, int32_t* count)
{
    int32_t* rows = (int32_t*)zero_alloc(sizeof(int32_t) * (size_t)(g_document.count + 1));
    *count = 0;
    for (int32_t i = 0; rows && i < g_document.count; i++) {
        if (selected[i]) rows[(*count)++] = i;
    }
    return rows;
}

typedef int (*QuestionAnswer)(CliContext& cli, FileReport* report, uint8_t* selected);

// The rows to edit once the window's question is answered (the selection is
// freed); null with *stop set when the file is left as it was.
int32_t* answered_rows(CliContext& cli, FileReport* report, uint8_t* selected, QuestionAnswer answer, int32_t* count,
                       FileOutcome* stop)
{
    int go_on = selected && answer(cli, report, selected);
    int32_t* rows = go_on ? selected_rows(selected, count) : nullptr;
    if (!rows && selected && !go_on) {
        *stop = finish_edit(cli, report, OUTCOME_REFUSED);
    } else if (!rows) {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
        *stop = OUTCOME_LEFT;
    }
    zero_free(selected);
    return rows;
}

int strip_chooses(const CliOptions& options, int32_t row)
{
    const uint8_t* type = g_document.records[row].type;
    uint32_t sets = options.strip;
    int chosen = (sets & STRIP_ALL) || ((sets & STRIP_METADATA) && is_metadata_chunk(row)) ||
                 ((sets & STRIP_TYPES) && type_list_has(options.types, type)) ||
                 (sets == STRIP_KEEP);
    return chosen && !((sets & STRIP_KEEP) && type_list_has(options.keep, type));
}

// The window's question about a part of an animation: "yes" adds the rest of it.
int answer_animation(CliContext& cli, FileReport* report, uint8_t* selected)
{
    if (!has_animation() || !selects_part_of_animation(selected)) return 1;
    if (!cli.options->break_animation) {
        report_line(report, cli, CLI_TEXT_ANIMATION_GUARD);
        return 0;
    }
    for (int32_t i = 0; i < g_document.count; i++) selected[i] |= (uint8_t)is_animation_chunk(i);
    return 1;
}

FileOutcome strip_file(CliContext& cli, FileReport* report)
{
    uint8_t* selected = (uint8_t*)zero_alloc((size_t)g_document.count + 1);
    int32_t count = 0;
    int32_t* rows;
    for (int32_t i = 0; selected && i < g_document.count; i++) selected[i] = (uint8_t)strip_chooses(*cli.options, i);
    FileOutcome stop = OUTCOME_LEFT;
    rows = answered_rows(cli, report, selected, answer_animation, &count, &stop);
    if (!rows) return stop;
    SlimReport slim;
    begin_slim(&slim, report, "deleted");
    CliText lead = cli.options->dry_run ? CLI_TEXT_WOULD_DELETE : CLI_TEXT_DELETED;
    for (int32_t k = 0; k < count; k++) {
        if (is_deletable(rows[k])) list_chunk(&slim, report, cli, lead, rows[k], rows[k]);
    }
    begin_catching_boxes();
    int changed = slim.listed > 0 && edit_rows(ROW_EDIT_DELETE, rows, count, nullptr);
    zero_free(rows);
    return end_slim(slim, report, cli, changed);
}

// The window's question before merging a file with iDOT: "yes" deletes iDOT.
int answer_idot(CliContext& cli, FileReport* report, uint8_t* selected)
{
    if (!has_idot() || !selection_would_merge(selected)) return 1;
    if (!cli.options->drop_idot) {
        report_line(report, cli, CLI_TEXT_IDOT_GUARD);
        return 0;
    }
    delete_idot(selected);
    report->changed = SWITCH_ON;
    report_line(report, cli, CLI_TEXT_IDOT_DELETED);
    return 1;
}

FileOutcome merge_file(CliContext& cli, FileReport* report)
{
    uint8_t* selected = (uint8_t*)zero_alloc((size_t)g_document.count + 1);
    if (selected) memset(selected, 1, (size_t)g_document.count);
    int32_t count = 0;
    FileOutcome stop = OUTCOME_LEFT;
    int32_t* rows = answered_rows(cli, report, selected, answer_idot, &count, &stop);
    if (!rows) return stop;
    SlimReport slim;
    begin_slim(&slim, report, "merged");
    CliText lead = cli.options->dry_run ? CLI_TEXT_WOULD_MERGE : CLI_TEXT_MERGED;
    for (int32_t i = 0; i < g_document.count; i++) {
        int32_t last = i;
        while (is_mergeable(last)) last++;
        if (last > i) list_chunk(&slim, report, cli, lead, i, last);
        i = last;
    }
    begin_catching_boxes();
    int changed = slim.listed > 0 && edit_rows(ROW_EDIT_MERGE, rows, count, nullptr);
    zero_free(rows);
    return end_slim(slim, report, cli, changed);
}

}  // namespace

int run_strip(CliContext& cli)
{
    return run_batch(cli, strip_file);
}

int run_merge(CliContext& cli)
{
    return run_batch(cli, merge_file);
}
