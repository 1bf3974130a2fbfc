#include "ZrCoreLib/VBaseReader.h"

#include <cstdint>

namespace {

// Index of the next "|" at or after start, or the text's length.
int NextBar(const ZrString& text, int start, int length) {
    if (start >= length) return length;
    const int bar = text.Find(L'|', start);
    return bar < 0 ? length : bar;
}

int64_t SaturatingAdd(int64_t a, int64_t b) {
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum)) return b > 0 ? INT64_MAX : INT64_MIN;
    return sum;
}

} // namespace

VBaseReader::VBaseReader(uint32_t kind) : m_kind(kind) {}

VBaseReader::~VBaseReader() {
    if (m_owner) m_owner->OnReaderDestroyed(this);
}

uint32_t VBaseReader::GetReaderKind() {
    return m_kind;
}
bool VBaseReader::OpenWrite() {
    return false;
}
bool VBaseReader::OpenRead() {
    return false;
}
uint64_t VBaseReader::Query5() {
    return 0;
}
uint32_t VBaseReader::Read(void*, uint32_t) {
    return 0;
}
int64_t VBaseReader::Write(const void*, uint32_t) {
    return 0;
}
int64_t VBaseReader::GetSize() {
    return -1;
}

int64_t VBaseReader::GetKnownSize() {
    const int64_t size = GetSize();
    return size < 0 ? 0 : size;
}

int64_t VBaseReader::GetPosition() {
    return 0;
}
int64_t VBaseReader::Seek(int64_t, uint32_t) {
    return -1;
}
uint64_t VBaseReader::Truncate() {
    return 0;
}
uint64_t VBaseReader::Query13(uint64_t) {
    return 0;
}
bool VBaseReader::IsLiveStream() {
    return false;
}
bool VBaseReader::IsLocal() {
    return false;
}
bool VBaseReader::GetFlagB() {
    return m_flagB != 0;
}
uint64_t VBaseReader::Query17() {
    return 0;
}
ZrString VBaseReader::GetInfo(const wchar_t*) {
    return ZrString();
}
void VBaseReader::SetValueA(uint32_t value) {
    m_valueA = value;
}

void VBaseReader::SetValuePair(uint64_t first, uint32_t second) {
    m_pairFirst = first;
    m_pairSecond = second;
}

void VBaseReader::SetProperties(const ZrString& text) {
    // Items alternate name, value; the text may end on a name, whose value
    // is then empty. An empty name (a stray "|") sets nothing.
    const int length = text.GetLength();
    int start = 0;
    while (start < length) {
        const int nameEnd = NextBar(text, start, length);
        const ZrString name = text.Mid(start, nameEnd - start);
        ZrString value;
        start = nameEnd + 1;
        if (start <= length && nameEnd < length) {
            const int valueEnd = NextBar(text, start, length);
            value = text.Mid(start, valueEnd - start);
            start = valueEnd + 1;
        }
        if (!name.IsEmpty()) SetProperty(name, value);
    }
}

void VBaseReader::SetProperty(const wchar_t* name, const ZrString& value) {
    m_properties.SetAt(name ? name : L"", value);
}

ZrString VBaseReader::GetProperty(const wchar_t* name) {
    const ZrString* value = m_properties.Find(name ? name : L"");
    return value ? *value : ZrString();
}

void VBaseReader::SetFlagA(uint8_t flag) {
    m_flagA = flag;
}
uint64_t VBaseReader::Query25() {
    return 0;
}
uint64_t VBaseReader::Query26() {
    return 0;
}
uint64_t VBaseReader::Query27() {
    return 0;
}
void VBaseReader::SetOwner(IZrReaderObserver* owner) {
    m_owner = owner;
}
uint64_t VBaseReader::Query29() {
    return 0;
}
uint64_t VBaseReader::Query30() {
    return 0;
}
double VBaseReader::Query31() {
    return -1.0;
}
uint64_t VBaseReader::Query32(uint64_t) {
    return 0;
}

int64_t VBaseReader::ResolveSeekTarget(int64_t current, int64_t offset, int32_t origin) {
    return ResolveTarget(current, offset, origin, origin == 2 ? GetSize() : 0);
}

int64_t VBaseReader::ResolveTarget(int64_t current, int64_t offset, int32_t origin, int64_t size) {
    int64_t target;
    if (origin == 1) {
        target = SaturatingAdd(current, offset);
    } else if (origin == 2) {
        // From the end the offset counts backwards whatever its sign, so a
        // caller's +5 and -5 both mean five bytes before the end.
        const int64_t back = offset < 0 ? (offset == INT64_MIN ? INT64_MAX : -offset) : offset;
        target = SaturatingAdd(size, -back);
    } else {
        target = offset;
    }
    return target < 0 ? 0 : target;
}
