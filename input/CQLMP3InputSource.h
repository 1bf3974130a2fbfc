// The MP3 audio input: what the host gets from GetInputSource for every MP3
// stream it plays. Opens a local file, an in-memory copy or an internet
// stream, analyses it, and fills the base's output buffer one decoded frame
// at a time, trimming encoder delay and padding so gapless albums play
// without gaps. Seeks to the sample and plays on through damaged frames.
//
// Owns its reader (through the base), the analysis and the whole decoder
// state, which is embedded: one source is one allocation plus its buffers.
#ifndef TONEHALL_INPUT_CQLMP3INPUTSOURCE_H
#define TONEHALL_INPUT_CQLMP3INPUTSOURCE_H

#include <cstdint>
#include <memory>

#include "ZrCoreLib/ZrString.h"
#include "decoder/MpegDecoderState.h"
#include "input/MpegStreamAnalysis.h"
#include "plugin/ZrAudioInputBase.h"

class CIcyReader;

class CQLMP3InputSource : public ZrAudioInputBase {
public:
    // Output buffer: room for many frames, so one Read rarely decodes twice.
    static constexpr int32_t kOutputCapacity = 262144;
    // The tail reserve may not grow into the room one fill needs for a frame.
    static constexpr int32_t kFillHeadroom = 65536;
    static constexpr int32_t kReadChunkBytes = 16384;
    // Samples the synthesis filterbank delays its output by: skipped at the
    // start and, through the padding, at the end.
    static constexpr int32_t kDecoderDelay = 529;
    // Consecutive fills without audio after which a stream counts as dead.
    static constexpr int32_t kMaxBadFills = 255;
    // Around a damaged frame: sample frames dropped from what was already
    // decoded, and sample frames of output discarded after it (the bit
    // reservoir and the filterbank need that long to recover).
    static constexpr int32_t kDamageDropBefore = 1152;
    static constexpr int32_t kDamageDiscardAfter = 4608;
    static constexpr const wchar_t* kStreamSuffix = L"/~~~stream~~~.mp3";
    static constexpr const wchar_t* kLayer1Message =
        L"MPEG plugin does not support MPEG layer 1 files.";

    explicit CQLMP3InputSource(IZrReaderProvider* provider);
    ~CQLMP3InputSource() override;

    int Open(const wchar_t* path) override;
    int GetInfo(int id, IZrDllString* out) override;
    int SetInfo(int id, const wchar_t* value) override;
    int DoCommand(int id) override;
    int FillBuffer() override;

    // For tests and tools: what the analysis found.
    const MpegStreamAnalysis& Analysis() const { return m_analysis; }

private:
    void SelectMemoryReader(const ZrString& path);
    void ReplaceReader(IZrReader* replacement);
    int32_t DecodeIntoBuffer(int32_t space, int32_t& produced);
    int32_t DecodeOne(uint8_t* out, int32_t space, int32_t& produced);
    int32_t Preroll();
    bool RunsOnPastHeaderFrames();
    int Seek(const wchar_t* value);

    MpegDecoderState m_decoder;
    MpegStreamAnalysis m_analysis;
    bool m_live = false;
    CIcyReader* m_icy = nullptr; // m_reader itself on a live stream
    ZrString m_lastError;
    int32_t m_errorCount = 0;
    int32_t m_skipBytes = 0;
    int32_t m_preRollBytes = 0;
    // Number of the next frame the decoder delivers, from the first audio
    // frame; and the tail reserve set at Open.
    int64_t m_nextFrame = 0;
    int32_t m_gaplessTailReserve = 0;
    std::unique_ptr<uint8_t[]> m_readChunk;
    // Where pre-roll frames are decoded to be thrown away.
    std::unique_ptr<uint8_t[]> m_scratch;
};

#endif
