#include "input/CWrappingReader.h"

CWrappingReader::CWrappingReader(IZrReader* inner)
    : VShellReader(inner, false, kZrReaderKindWrapping) {
    if (m_inner) m_inner->Seek(0, 0);
}

CWrappingReader::~CWrappingReader() = default;
