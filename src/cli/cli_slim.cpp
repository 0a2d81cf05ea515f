// strip and merge: the window's two slimming edits over chosen rows, planned and
// applied by the core, with the window's one question answered by an option.
#include <string.h>

#include "cli/cli_batch.h"
#include "check/privacy.h"
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

// `private_rows`: one byte per chunk, 1 for those the privacy review names (null
// without --private).
int strip_chooses(const CliOptions& options, const uint8_t* private_rows, int32_t row)
{
    const uint8_t* type = g_document.records[row].type;
    uint32_t sets = options.strip;
    int chosen = (sets & STRIP_ALL) || ((sets & STRIP_METADATA) && is_metadata_chunk(row)) ||
                 ((sets & STRIP_TYPES) && type_list_has(options.types, type)) ||
                 (private_rows && private_rows[row]) || (sets == STRIP_KEEP);
    return chosen && !((sets & STRIP_KEEP) && type_list_has(options.keep, type));
}

// The window's question, answered from the options as slimming.h lays down:
// --break-animation deletes only the chosen chunks, --drop-idot deletes iDOT and
// merges; without them the file is left as it was.
RowEditAnswer answer_question(CliContext& cli, FileReport* report, const RowEditPlan& plan)
{
    if (plan.question == QUESTION_WHOLE_ANIMATION) {
        if (cli.options->break_animation) return ANSWER_NO;
        report_line(report, cli, CLI_TEXT_ANIMATION_GUARD);
        return ANSWER_CANCEL;
    }
    if (plan.question == QUESTION_DROP_IDOT) {
        if (!cli.options->drop_idot) {
            report_line(report, cli, CLI_TEXT_IDOT_GUARD);
            return ANSWER_CANCEL;
        }
        report_line(report, cli, CLI_TEXT_IDOT_DELETED);
    }
    return ANSWER_YES;
}

// Lists what the edit changes (`list`), then asks, applies and finishes; the
// rows are freed.
FileOutcome apply_slimming(CliContext& cli, FileReport* report, RowEdit edit, int32_t* rows, int32_t count,
                           void (*list)(SlimReport*, FileReport*, const CliContext&, const int32_t*, int32_t))
{
    RowEditPlan plan = plan_row_edit(edit, rows, count);
    RowEditAnswer answer = answer_question(cli, report, plan);
    if (answer == ANSWER_CANCEL) {
        zero_free(rows);
        return finish_edit(cli, report, OUTCOME_REFUSED);
    }
    SlimReport slim;
    begin_slim(&slim, report, edit == ROW_EDIT_DELETE ? "deleted" : "merged");
    list(&slim, report, cli, rows, count);
    begin_catching_boxes();
    EditResult result = apply_row_edit_plan(plan, answer, nullptr);
    zero_free(rows);
    return end_slim(slim, report, cli, result == EDIT_CHANGED);
}

void list_deleted(SlimReport* slim, FileReport* report, const CliContext& cli, const int32_t* rows, int32_t count)
{
    CliText lead = cli.options->dry_run ? CLI_TEXT_WOULD_DELETE : CLI_TEXT_DELETED;
    for (int32_t k = 0; k < count; k++) {
        if (is_deletable(rows[k])) list_chunk(slim, report, cli, lead, rows[k], rows[k]);
    }
}

void list_merged(SlimReport* slim, FileReport* report, const CliContext& cli, const int32_t*, int32_t)
{
    CliText lead = cli.options->dry_run ? CLI_TEXT_WOULD_MERGE : CLI_TEXT_MERGED;
    for (int32_t i = 0; i < g_document.count; i++) {
        int32_t last = i;
        while (is_mergeable(last)) last++;
        if (last > i) list_chunk(slim, report, cli, lead, i, last);
        i = last;
    }
}

// The chunks the privacy review names, one byte a chunk; null without --private,
// and with the review's memory failure in *failed.
uint8_t* private_rows_for(const CliOptions& options, int* failed)
{
    *failed = 0;
    if (!(options.strip & STRIP_PRIVATE)) return nullptr;
    PrivacyList list = {};
    review_privacy(&list);
    uint8_t* selected = (uint8_t*)zero_alloc((size_t)g_document.count + 1);
    if (selected && !list.out_of_memory) privacy_selection(list, selected, g_document.count);
    *failed = !selected || list.out_of_memory;
    privacy_free(&list);
    return selected;
}

// Rows for the edit: those strip chooses (every row for merge); null when memory runs out.
int32_t* rows_for(const CliOptions& options, RowEdit edit, int32_t* count)
{
    int failed = 0;
    uint8_t* private_rows = edit == ROW_EDIT_DELETE ? private_rows_for(options, &failed) : nullptr;
    int32_t* rows = edit == ROW_EDIT_MERGE || !failed ? (int32_t*)zero_alloc(sizeof(int32_t) * (size_t)(g_document.count + 1)) : nullptr;
    *count = 0;
    for (int32_t i = 0; rows && i < g_document.count; i++) {
        if (edit == ROW_EDIT_MERGE || strip_chooses(options, private_rows, i)) rows[(*count)++] = i;
    }
    zero_free(private_rows);
    return rows;
}

FileOutcome slim_file(CliContext& cli, FileReport* report, RowEdit edit)
{
    int32_t count = 0;
    int32_t* rows = rows_for(*cli.options, edit, &count);
    if (!rows) {
        report_line(report, cli, CLI_TEXT_OUT_OF_MEMORY);
        return OUTCOME_LEFT;
    }
    return apply_slimming(cli, report, edit, rows, count, edit == ROW_EDIT_DELETE ? list_deleted : list_merged);
}

FileOutcome strip_file(CliContext& cli, FileReport* report)
{
    return slim_file(cli, report, ROW_EDIT_DELETE);
}

FileOutcome merge_file(CliContext& cli, FileReport* report)
{
    return slim_file(cli, report, ROW_EDIT_MERGE);
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
