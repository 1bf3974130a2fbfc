#include "ZrCoreLib/VShellReader.h"

VShellReader::VShellReader(IZrReader* inner, bool ownsInner, uint32_t kind)
    : VBaseReader(kind), m_inner(inner), m_ownsInner(ownsInner) {}

VShellReader::~VShellReader() {
    if (m_ownsInner) delete m_inner;
}

IZrReader* VShellReader::DetachInner() {
    IZrReader* inner = m_inner;
    m_inner = nullptr;
    return inner;
}

// The kind code is the wrapper's own: callers ask it to learn what wraps what.
uint32_t VShellReader::GetReaderKind() {
    return VBaseReader::GetReaderKind();
}

#define ZR_FORWARD(call, fallback) return m_inner ? m_inner->call : VBaseReader::fallback

bool VShellReader::OpenWrite() {
    ZR_FORWARD(OpenWrite(), OpenWrite());
}
bool VShellReader::OpenRead() {
    ZR_FORWARD(OpenRead(), OpenRead());
}
uint64_t VShellReader::Query5() {
    ZR_FORWARD(Query5(), Query5());
}
uint32_t VShellReader::Read(void* buffer, uint32_t count) {
    ZR_FORWARD(Read(buffer, count), Read(buffer, count));
}
int64_t VShellReader::Write(const void* buffer, uint32_t count) {
    ZR_FORWARD(Write(buffer, count), Write(buffer, count));
}
int64_t VShellReader::GetSize() {
    ZR_FORWARD(GetSize(), GetSize());
}
int64_t VShellReader::GetKnownSize() {
    ZR_FORWARD(GetKnownSize(), GetKnownSize());
}
int64_t VShellReader::GetPosition() {
    ZR_FORWARD(GetPosition(), GetPosition());
}
int64_t VShellReader::Seek(int64_t offset, uint32_t origin) {
    ZR_FORWARD(Seek(offset, origin), Seek(offset, origin));
}
uint64_t VShellReader::Truncate() {
    ZR_FORWARD(Truncate(), Truncate());
}
uint64_t VShellReader::Query13(uint64_t value) {
    ZR_FORWARD(Query13(value), Query13(value));
}
bool VShellReader::IsLiveStream() {
    ZR_FORWARD(IsLiveStream(), IsLiveStream());
}
bool VShellReader::IsLocal() {
    ZR_FORWARD(IsLocal(), IsLocal());
}
bool VShellReader::GetFlagB() {
    ZR_FORWARD(GetFlagB(), GetFlagB());
}
uint64_t VShellReader::Query17() {
    ZR_FORWARD(Query17(), Query17());
}
ZrString VShellReader::GetInfo(const wchar_t* name) {
    ZR_FORWARD(GetInfo(name), GetInfo(name));
}
void VShellReader::SetValueA(uint32_t value) {
    ZR_FORWARD(SetValueA(value), SetValueA(value));
}
void VShellReader::SetValuePair(uint64_t first, uint32_t second) {
    ZR_FORWARD(SetValuePair(first, second), SetValuePair(first, second));
}
void VShellReader::SetProperties(const ZrString& text) {
    ZR_FORWARD(SetProperties(text), SetProperties(text));
}
void VShellReader::SetProperty(const wchar_t* name, const ZrString& value) {
    ZR_FORWARD(SetProperty(name, value), SetProperty(name, value));
}
ZrString VShellReader::GetProperty(const wchar_t* name) {
    ZR_FORWARD(GetProperty(name), GetProperty(name));
}
void VShellReader::SetFlagA(uint8_t flag) {
    ZR_FORWARD(SetFlagA(flag), SetFlagA(flag));
}
uint64_t VShellReader::Query25() {
    ZR_FORWARD(Query25(), Query25());
}
uint64_t VShellReader::Query26() {
    ZR_FORWARD(Query26(), Query26());
}
uint64_t VShellReader::Query27() {
    ZR_FORWARD(Query27(), Query27());
}

// The observer watches the wrapper, the object its holder sees; handing it to
// the inner reader would report the inner reader's pointer instead.
void VShellReader::SetOwner(IZrReaderObserver* owner) {
    VBaseReader::SetOwner(owner);
}

uint64_t VShellReader::Query29() {
    ZR_FORWARD(Query29(), Query29());
}
uint64_t VShellReader::Query30() {
    ZR_FORWARD(Query30(), Query30());
}
double VShellReader::Query31() {
    ZR_FORWARD(Query31(), Query31());
}
uint64_t VShellReader::Query32(uint64_t value) {
    ZR_FORWARD(Query32(value), Query32(value));
}
int64_t VShellReader::ResolveSeekTarget(int64_t current, int64_t offset, int32_t origin) {
    ZR_FORWARD(ResolveSeekTarget(current, offset, origin),
               ResolveSeekTarget(current, offset, origin));
}

#undef ZR_FORWARD
