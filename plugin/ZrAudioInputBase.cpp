#include "plugin/ZrAudioInputBase.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "plugin/ZrDllString.h"

ZrAudioInputBase::ZrAudioInputBase(IZrReaderProvider* provider) : m_provider(provider) {}

ZrAudioInputBase::~ZrAudioInputBase() {
    delete[] m_buffer;
    delete m_reader;
}

int ZrAudioInputBase::Open(const wchar_t* path) {
    m_fill = 0;
    if (!m_provider) return -1;
    m_reader = m_provider->CreateReader(path, 0, m_readerFlags);
    if (!m_reader) return -1;
    m_reader->SetProperty(L"READ_ONLY", ZrString(L"1"));
    m_reader->SetProperty(L"Set Support ICY Metadata", m_icySupport ? ZrString(L"1") : ZrString());
    if (!m_reader->OpenRead()) return -1;
    delete[] m_buffer;
    m_buffer = new uint8_t[static_cast<size_t>(m_capacity)];
    return 0;
}

void ZrAudioInputBase::Answer(IZrDllString* out, const ZrString& text) {
    ZrDllString::SetText(out, text);
}

void ZrAudioInputBase::AnswerInt(IZrDllString* out, int64_t value) {
    Answer(out, ZrString::FromInt(value));
}

int ZrAudioInputBase::GetInfo(int id, IZrDllString* out) {
    switch (id) {
    case INFO_BITRATE:
        AnswerInt(out, m_bitrate);
        return 0;
    case INFO_DURATION_MS:
        AnswerInt(out, m_durationMs);
        return 0;
    case INFO_PLUGIN_NAME:
        Answer(out, ZrString(L"Unknown input plug-in"));
        return 0;
    case INFO_SAMPLE_RATE:
        AnswerInt(out, m_sampleRate);
        return 0;
    case INFO_CHANNELS:
        AnswerInt(out, m_channels);
        return 0;
    case INFO_BITS_PER_SAMPLE:
        AnswerInt(out, m_bitsPerSample);
        return 0;
    case INFO_TOTAL_SAMPLES:
        AnswerInt(out, m_totalSamples);
        return 0;
    case INFO_24:
        Answer(out, ZrString(L"4"));
        return 0;
    case INFO_28:
        AnswerInt(out, m_info28);
        return 0;
    case INFO_FROM_MEMORY:
        Answer(out, ZrString(m_fromMemory ? L"1" : L"0"));
        return 0;
    case INFO_HAS_SIZE:
        Answer(out, ZrString(m_reader && m_reader->GetSize() > 0 ? L"1" : L"0"));
        return 0;
    default:
        return -1;
    }
}

int ZrAudioInputBase::SetInfo(int id, const wchar_t* value) {
    if (id != SETINFO_READER_FLAGS) return -1;
    m_readerFlags = static_cast<int32_t>(value ? std::wcstol(value, nullptr, 10) : 0);
    return 0;
}

int ZrAudioInputBase::DoCommand(int id) {
    if (id == INPUT_CMD_READER_OP && m_reader && m_reader->IsLocal()) {
        m_reader->Query5();
        return 0;
    }
    return -1;
}

int ZrAudioInputBase::ResetBuffer() {
    m_fill = 0;
    m_readPos = 0;
    m_endOfStream = false;
    return 0;
}

int ZrAudioInputBase::Read(void* dest, int count) {
    auto* out = static_cast<uint8_t*>(dest);
    int copied = 0;
    int remaining = count;
    if (count > 0 && m_buffer) {
        for (;;) {
            const int deliverable = m_fill - m_readPos - m_tailReserve;
            const int n = std::max(0, std::min(deliverable, remaining));
            if (n > 0) {
                std::memcpy(out + copied, m_buffer + m_readPos, static_cast<size_t>(n));
                copied += n;
                remaining -= n;
                m_readPos += n;
            }
            if (deliverable > n) break; // request met with bytes to spare
            // Keep the undelivered bytes, reserve included, at the front so
            // FillBuffer always has the rest of the buffer to write into.
            const int kept = std::max(0, m_fill - m_readPos);
            if (kept > 0 && m_readPos > 0)
                std::memmove(m_buffer, m_buffer + m_readPos, static_cast<size_t>(kept));
            m_fill = kept;
            m_readPos = 0;
            if (m_endOfStream) break;
            const int before = m_fill;
            if (FillBuffer() != 0 || m_fill <= before) break;
            if (remaining <= 0) break;
        }
    }
    if (copied > 0) return copied;
    return m_endOfStream ? 0 : -1;
}
