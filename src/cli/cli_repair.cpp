// repair: the window's trusted repair on every damaged chunk, with ports that
// answer for the user: what is beyond doubt is applied (the window's found box),
// the candidates and dimension pairs are listed instead of chosen, and the CRC is
// forced only with --force-crc.
#include <stdint.h>
#include <stdio.h>

#include "cli/cli_batch.h"
#include "cli/cli_commands.h"
#include "document/chunk_edit.h"
#include "document/chunk_file.h"
#include "repair/candidate_text.h"
#include "repair/repair_search.h"

namespace {

// The ports' context: where the boxes' texts go for the chunk under repair.
struct RepairListener {
    CliContext* cli;
    FileReport* report;
    int32_t     number;     // 1-based
    int         changed;
};

void ignore_enable(void*, int) {}
void ignore_open(void*) {}
void ignore_number(void*, int, uint32_t) {}
void ignore_text(void*, int, const char*) {}
uint32_t no_clock(void*) { return 0; }
void no_events(void*) {}
void ignore_close(void*) {}

void chunk_lead(RepairListener* listener)
{
    text_format(&listener->report->lines, "%ld: ", (long)listener->number);
}

// The found box: the chunk was mended beyond doubt. Its lines become one (a line
// feed is never part of a double-byte character).
void found_box(void* context, const char* text, const char*)
{
    RepairListener* listener = (RepairListener*)context;
    char line[REPAIR_TEXT_SIZE * 2];
    snprintf(line, sizeof line, "%s", text);
    for (char* c = line; *c; c++) {
        if (*c == '\n') *c = ' ';
    }
    chunk_lead(listener);
    add_cp932(&listener->report->lines, line);
    text_add(&listener->report->lines, "\n");
    listener->changed = 1;
}

void force_crc_lines(RepairListener* listener, CliText text)
{
    chunk_lead(listener);
    add_text(&listener->report->lines, *listener->cli, text);
    text_add(&listener->report->lines, "\n");
}

// "Not repairable; force the CRC?": yes only with --force-crc.
int force_question(void* context, const char*, const char*)
{
    RepairListener* listener = (RepairListener*)context;
    int force = listener->cli->options->force_crc;
    force_crc_lines(listener, force ? CLI_TEXT_CRC_FORCED : CLI_TEXT_NOT_REPAIRED);
    listener->changed |= force;
    return force;
}

// The candidate dialog: its count line and rows go to the report.
int32_t list_offer(void* context, const RepairOffer& offer)
{
    RepairListener* listener = (RepairListener*)context;
    TextBuilder* lines = &listener->report->lines;
    char text[REPAIR_TEXT_SIZE];
    offer_count_text(offer, text, sizeof text);
    chunk_lead(listener);
    add_text(lines, *listener->cli, CLI_TEXT_CANDIDATES);
    add_cp932(lines, text);
    text_add(lines, "\n");
    for (int32_t k = 0; k < offer.count; k++) {
        candidate_row_text(offer.candidates[k], text, sizeof text);
        text_add(lines, "  ");
        add_cp932(lines, text);
        text_add(lines, "\n");
    }
    for (int32_t k = 0; k < offer.pairs; k++) {
        dimension_row_text(offer.widths[k], offer.heights[k], text, sizeof text);
        text_add(lines, "  ");
        add_cp932(lines, text);
        text_add(lines, "\n");
    }
    if (!listener->cli->options->force_crc) return REPAIR_CHOICE_LEAVE;
    force_crc_lines(listener, CLI_TEXT_CRC_FORCED);
    listener->changed = 1;
    return REPAIR_CHOICE_FORCE_CRC;
}

FileOutcome repair_file(CliContext& cli, FileReport* report)
{
    RepairListener listener = {&cli, report, 0, 0};
    RepairPorts ports = {&listener, ignore_enable, ignore_open, ignore_number, ignore_text, no_clock,
                         no_events, found_box, force_question, ignore_close, list_offer};
    json_key(&report->json, "repaired");
    json_open(&report->json, '[');
    for (int32_t i = 0; i < g_document.count; i++) {
        if (!is_damaged(i)) continue;
        listener.number = i + 1;
        repair_chunk(i, ports);
        if (!is_damaged(i)) json_number(&report->json, i + 1);
    }
    json_close(&report->json, ']');
    int32_t left = 0;
    json_key(&report->json, "damaged_left");
    json_open(&report->json, '[');
    for (int32_t i = 0; i < g_document.count; i++) {
        if (is_damaged(i)) json_number(&report->json, i + 1), left++;
    }
    json_close(&report->json, ']');
    if (left) report_line(report, cli, CLI_TEXT_DAMAGE_LEFT, (long)left);
    if (left && !cli.options->force_crc) report_line(report, cli, CLI_TEXT_FORCE_HINT);
    report->changed = listener.changed ? SWITCH_ON : SWITCH_OFF;
    return finish_edit(cli, report, left ? OUTCOME_LEFT : listener.changed ? OUTCOME_CHANGED : OUTCOME_FINE);
}

}  // namespace

int run_repair(CliContext& cli)
{
    return run_batch(cli, repair_file);
}
