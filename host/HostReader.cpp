#include "HostReader.h"

#include "HostReaderProvider.h"

HostReader::HostReader(IZrReader* inner, HostReaderProvider& provider)
    : VShellReader(inner, true), m_provider(provider) {}

uint32_t HostReader::GetReaderKind() {
    return m_inner->GetReaderKind();
}

bool HostReader::OpenRead() {
    if (m_inner->OpenRead()) return true;
    NoteFailure();
    return false;
}

// A short read is also how a file ends; only the reader can tell a failure
// from the end, by answering why.
uint32_t HostReader::Read(void* buffer, uint32_t count) {
    const uint32_t got = m_inner->Read(buffer, count);
    if (got < count) NoteFailure();
    return got;
}

int64_t HostReader::Seek(int64_t offset, uint32_t origin) {
    const int64_t at = m_inner->Seek(offset, origin);
    if (at < 0) NoteFailure();
    return at;
}

void HostReader::NoteFailure() {
    const std::string why = m_inner->GetInfo(L"LastError").ToUtf8();
    if (!why.empty()) m_provider.NoteFailure(why);
}
