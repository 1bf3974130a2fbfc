#pragma once

#include <zlib.h>

#include "ZrCoreLib/IZrInflateStream.h"

// One zlib inflation: a z_stream from construction to destruction.
class CZlibInflateStream final : public IZrInflateStream {
public:
    CZlibInflateStream();
    ~CZlibInflateStream();

    CZlibInflateStream(const CZlibInflateStream&) = delete;
    CZlibInflateStream& operator=(const CZlibInflateStream&) = delete;

    bool IsReady() const { return m_ready; }
    int Inflate(const uint8_t* in, uint32_t inSize, uint32_t* consumed, uint8_t* out,
                uint32_t outCapacity, uint32_t* produced) override;

private:
    z_stream m_stream{};
    bool m_ready = false;
    bool m_finished = false;
};
