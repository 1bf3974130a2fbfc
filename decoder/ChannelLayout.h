#pragma once
// Keeping one channel layout through a stream whose frames change between one
// and two channels (joined recordings, radio dumps). The player is told one
// layout when it opens the stream; a one-channel frame is then copied to both
// channels and a two-channel frame mixed down at half gain each.
//
// At each change the polyphase synthesis starts afresh and, in a one-channel
// layout, the IMDCT overlap is carried over as if the earlier frames had been
// decoded in the new frame's layout (the hybrid filter is linear, so mixing
// the two channels' output is then the same as mixing their spectra); in a
// two-channel layout each channel keeps its own overlap. That is what the
// common decoders do: the output of such a stream agrees with theirs to
// rounding.

#include <cstdint>

struct MpegDecoderState;

// Before a frame of `frameChannels` is decoded into the layout of
// state.outputChannels.
void CarryChannelHistory(MpegDecoderState& state, int32_t frameChannels);

// Rewrites one decoded frame of `bytes` bytes at `output` in place from
// `frameChannels` to `outputChannels` (1 or 2; anything else leaves the frame
// as it is) and returns its new size. A one-channel frame doubles in size:
// the output must have room for that.
int32_t ConvertChannelLayout(uint8_t* output, int32_t bytes, int32_t frameChannels,
                             int32_t outputChannels);
