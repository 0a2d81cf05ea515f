// What the commands that add and rewrite chunks (set, insert, import) share: their
// JSON lists each edit as an object of the "edits" array, refusals included.
#pragma once
#include "cli/cli_batch.h"

// {"error":error[,"value":value]} in the "edits" array; `value` may be null.
void json_edit_error(FileReport* report, const char* error, const char* value);
// A refused insert or rewrite of a `type` chunk (a ChunkOpResult other than
// OP_DONE): its line and its JSON; answers OUTCOME_REFUSED.
FileOutcome report_op_refusal(const CliContext& cli, FileReport* report, int result, const char* type);
// "chunk N TYPE inserted" (CLI_TEXT_INSERTED) or "... rewritten" (CLI_TEXT_REWRITTEN)
// of record `row`, on its line and in the "edits" array.
void report_chunk(FileReport* report, const CliContext& cli, CliText text, int32_t row);
