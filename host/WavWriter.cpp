#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatIeeeFloat = 3;
// RIFF sizes are 32-bit; longer output keeps its data but a capped header.
constexpr uint64_t kMaxRiffBytes = 0xFFFFFFFFull - 64;

void Put16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i)
        v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void PutTag(std::vector<uint8_t>& v, const char* tag) {
    v.insert(v.end(), tag, tag + 4);
}
} // namespace

WavWriter::~WavWriter() {
    Close();
}

bool WavWriter::Open(const std::string& path, Format format, int channels, int sampleRate) {
    if (channels < 1 || sampleRate < 1) return false;
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) return false;
    m_format = format;
    m_channels = channels;
    m_sampleRate = sampleRate;
    m_frames = 0;
    return WriteHeader();
}

bool WavWriter::WriteHeader() {
    const uint16_t bits = m_format == Format::Float64 ? 64 : m_format == Format::Float32 ? 32 : 16;
    const bool isFloat = m_format != Format::Pcm16;
    const uint32_t blockAlign = static_cast<uint32_t>(m_channels) * bits / 8;
    const uint64_t dataBytes = std::min<uint64_t>(m_frames * blockAlign, kMaxRiffBytes);
    std::vector<uint8_t> h;
    const uint32_t fmtBytes = isFloat ? 18 : 16;
    const uint32_t factBytes = isFloat ? 12 : 0;
    PutTag(h, "RIFF");
    Put32(h, static_cast<uint32_t>(4 + 8 + fmtBytes + factBytes + 8 + dataBytes));
    PutTag(h, "WAVE");
    PutTag(h, "fmt ");
    Put32(h, fmtBytes);
    Put16(h, isFloat ? kFormatIeeeFloat : kFormatPcm);
    Put16(h, static_cast<uint16_t>(m_channels));
    Put32(h, static_cast<uint32_t>(m_sampleRate));
    Put32(h, static_cast<uint32_t>(m_sampleRate) * blockAlign);
    Put16(h, static_cast<uint16_t>(blockAlign));
    Put16(h, bits);
    if (isFloat) {
        Put16(h, 0); // no extension
        // Non-PCM formats carry the sample-frame count in a fact chunk.
        PutTag(h, "fact");
        Put32(h, 4);
        Put32(h, static_cast<uint32_t>(std::min<uint64_t>(m_frames, 0xFFFFFFFFull)));
    }
    PutTag(h, "data");
    Put32(h, static_cast<uint32_t>(dataBytes));
    return std::fwrite(h.data(), 1, h.size(), m_file) == h.size();
}

bool WavWriter::Write(const double* samples, size_t count) {
    if (!m_file) return false;
    m_scratch.clear();
    switch (m_format) {
    case Format::Float64:
        // The host's own layout is the file's: written as they are.
        m_frames += count / static_cast<size_t>(m_channels);
        return std::fwrite(samples, sizeof(double), count, m_file) == count;
    case Format::Float32:
        m_scratch.resize(count * 4);
        for (size_t i = 0; i < count; ++i) {
            const float f = static_cast<float>(samples[i]);
            std::memcpy(&m_scratch[i * 4], &f, 4);
        }
        break;
    case Format::Pcm16:
        m_scratch.resize(count * 2);
        for (size_t i = 0; i < count; ++i) {
            const double scaled = std::nearbyint(samples[i] * 32768.0);
            const int16_t v = static_cast<int16_t>(std::max(-32768.0, std::min(32767.0, scaled)));
            m_scratch[i * 2] = static_cast<uint8_t>(v);
            m_scratch[i * 2 + 1] = static_cast<uint8_t>(static_cast<uint16_t>(v) >> 8);
        }
        break;
    }
    m_frames += count / static_cast<size_t>(m_channels);
    return std::fwrite(m_scratch.data(), 1, m_scratch.size(), m_file) == m_scratch.size();
}

bool WavWriter::Close() {
    if (!m_file) return true;
    bool ok = std::fseek(m_file, 0, SEEK_SET) == 0 && WriteHeader();
    ok = std::fclose(m_file) == 0 && ok;
    m_file = nullptr;
    return ok;
}
