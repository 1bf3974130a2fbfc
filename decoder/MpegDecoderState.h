#pragma once
// MpegDecoderState: the whole state of one MPEG audio decoder (MPEG-1,
// MPEG-2 and MPEG-2.5, Layers II and III), embedded by value in its owner,
// never shared, one thread at a time. It owns the queued input chunks and the
// two layer decoders; the reservoir, overlap and synthesis buffers live
// inside it, so one state takes about 51 KB.
//
// Driving it (the input source):
//   InitDecoder(state) once; QueueDecoderInput(state, bytes, n, position of
//   the bytes in the stream); then DecodeFrame(state, out, capacity, version,
//   layer, rate, 0, bitrate, bytesDone) until it answers DECODE_NEED_MORE;
//   after a seek ResetDecoder(state); FreeDecoder(state) in the destructor.
//   After DECODE_OK, state.header describes the frame just decoded and
//   state.frameStreamPosition is the stream position of its header.
//
// How Layer III plugs in: the front end copies each frame body to offset
// kBackStepArea of the next reservoir buffer and attaches state.bits to it
// (past the CRC word when there is one). Layer3Decoder reads its side
// information through state.bits, calls BackStep(state, main_data_begin)
// (false: no previous frame, the frame yields no samples and returns 0),
// keeps its overlap in state.imdctOverlap, and hands
// 32 subband samples at a time to Synthesize / SynthesizeMono
// (PolyphaseSynthesis.h), 18 steps per granule. The single dispatch point
// for Layer III frames is marked in MpegDecoderState.cpp.

#include "decoder/FrameHeader.h"
#include "decoder/InputChunk.h"
#include "decoder/MpegBitReader.h"

#include <cstdint>

class Layer2Decoder;
class Layer3Decoder;

constexpr int32_t DECODE_OK = 0;
constexpr int32_t DECODE_NEED_MORE = 1;
constexpr int32_t DECODE_ERROR = -1;

// One frame of output at most: 1152 sample frames x 2 channels x 8 bytes.
constexpr int32_t kMinOutputCapacity = 18432;
// The largest frame that passes the header checks: Layer II at 160 kbit/s and
// 8000 Hz is 2880 bytes plus a padding byte (headers included).
constexpr int32_t kMaxFrameBytes = 2881;
// Bytes in front of each body for the Layer III back step: main_data_begin
// has 9 bits, so it reaches at most 511 bytes back.
constexpr int32_t kBackStepArea = 512;
// Zero bytes kept behind every body, so that a reader may load whole words
// near the end of the frame without a bounds check.
constexpr int32_t kReservoirPadding = 32;
constexpr int32_t kReservoirBufferSize = kBackStepArea + kMaxFrameBytes + kReservoirPadding;

struct MpegDecoderState {
    // Input queue: a FIFO of chunks, head consumed first.
    InputChunk* queueTail;
    InputChunk* queueHead;
    int32_t queuedBytes;

    int32_t frameSize;         // body size of the pending frame; 0 = no header pending
    int32_t previousFrameSize; // body size of the last decoded frame; -1 = none
    FrameHeader header;
    uint64_t frameStreamPosition; // stream position of the pending/last header

    // Each frame body goes to offset kBackStepArea of the buffer not holding
    // the previous frame; the bytes in front receive the back-step data.
    uint8_t reservoir[2][kReservoirBufferSize];
    int32_t currentBuffer; // 0 or 1

    // Layer III overlap-add per channel: the hybrid filter reads each
    // granule's overlap and writes the next one's in place.
    double imdctOverlap[2][576];

    MpegBitReader bits;

    // Layout every frame is delivered in (ChannelLayout.h): 1 or 2 channels,
    // or 0 for each frame's own. Kept by ResetDecoder.
    int32_t outputChannels;
    int32_t decodedChannels; // of the last frame decoded; 0 = none since reset

    // Polyphase synthesis: per channel the last 16 steps, newest at slot
    // synthesisOffset (0..15, shared by both channels). A slot holds its
    // step's 32-point DCT output spread into the two 32-value rows that the
    // window loop reads in order (PolyphaseSynthesis.cpp).
    alignas(32) double synthesisHistory[2][16][2][32];
    int32_t synthesisOffset;
    // D[i] x 32767 x 2^-15, by tap pair and row, signs folded in
    // (PolyphaseSynthesis.cpp).
    alignas(32) double synthesisWindow[8][2][32];
    double dctCos16[16]; // 1 / (2 cos(pi (2k + 1) / 64))
    double dctCos8[8];   // 1 / (2 cos(pi (2k + 1) / 32))
    double dctCos4[4];   // 1 / (2 cos(pi (2k + 1) / 16))
    double dctCos2[2];   // 1 / (2 cos(pi (2k + 1) / 8))
    double dctCos1[1];   // 1 / (2 cos(pi / 4))
    const double* dctCos[5];

    // Layer II requantisation: row k (quantiser), column j (scale factor index).
    double layer2Requant[27][64];

    Layer2Decoder* layer2; // owned; created on the first Layer II frame
    Layer3Decoder* layer3; // owned; created on the first Layer III frame
};

void InitDecoder(MpegDecoderState& state);

// Copies `count` bytes into a new chunk at the queue's tail. `streamPosition`
// is the position of bytes[0] in the source stream. False (queue unchanged)
// when memory runs out or count is negative.
bool QueueDecoderInput(MpegDecoderState& state, const uint8_t* bytes, int32_t count,
                       uint64_t streamPosition);

// Decodes at most one frame into `output` (capacity bytes, at least
// kMinOutputCapacity; doubles written with memcpy, so any alignment), as
// interleaved doubles in -1..1, in the frame's own channel layout or the one
// set by SetDecoderOutputChannels. version 10/20/25, layer 1..3 and sampleRate
// (Hz) are the stream's parameters; frames that differ are skipped.
// `reserved` has no effect. `bytesDone` holds the bytes written for this
// frame; `bitrate` the frame's kbit/s after DECODE_OK.
// Returns DECODE_OK (one frame consumed, with or without output),
// DECODE_NEED_MORE (queue more input; a parsed header stays pending), or
// DECODE_ERROR (capacity too small, unusable header or corrupt frame; the
// header or frame is consumed, the next call resynchronises).
int32_t DecodeFrame(MpegDecoderState& state, void* output, int32_t capacity, int32_t version,
                    int32_t layer, int32_t sampleRate, int32_t reserved, int32_t& bitrate,
                    int32_t& bytesDone);

// From now on every frame is delivered with `channels` channels (1 or 2),
// whatever its own mode; 0 delivers each frame as it is coded.
void SetDecoderOutputChannels(MpegDecoderState& state, int32_t channels);

// Frees the queue and both layer decoders and clears the stream state, keeping
// the synthesis window, cosine tables and Layer II requantisation table.
void ResetDecoder(MpegDecoderState& state);

// Frees the queue and both layer decoders (the owner's destructor).
void FreeDecoder(MpegDecoderState& state);

// Layer III main_data_begin: moves the bit reader back `bytes` bytes from its
// position (behind the side information), copying the last `bytes` bytes of
// the previous frame's buffer in front. False when bytes > 0 and no frame
// was decoded since init or reset.
bool BackStep(MpegDecoderState& state, int32_t bytes);
