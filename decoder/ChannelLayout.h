#pragma once
// Keeping one channel layout through a stream whose frames change between one
// and two channels (joined recordings, radio dumps). The player is told one
// layout when it opens the stream; a one-channel frame is then copied to both
// channels and a two-channel frame mixed down at half gain each.
//
// At each change the IMDCT overlap is carried over as if the earlier frames
// had been decoded in the new frame's layout (the hybrid filter is linear, so
// mixing the two channels' output is then the same as mixing their spectra),
// and the polyphase synthesis starts afresh, as the common decoders do: the
// output of such a stream then agrees with theirs to rounding.

#include <cstdint>

struct MpegDecoderState;

// Before a frame of `frameChannels` is decoded into the layout of
// state.outputChannels: after one-channel frames, channel 1's overlap
// continues from channel 0's; in a one-channel layout, channel 0's continues
// from the mix of both after two-channel frames.
void CarryChannelHistory(MpegDecoderState& state, int32_t frameChannels);

// Rewrites one decoded frame of `bytes` bytes at `output` in place from
// `frameChannels` to `outputChannels` (1 or 2; anything else leaves the frame
// as it is) and returns its new size. A one-channel frame doubles in size:
// the output must have room for that.
int32_t ConvertChannelLayout(uint8_t* output, int32_t bytes, int32_t frameChannels,
                             int32_t outputChannels);
