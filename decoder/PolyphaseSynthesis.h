#pragma once
// The polyphase synthesis filterbank shared by Layers II and III
// (ISO/IEC 11172-3 clause 2.4.3.2 and Annex A, Figure A.2), in double
// precision, with the conversion to the decoder's output: the sum scaled by
// 2^-15 against a window of D[i] x 32767, clipped to -1..1.
//
// One step turns the 32 subband samples of one time slot into 32 output
// samples. For a two-channel stream call Synthesize(channel 0) then
// Synthesize(channel 1) per time slot, for a mono stream SynthesizeMono; or
// SynthesizeSteps for several time slots at once, as the layer decoders do
// (Layer III with a granule's 18, Layer II with a frame's 36).

#include <cstdint>

struct MpegDecoderState;

// Builds the window and DCT cosine tables (done by InitDecoder).
void InitSynthesisTables(MpegDecoderState& state);

// Clears the history and sets the ring offset to 1 (done by init and reset).
void ResetSynthesis(MpegDecoderState& state);

// One step for channel 0 or 1 of two-channel output: writes 32 doubles to
// every second slot from output + bytesDone (+ 8 bytes for channel 1);
// channel 1 advances bytesDone by 512. Returns the number of clipped samples.
int32_t Synthesize(MpegDecoderState& state, const double* samples, int32_t channel, uint8_t* output,
                   int32_t& bytesDone);

// `steps` consecutive steps: of both channels, interleaved, or of a mono
// stream when `right` is null. The same as one call per step, but faster.
int32_t SynthesizeSteps(MpegDecoderState& state, const double (*left)[32],
                        const double (*right)[32], int32_t steps, uint8_t* output,
                        int32_t& bytesDone);

// One step for one-channel output: 32 consecutive doubles, bytesDone += 256.
int32_t SynthesizeMono(MpegDecoderState& state, const double* samples, uint8_t* output,
                       int32_t& bytesDone);

// The 32-point DCT the filterbank uses: out[i] = sum_k cos(i (2k + 1) pi / 64) in[k],
// by Lee's recursive decomposition over the state's five cosine tables.
void SynthesisDct32(const MpegDecoderState& state, const double* in, double* out);
