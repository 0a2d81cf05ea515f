// Arbitrary bytes as a PNG file: when it loads, the check and the privacy review
// run over it. Neither may change the document; every finding names a chunk of
// the document (or the file), a known rule or kind, and reads as a terminated
// message in both languages; excerpts are UTF-8; the privacy selection holds no
// critical chunk.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "check/check.h"
#include "check/privacy.h"
#include "document/chunk_model.h"
#include "fuzz_support.h"
#include "present/text_codec.h"
#include "support/memory_files.h"

namespace {

void require_findings(const FindingList& list)
{
    fuzz_require(!list.out_of_memory, "the check ran out of memory");
    for (int32_t i = 0; i < list.count; i++) {
        const Finding& f = list.items[i];
        fuzz_require(f.chunk == FINDING_FILE || (f.chunk >= 0 && f.chunk < g_document.count), "a finding's chunk");
        fuzz_require(f.rule >= 0 && f.rule < CHECK_RULE_COUNT, "a finding's rule");
        char text[64];
        for (CheckLanguage language : {CHECK_JAPANESE, CHECK_ENGLISH}) {
            memset(text, 'x', sizeof text);
            finding_message(f, language, text, sizeof text);
            fuzz_require(memchr(text, 0, sizeof text) != nullptr, "an unterminated message");
        }
    }
}

void require_privacy(const PrivacyList& list)
{
    for (int32_t i = 0; i < list.count; i++) {
        const PrivacyFinding& f = list.items[i];
        fuzz_require(f.chunk >= 0 && f.chunk < g_document.count, "a privacy finding's chunk");
        fuzz_require(f.kind >= 0 && f.kind < PRIVACY_KIND_COUNT, "a privacy finding's kind");
        fuzz_require(is_valid_utf8((const uint8_t*)f.excerpt, strlen(f.excerpt)), "an excerpt is not UTF-8");
    }
    std::vector<uint8_t> selected((size_t)g_document.count + 1);
    int32_t chosen = privacy_selection(list, selected.data(), g_document.count);
    int32_t counted = 0;
    for (int32_t i = 0; i < g_document.count; i++) {
        counted += selected[(size_t)i];
        fuzz_require(!selected[(size_t)i] || (g_document.records[i].type[0] & 0x20), "a critical chunk selected");
    }
    fuzz_require(counted == chosen, "the selection's count");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    if (size >= PNG_SIZE_LIMIT) return 0;
    static MemoryFiles* folder = new MemoryFiles;  // lives as long as the process
    folder->files.clear();
    folder->files["in.png"].assign(bytes, bytes + size);
    FindingList findings = FindingList();
    int result = load_png("in.png");
    if (result != LOAD_OK) {
        check_load_failure(result, &findings);
        findings_free(&findings);
        return 0;
    }
    ChunkList before = document_chunks();
    check_document(&findings);
    require_findings(findings);
    findings_free(&findings);
    PrivacyList privacy = PrivacyList();
    review_privacy(&privacy);
    require_privacy(privacy);
    privacy_free(&privacy);
    fuzz_require(document_faults(before));
    release_document();
    return 0;
}
