#include "standins/ZrTools/CZlibInflateStream.h"

CZlibInflateStream::CZlibInflateStream() {
    m_ready = inflateInit(&m_stream) == Z_OK;
}

CZlibInflateStream::~CZlibInflateStream() {
    if (m_ready) inflateEnd(&m_stream);
}

int CZlibInflateStream::Inflate(const uint8_t* in, uint32_t inSize, uint32_t* consumed,
                                uint8_t* out, uint32_t outCapacity, uint32_t* produced) {
    if (consumed) *consumed = 0;
    if (produced) *produced = 0;
    if (!m_ready || m_finished || !out) return kError;
    m_stream.next_in = const_cast<Bytef*>(in);
    m_stream.avail_in = in ? inSize : 0;
    m_stream.next_out = out;
    m_stream.avail_out = outCapacity;
    const int z = inflate(&m_stream, Z_NO_FLUSH);
    if (consumed) *consumed = (in ? inSize : 0) - m_stream.avail_in;
    if (produced) *produced = outCapacity - m_stream.avail_out;
    if (z == Z_STREAM_END) {
        m_finished = true;
        return kStreamEnd;
    }
    if (z == Z_OK || z == Z_BUF_ERROR) return kMore;
    m_finished = true;
    return kError;
}
