// SHA-256's compression of whole 64-byte blocks by the processor's own SHA
// instructions, where it has them: ten times the speed of plain code, which
// keeps hashing a large attachment from costing more than copying it.
#pragma once

#include <cstddef>
#include <cstdint>

// The round constants, shared by both ways of compressing.
extern const uint32_t kSha256Rounds[64];

// Whether this processor has the instructions (asked once).
bool HasShaInstructions();
// Compresses `blocks` blocks of `data` into `state`. Only where
// HasShaInstructions() holds.
void CompressWithShaInstructions(uint32_t state[8], const uint8_t* data, size_t blocks);
