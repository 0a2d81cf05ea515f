// The decisions that keep a slimmed file whole: which chunks make up an animation,
// whether the file records IDAT offsets (iDOT), and which chunks are mere
// metadata. A selection is one byte per chunk of the document, 1 when selected.
#pragma once
#include <stdint.h>

// acTL, fcTL or fdAT.
int is_animation_chunk(int32_t index);
// Text chunks, tIME, eXIf and unknown ancillary private chunks: nothing the image
// looks like or is built from. Never colour, transparency, pHYs, animation or iDOT.
int is_metadata_chunk(int32_t index);
int has_animation();
int has_idot();

// Some of the animation's chunks are selected and some are not.
int selects_part_of_animation(const uint8_t* selected);
// Some selected chunk would be merged with the next one.
int selection_would_merge(const uint8_t* selected);
// Deletes every iDOT chunk and drops their places from the selection, so that
// entry i still belongs to chunk i.
void delete_idot(uint8_t* selected);
