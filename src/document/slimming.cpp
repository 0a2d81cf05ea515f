#include "slimming.h"

#include "byte_order.h"
#include "chunk_edit.h"
#include "chunk_file.h"
#include "memory.h"

static uint32_t type_at(int32_t index)
{
    if (!g_document.loaded || index < 0 || index >= g_document.count) {
        return 0;
    }
    return type_word(g_document.records[index].type);
}

int is_animation_chunk(int32_t index)
{
    uint32_t type = type_at(index);
    return type == type_word("acTL") || type == type_word("fcTL") || type == type_word("fdAT");
}

static int is_known_metadata(uint32_t type)
{
    static const char* const TYPES[] = {"tEXt", "zTXt", "iTXt", "tIME", "eXIf"};
    for (const char* name : TYPES) {
        if (type == type_word(name)) {
            return 1;
        }
    }
    return 0;
}

int is_metadata_chunk(int32_t index)
{
    uint32_t type = type_at(index);
    if (type == 0) {
        return 0;
    }
    // Ancillary (bit 5 of the first byte) and private (of the second): a chunk only
    // its own program reads. The animation's chunks are named that way too.
    int ancillary_private = (type & 0x20000000u) && (type & 0x00200000u);
    return is_known_metadata(type) || (ancillary_private && !is_animation_chunk(index) && type != type_word("iDOT"));
}

static int any_chunk(int (*test)(int32_t))
{
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (test(i)) {
            return 1;
        }
    }
    return 0;
}

static int is_idot(int32_t index)
{
    return type_at(index) == type_word("iDOT");
}

int has_animation()
{
    return any_chunk(is_animation_chunk);
}

int has_idot()
{
    return any_chunk(is_idot);
}

// Some of the animation's chunks are among the rows and some are not.
static int selects_part_of_animation(const int32_t* rows, int32_t count)
{
    int some = 0, all = 1;
    int32_t k = 0;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        while (k < count && rows[k] < i) {
            k++;
        }
        if (is_animation_chunk(i)) {
            int selected = k < count && rows[k] == i;
            some |= selected;
            all &= selected;
        }
    }
    return some && !all;
}

static int rows_would_merge(const int32_t* rows, int32_t count)
{
    for (int32_t k = 0; k < count; k++) {
        if (is_mergeable(rows[k])) {
            return 1;
        }
    }
    return 0;
}

RowEditPlan plan_row_edit(RowEdit edit, const int32_t* rows, int32_t count)
{
    RowEditPlan plan = {edit, rows, count, QUESTION_NONE};
    if (edit == ROW_EDIT_DELETE && has_animation() && selects_part_of_animation(rows, count)) {
        plan.question = QUESTION_WHOLE_ANIMATION;
    } else if (edit == ROW_EDIT_MERGE && has_idot() && rows_would_merge(rows, count)) {
        plan.question = QUESTION_DROP_IDOT;
    }
    return plan;
}

// The edit's selection after the answer, as a fresh array (null without memory):
// the rows plus the animation, or the rows without iDOT.
static int32_t* answered_rows(const RowEditPlan& plan, RowEditAnswer answer, int32_t* count)
{
    int grow = plan.question == QUESTION_WHOLE_ANIMATION && answer == ANSWER_YES;
    int drop = plan.question == QUESTION_DROP_IDOT && answer == ANSWER_YES;
    int32_t* rows = (int32_t*)zero_alloc((size_t)(grow ? g_document.count : plan.count) * sizeof(int32_t));
    *count = 0;
    for (int32_t i = 0, k = 0; rows && i < g_document.count && (grow || k < plan.count); i++) {
        while (k < plan.count && plan.rows[k] < i) {
            k++;
        }
        int selected = k < plan.count && plan.rows[k] == i;
        k += selected;
        if ((selected || (grow && is_animation_chunk(i))) && !(drop && is_idot(i))) {
            rows[(*count)++] = i;
        }
    }
    return rows;
}

EditResult apply_row_edit_plan(const RowEditPlan& plan, RowEditAnswer answer, const EditProgress* progress)
{
    if (!g_document.loaded || (plan.question != QUESTION_NONE && answer == ANSWER_CANCEL)) {
        return EDIT_UNCHANGED;
    }
    int32_t count = 0;
    int32_t* rows = answered_rows(plan, answer, &count);
    uint8_t* fates = rows ? (uint8_t*)zero_alloc((size_t)g_document.count) : nullptr;
    EditResult result = EDIT_NO_MEMORY;
    if (fates) {
        int32_t acting = 0;
        for (int32_t i = 0; plan.question == QUESTION_DROP_IDOT && answer == ANSWER_YES && i < g_document.count; i++) {
            if (is_idot(i)) {
                fates[i] = FATE_REMOVE;
                acting++;
            }
        }
        acting += decide_fates(plan.edit, fates, rows, count, progress);
        result = acting > 0 ? commit_fates(fates) : EDIT_UNCHANGED;
    }
    zero_free(fates);
    zero_free(rows);
    report_edit_result(plan.edit, result);
    return result;
}

int selects_part_of_animation(const uint8_t* selected)
{
    int some = 0, all = 1;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (is_animation_chunk(i)) {
            some |= selected[i];
            all &= selected[i];
        }
    }
    return some && !all;
}

int selection_would_merge(const uint8_t* selected)
{
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (selected[i] && is_mergeable(i)) {
            return 1;
        }
    }
    return 0;
}

void delete_idot(uint8_t* selected)
{
    int32_t kept = 0;
    int32_t count = g_document.loaded ? g_document.count : 0;
    for (int32_t i = 0; i < count; i++) {
        if (!is_idot(i)) {
            selected[kept++] = selected[i];
        }
    }
    for (int32_t i = count - 1; i >= 0; i--) {
        if (is_idot(i)) {
            delete_chunk(i, DELETE_FORCED);
        }
    }
}

int32_t metadata_rows(int32_t* rows)
{
    int32_t count = 0;
    for (int32_t i = 0; g_document.loaded && i < g_document.count; i++) {
        if (is_metadata_chunk(i)) {
            rows[count++] = i;
        }
    }
    return count;
}
