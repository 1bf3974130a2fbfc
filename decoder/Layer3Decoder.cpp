#include "decoder/Layer3Decoder.h"

#include "decoder/Layer3Stereo.h"
#include "decoder/MpegBitReader.h"
#include "decoder/MpegDecoderState.h"
#include "decoder/PolyphaseSynthesis.h"

#include <algorithm>
#include <cstring>

static_assert(MpegBitReader::kPadding <= 16, "scratch buffers carry 16 bytes of padding");

Layer3Decoder::Layer3Decoder(MpegDecoderState& state)
    : state_(state), spectrumDecoder_(tables_), hybridFilter_(tables_) {}

int32_t Layer3Decoder::DecodeLayer3(uint8_t* output, int32_t& bytesDone) {
    const FrameHeader& header = state_.header;
    const bool lsf = header.lsf != 0;
    const int channels = header.channels;
    const int sampleRateIndex = header.samplingIndex;
    if (sampleRateIndex < 0 || sampleRateIndex > 8 || channels < 1 || channels > 2) return -1;

    // Side information, from a padded copy so that reading it can never leave
    // the buffer, however short the body.
    MpegBitReader& reader = state_.bits;
    const int sideInfoSize = Layer3SideInfo::SizeBytes(lsf, channels);
    const int sideInfoStart = reader.BytePosition();
    const int bodyEnd = reader.SizeBits() / 8;
    if (bodyEnd - sideInfoStart < sideInfoSize) return -1;
    const uint8_t* buffer = state_.reservoir[state_.currentBuffer];
    std::memset(sideInfoBytes_, 0, sizeof sideInfoBytes_);
    std::memcpy(sideInfoBytes_, buffer + sideInfoStart, static_cast<size_t>(sideInfoSize));
    MpegBitReader sideBits(sideInfoBytes_, sideInfoSize);
    if (sideInfo_.Parse(sideBits, lsf, channels, sampleRateIndex) != Layer3SideInfo::Result::Ok)
        return -1;
    reader.Skip(sideInfoSize * 8);

    // Bit reservoir: the main data begin main_data_begin bytes before the end
    // of the side information, in earlier frames.
    if (!BackStep(state_, sideInfo_.mainDataBegin)) return 0;
    const int mainStart = reader.BytePosition();
    const int mainSize = std::clamp(bodyEnd - mainStart, 0, kMaxMainDataBytes);
    std::memcpy(mainData_, buffer + mainStart, static_cast<size_t>(mainSize));
    std::memset(mainData_ + mainSize, 0, 16);
    MpegBitReader bits(mainData_, mainSize);

    // ISO/IEC 11172-3 2.4.2.3: mode_extension bit 1 = M/S, bit 0 = intensity,
    // only in joint-stereo mode.
    const bool joint = header.mode == 1 && channels == 2;
    Layer3Stereo::Frame stereo{joint && (header.modeExtension & 2) != 0,
                               joint && (header.modeExtension & 1) != 0, lsf, sampleRateIndex};

    int32_t clipped = 0;
    int granuleStart = 0;
    for (int gr = 0; gr < sideInfo_.granules; ++gr) {
        int subbands[2] = {0, 0};
        for (int ch = 0; ch < channels; ++ch) {
            const Layer3SideInfo::Granule& granule = sideInfo_.granule[gr][ch];
            bits.SetPosition(granuleStart);
            const int granuleEnd = granuleStart + granule.part23Length;
            bool preflag = granule.preflag;
            if (lsf)
                preflag = scaleFactors_[ch].ReadLsf(bits, granule,
                                                    ch == 1 && stereo.intensityStereo, tables_);
            else
                scaleFactors_[ch].ReadMpeg1(bits, granule);
            if (spectrumDecoder_.Decode(bits, std::min(granuleEnd, bits.SizeBits()), granule,
                                        scaleFactors_[ch], preflag, stereo.msStereo,
                                        sampleRateIndex, spectrum_[ch],
                                        subbands[ch]) != Layer3SpectrumDecoder::Result::Ok)
                return -1;
            granuleStart = granuleEnd;
        }

        if (channels == 2 && (stereo.msStereo || stereo.intensityStereo))
            Layer3Stereo::Process(tables_, stereo, sideInfo_.granule[gr][1], scaleFactors_[1],
                                  spectrum_[0], spectrum_[1], subbands);

        for (int ch = 0; ch < channels; ++ch)
            hybridFilter_.Process(sideInfo_.granule[gr][ch], spectrum_[ch], subbands[ch],
                                  state_.imdctOverlap[ch], subbandSamples_[ch]);

        clipped +=
            SynthesizeSteps(state_, subbandSamples_[0],
                            channels == 2 ? subbandSamples_[1] : nullptr, 18, output, bytesDone);
    }
    // Leave the front end's reader at the end of this frame's part 2/3 data.
    reader.SetPosition(static_cast<int64_t>(mainStart) * 8 + granuleStart);
    return clipped;
}
