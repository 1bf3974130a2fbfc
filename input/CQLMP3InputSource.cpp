#include "input/CQLMP3InputSource.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <exception>

#include "ZrCoreLib/ZrReaderFactory.h"
#include "ZrCoreLib/ZrSettingsKey.h"
#include "ZrCoreLib/ZrToolsServices.h"
#include "config/CMP3ConfigureWnd.h"
#include "input/CIcyReader.h"
#include "input/CWrappingReader.h"
#include "input/ITunesGaplessComment.h"

namespace {
constexpr int32_t kBytesPerValue = 8; // the host gets 64-bit doubles
// Longer seek texts carry nothing a millisecond count needs.
constexpr size_t kMaxSeekTextChars = 64;

// The seek value as the host writes it: decimal, with an optional fraction
// after a point. Read without the C library's locale, which the plug-in's
// start-up takes from the environment: under a locale with a decimal comma
// wcstod stops at the point and the fraction is lost. 0 when unreadable.
double ParseMilliseconds(const wchar_t* text) {
    if (!text) return 0;
    while (*text && std::iswspace(static_cast<wint_t>(*text)))
        ++text;
    if (*text == L'+') ++text;
    char narrow[kMaxSeekTextChars] = {};
    size_t n = 0;
    for (; n < sizeof narrow && text[n] > 0 && text[n] < 0x80; ++n)
        narrow[n] = static_cast<char>(text[n]);
    double value = 0;
    std::from_chars(narrow, narrow + n, value); // leaves value alone on failure
    return value;
}
} // namespace

CQLMP3InputSource::CQLMP3InputSource(IZrReaderProvider* provider) : ZrAudioInputBase(provider) {
    InitDecoder(m_decoder);
    m_icySupport = true;
}

CQLMP3InputSource::~CQLMP3InputSource() {
    delete m_reader;
    m_reader = nullptr;
    FreeDecoder(m_decoder);
}

void CQLMP3InputSource::ReplaceReader(IZrReader* replacement) {
    // The source owns exactly one reader; the one replaced would otherwise
    // be left without an owner.
    delete m_reader;
    m_reader = replacement;
}

void CQLMP3InputSource::SelectMemoryReader(const ZrString& path) {
    if (path.StartsWithNoCase(L"http://") || path.StartsWithNoCase(L"https://")) return;
    if (IZrReader* kept = ZrToolsServices::GetInMemoryFileReader(path.c_str())) {
        ReplaceReader(new CWrappingReader(kept));
        m_fromMemory = true;
        return;
    }
    ZrSettingsKey engine(ZrSettingsKey::kPlaybackEngineKey);
    if (engine.ReadInt(L"Play Files From Memory", 0) == 0) return;
    if (IZrReader* copy = ZrReaderFactory::CreateFromMemoryReader(m_reader)) {
        ReplaceReader(copy);
        m_fromMemory = true;
    }
}

int CQLMP3InputSource::Open(const wchar_t* path) {
    m_lastError.Empty();
    ZrString cleanPath(path);
    cleanPath.Replace(kStreamSuffix, L"");
    m_capacity = kOutputCapacity;
    // A second Open starts over: the base would overwrite the reader of the
    // first without releasing it.
    ReplaceReader(nullptr);
    m_icy = nullptr;
    m_live = false;
    m_fromMemory = false;
    m_errorCount = 0;
    m_preRollBytes = 0;
    m_tailReserve = 0;
    ResetDecoder(m_decoder);
    ResetBuffer();
    if (ZrAudioInputBase::Open(cleanPath.c_str()) != 0) return -1;
    try {
        SelectMemoryReader(cleanPath);
        m_reader->SetProperty(L"Set Support ICY Metadata", ZrString(L"1"));
        m_live = m_reader->IsLiveStream();
        if (m_live) {
            m_icy = new CIcyReader(m_reader, true, true);
            m_reader = m_icy;
        }
        if (m_analysis.Analyze(m_reader) != 0) return -1;
    } catch (const std::exception&) {
        return -1;
    }
    const MpegFrameInfo& first = m_analysis.firstFrame;
    if (first.layer == 1) {
        m_lastError = ZrToolsServices::Translated(kLayer1Message);
        return -1;
    }
    try {
        ITunesGaplessComment::Apply(m_reader, m_analysis);
    } catch (const std::exception&) {
        // Without the comment the stream still plays, only not gaplessly.
    }

    m_reader->Seek(m_analysis.firstAudioPosition, 0);
    if (m_reader->GetSize() >= 0) m_durationMs = m_analysis.durationMs;
    m_totalSamples = -1;
    m_sampleRate = first.sampleRate;
    m_channels = first.channels;
    // The host hears every frame in the first frame's layout, also where a
    // stream changes between mono and stereo part-way.
    SetDecoderOutputChannels(m_decoder, m_channels);
    m_bitrate = m_analysis.averageBitrate;
    m_bitsPerSample = 64;

    const int32_t frameBytes = m_channels * kBytesPerValue;
    m_skipBytes = (m_analysis.encoderDelay + kDecoderDelay) * frameBytes;
    const int64_t reserve =
        std::min<int64_t>(int64_t(frameBytes) * (m_analysis.encoderPadding - kDecoderDelay),
                          m_capacity - kFillHeadroom);
    m_nextFrame = 0;
    if (reserve >= 0) {
        m_tailReserve = static_cast<int32_t>(reserve);
        m_analysis.endShortfall = 0;
    } else {
        m_tailReserve = 0;
        m_analysis.endShortfall = kDecoderDelay - m_analysis.encoderPadding;
    }
    m_gaplessTailReserve = m_tailReserve;
    m_readChunk.reset(new uint8_t[kReadChunkBytes]);
    m_scratch.reset(new uint8_t[kMinOutputCapacity]);
    return 0;
}

int32_t CQLMP3InputSource::DecodeOne(uint8_t* out, int32_t space, int32_t& produced) {
    const MpegFrameInfo& first = m_analysis.firstFrame;
    int32_t bitrate = m_bitrate;
    produced = 0;
    const int32_t result = DecodeFrame(m_decoder, out, space, first.versionCode, first.layer,
                                       first.sampleRate, first.channelMode, bitrate, produced);
    if (result == DECODE_OK) {
        m_bitrate = bitrate;
        ++m_nextFrame;
    }
    return result;
}

int32_t CQLMP3InputSource::Preroll() {
    // Decodes the frames in front of a seek target without output, so the
    // bit reservoir and the filterbank hold what the target frame needs.
    // Read in chunks: the span between indexed frames can hold junk.
    while (m_preRollBytes > 0) {
        const int64_t position = m_reader->GetPosition();
        const uint32_t want = static_cast<uint32_t>(std::min(m_preRollBytes, kReadChunkBytes));
        const uint32_t got = m_reader->Read(m_readChunk.get(), want);
        if (got < 1) {
            m_preRollBytes = 0;
            return DECODE_NEED_MORE;
        }
        m_preRollBytes -= static_cast<int32_t>(got);
        QueueDecoderInput(m_decoder, m_readChunk.get(), static_cast<int32_t>(got),
                          static_cast<uint64_t>(std::max<int64_t>(position, 0)));
        int32_t produced = 0;
        while (DecodeOne(m_scratch.get(), kMinOutputCapacity, produced) == DECODE_OK) {
        }
    }
    return DECODE_OK;
}

int32_t CQLMP3InputSource::DecodeIntoBuffer(int32_t space, int32_t& produced) {
    uint8_t* out = m_buffer + m_fill;
    for (;;) {
        const int32_t result = DecodeOne(out, space, produced);
        if (result == DECODE_ERROR) return result;
        if (result == DECODE_OK && m_nextFrame - 1 == m_analysis.headerFrameCount &&
            m_tailReserve > 0) {
            // The stream runs on past the frames its Xing/Info header counts
            // (files joined after encoding): the encoder padding it declares
            // lies here, held back as the tail reserve, and not at the end.
            const int32_t drop = std::min(m_tailReserve, m_fill - m_readPos);
            std::memmove(out - drop, out, static_cast<size_t>(produced));
            out -= drop;
            m_fill -= drop;
            m_tailReserve = 0;
        }
        if (result == DECODE_OK && produced > 0) {
            if (produced <= m_skipBytes) {
                m_skipBytes -= produced; // the whole frame falls in the skip
                continue;
            }
            break;
        }
        if (m_preRollBytes > 0) {
            if (Preroll() == DECODE_NEED_MORE) return DECODE_NEED_MORE;
            continue;
        }
        const int64_t position = m_reader->GetPosition();
        const uint32_t got = m_reader->Read(m_readChunk.get(), kReadChunkBytes);
        if (got < 1) return DECODE_NEED_MORE;
        QueueDecoderInput(m_decoder, m_readChunk.get(), static_cast<int32_t>(got),
                          static_cast<uint64_t>(std::max<int64_t>(position, 0)));
    }
    if (m_skipBytes > 0) {
        std::memmove(out, out + m_skipBytes, static_cast<size_t>(produced - m_skipBytes));
        produced -= m_skipBytes;
        m_skipBytes = 0;
    }
    m_fill += produced;
    return DECODE_OK;
}

int CQLMP3InputSource::FillBuffer() {
    if (!m_reader || !m_buffer || !m_readChunk) {
        m_endOfStream = true;
        return -1;
    }
    int32_t produced = 0;
    int32_t result;
    try {
        result = DecodeIntoBuffer(m_capacity - m_fill, produced);
    } catch (const std::exception&) {
        m_endOfStream = true;
        return -1;
    }
    if (result == DECODE_NEED_MORE || m_errorCount > kMaxBadFills) {
        m_endOfStream = true;
        return -1;
    }
    if (result == DECODE_OK && produced > 0) {
        m_errorCount = 0;
        return 0;
    }
    // A damaged frame: resynchronise, drop the frame decoded just before it
    // (it may already carry the damage through the overlap) and discard what
    // follows until the reservoir and filterbank have recovered.
    ++m_errorCount;
    m_decoder.frameSize = 0;
    const int32_t frameBytes = (m_bitsPerSample / 8) * m_channels;
    if (m_skipBytes <= 0) m_skipBytes = frameBytes * kDamageDiscardAfter;
    m_fill -= std::min(frameBytes * kDamageDropBefore, m_fill - m_readPos);
    return 0;
}

int CQLMP3InputSource::Seek(const wchar_t* value) {
    double ms = ParseMilliseconds(value);
    if (!(ms > 0)) // also NaN
        ms = 0;
    const double exact = m_analysis.encoderDelay + m_analysis.firstFrame.sampleRate * ms / 1000.0;
    int64_t target =
        exact < static_cast<double>(INT32_MAX) ? static_cast<int64_t>(exact) : INT32_MAX;
    if (!m_reader || m_analysis.firstFrame.samplesPerFrame == 0) return -1;
    // Past the header's frames of a joined stream the output lacks the
    // padding dropped there (DecodeIntoBuffer).
    const int64_t headerEnd =
        int64_t(m_analysis.headerFrameCount) * m_analysis.firstFrame.samplesPerFrame -
        m_analysis.encoderPadding;
    const bool pastHeaderEnd =
        m_gaplessTailReserve > 0 && target >= headerEnd && RunsOnPastHeaderFrames();
    if (pastHeaderEnd) target += m_gaplessTailReserve / (m_channels * (m_bitsPerSample / 8));
    int64_t preRollBytes = 0;
    int64_t sampleSkip = 0;
    const int64_t position = m_analysis.GetSeekPosition(m_reader, target, preRollBytes, sampleSkip);
    sampleSkip += kDecoderDelay;
    if (m_reader->Seek(position, 0) < 0) return -1;
    m_preRollBytes = static_cast<int32_t>(std::min<int64_t>(preRollBytes, INT32_MAX));
    m_errorCount = 0;
    m_skipBytes = static_cast<int32_t>(m_channels * sampleSkip * (m_bitsPerSample / 8));
    m_tailReserve = pastHeaderEnd ? 0 : m_gaplessTailReserve;
    m_nextFrame = std::max(0, m_analysis.frameIndex.FindLastNotAbove(
                                  static_cast<int32_t>(std::min<int64_t>(position, INT32_MAX))));
    ResetDecoder(m_decoder);
    ResetBuffer();
    return 0;
}

bool CQLMP3InputSource::RunsOnPastHeaderFrames() {
    const int32_t frames = m_analysis.headerFrameCount;
    if (frames < 1) return false;
    int64_t covered = 0;
    m_analysis.IndexFrames(m_reader, frames + 1, covered);
    return m_analysis.frameIndex.GetCount() > frames;
}

int CQLMP3InputSource::SetInfo(int id, const wchar_t* value) {
    if (id == SETINFO_SEEK_MS) return Seek(value);
    return ZrAudioInputBase::SetInfo(id, value);
}

int CQLMP3InputSource::GetInfo(int id, IZrDllString* out) {
    switch (id) {
    case INFO_PLUGIN_NAME:
        Answer(out, ZrString(L"MP3 input plug-in"));
        return 0;
    case INFO_FILE_TYPES:
        Answer(out, ZrString(L"MP3; MP3 Audio File (*.MP3);MPGA; MPEG Audio File (*.MPGA)"));
        return 0;
    case INFO_ICY_ARTIST:
    case INFO_ICY_ALBUM:
    case INFO_ICY_TITLE: {
        static const wchar_t* const kNames[] = {L"ICY Artist", L"ICY Album", L"ICY Title"};
        Answer(out, m_reader ? m_reader->GetInfo(kNames[id - INFO_ICY_ARTIST]) : ZrString());
        return 0;
    }
    case INFO_LAST_ERROR:
        if (m_lastError.IsEmpty()) return -1;
        Answer(out, m_lastError);
        return 0;
    case INFO_TOTAL_SAMPLES:
        if (m_reader && m_analysis.firstFrame.samplesPerFrame > 0)
            m_totalSamples = m_analysis.GetTotalSamples(m_reader, true);
        AnswerInt(out, m_totalSamples);
        return 0;
    case INFO_TITLE_START_MS:
    case INFO_TITLE_END_MS:
    case INFO_TITLE_KNOWN:
        Answer(out, CIcyReader::AnswerTitleInfo(id, m_icy, m_live, m_bitrate));
        return 0;
    case INFO_ENCODER_DELAY:
        AnswerInt(out, m_analysis.encoderDelay);
        return 0;
    case INFO_ENCODER_PADDING:
        AnswerInt(out, std::max(0, m_analysis.encoderPadding - kDecoderDelay));
        return 0;
    case INFO_ENCODER:
        Answer(out, m_analysis.encoderId);
        return 0;
    case INFO_SEEK_SPAN_BYTES: {
        const int count = m_analysis.frameIndex.GetCount();
        const int64_t from = m_analysis.headerFramePosition >= 0 ? m_analysis.headerFramePosition
                                                                 : m_analysis.firstAudioPosition;
        const int64_t to = count > 0 ? m_analysis.frameIndex[std::max(0, count - 8)] : from;
        AnswerInt(out, to - from);
        return 0;
    }
    case INFO_27:
    case INFO_29:
        Answer(out, ZrString(L"1"));
        return 0;
    default:
        return ZrAudioInputBase::GetInfo(id, out);
    }
}

int CQLMP3InputSource::DoCommand(int id) {
    switch (id) {
    case INPUT_CMD_CAPABILITY:
        return 1;
    case INPUT_CMD_CONFIGURE: {
        // The window's own result does not matter: OK has already stored the
        // settings when the run ends.
        CMP3ConfigureWnd window;
        window.RunModal();
        return 0;
    }
    default:
        return ZrAudioInputBase::DoCommand(id);
    }
}
