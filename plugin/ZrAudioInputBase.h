// The common part of every audio input: opens the host's reader, owns the
// output buffer that FillBuffer decodes into, and hands the host bytes from
// it in Read, holding back a tail reserve that is dropped at the end (how a
// gapless stream loses its padding).
#ifndef TONEHALL_PLUGIN_ZRAUDIOINPUTBASE_H
#define TONEHALL_PLUGIN_ZRAUDIOINPUTBASE_H

#include <cstdint>

#include "ZrCoreLib/ZrString.h"
#include "include/ZrAudioPlugin.h"

class ZrAudioInputBase : public IZrAudioInput {
public:
    explicit ZrAudioInputBase(IZrReaderProvider* provider);
    ~ZrAudioInputBase() override;
    ZrAudioInputBase(const ZrAudioInputBase&) = delete;
    ZrAudioInputBase& operator=(const ZrAudioInputBase&) = delete;

    int Open(const wchar_t* path) override;
    int GetInfo(int id, IZrDllString* out) override;
    int SetInfo(int id, const wchar_t* value) override;
    int DoCommand(int id) override;
    int Read(void* dest, int count) override;
    int FillBuffer() override { return -1; }
    int ResetBuffer() override;

protected:
    IZrReaderProvider* m_provider; // not owned
    IZrReader* m_reader = nullptr; // owned
    uint8_t* m_buffer = nullptr;   // m_capacity bytes once opened
    int32_t m_fill = -1;           // decoded bytes in m_buffer
    int32_t m_capacity = 65536;    // set by a subclass before Open
    int32_t m_tailReserve = 0;     // bytes at the end of m_fill never handed out
    int32_t m_bitrate = -1;        // kbit/s
    int32_t m_sampleRate = -1;     // Hz
    int32_t m_bitsPerSample = -1;
    int32_t m_channels = -1;
    int32_t m_info28 = 0;
    bool m_icySupport = false; // sent to the reader as "Set Support ICY Metadata"
    int64_t m_totalSamples = -1;
    int64_t m_durationMs = -1;
    bool m_endOfStream = false;
    bool m_fromMemory = false;
    int32_t m_readerFlags = -1; // passed to CreateReader; SetInfo id 33
    int32_t m_readPos = 0;      // next undelivered byte in m_buffer

    static void Answer(IZrDllString* out, const ZrString& text);
    static void AnswerInt(IZrDllString* out, int64_t value);
};

#endif
