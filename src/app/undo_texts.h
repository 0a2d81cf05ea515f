// The texts of undo and redo: the menu items, which name the step they act on,
// and the name of each kind of step (indexed by StepKind), in code page 932.
#pragma once
#include "document/undo_history.h"

// Without a step the items keep the resource's texts (and are greyed).
#define UNDO_ITEM_NAMED     "元に戻す: %s(&Z)\tCtrl+Z"
#define REDO_ITEM_NAMED     "やり直し: %s(&Y)\tCtrl+Y"
#define UNDO_ITEM           "元に戻す(&Z)\tCtrl+Z"
#define REDO_ITEM           "やり直し(&Y)\tCtrl+Y"

static const char* const STEP_NAMES[STEP_KIND_COUNT] = {
    "削除",         // STEP_DELETE
    "結合",         // STEP_MERGE
    "修復",         // STEP_REPAIR
    "CRCの強制",    // STEP_FORCE_CRC
    "編集",         // STEP_EDIT
    "挿入",         // STEP_INSERT
    "移動",         // STEP_MOVE
    "貼り付け",     // STEP_PASTE
    "切り取り",     // STEP_CUT
    "分割",         // STEP_SPLIT
    "インポート",   // STEP_IMPORT
    "救出",         // STEP_RESCUE
};
