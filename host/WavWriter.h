// Writes interleaved doubles to a WAV file as 64-bit float, 32-bit float
// (both WAVE_FORMAT_IEEE_FLOAT) or 16-bit PCM. The sizes in the header are
// patched in Close, so the length need not be known up front (live streams).
#ifndef TONEHALL_HOST_WAVWRITER_H
#define TONEHALL_HOST_WAVWRITER_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class WavWriter {
public:
    enum class Format { Float64, Float32, Pcm16 };

    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    bool Open(const std::string& path, Format format, int channels, int sampleRate);
    // `count` doubles, a whole number of sample frames.
    bool Write(const double* samples, size_t count);
    bool Close();

    uint64_t FramesWritten() const { return m_frames; }

private:
    bool WriteHeader();

    FILE* m_file = nullptr;
    Format m_format = Format::Float64;
    int m_channels = 0;
    int m_sampleRate = 0;
    uint64_t m_frames = 0;
    std::vector<uint8_t> m_scratch;
};

#endif
