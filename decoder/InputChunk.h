#pragma once
// InputChunk: one block of stream bytes queued in the decoder, with the
// stream position of its first byte as the caller gave it. The decoder owns
// the chunk and its private copy of the bytes and frees both once every byte
// has been taken.

#include <cstdint>

struct InputChunk {
    uint64_t streamPosition;
    uint8_t* data;
    int32_t size;
    int32_t consumed;
    InputChunk* next;
    InputChunk* previous;
};
