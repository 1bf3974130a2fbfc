// libFuzzer target for the ID3v1 record reader: the input is a whole file
// read through a memory reader, and the record is then read and rewritten.
#include "ZrCoreLib/CMemoryReader.h"
#include "tags/CID3v1Tag.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CMemoryReader reader(std::vector<uint8_t>(data, data + size));
    CID3v1Tag tag;
    const bool exists = tag.Read(&reader);
    if (exists != tag.Exists() || reader.GetPosition() != 0) std::abort();
    ZrPropertyMap fields;
    const wchar_t* names[] = {L"Name",    L"Artist",  L"Album", L"Year",
                              L"Comment", L"Track #", L"Genre", L"Lyrics"};
    std::vector<ZrString> values;
    for (const wchar_t* name : names) {
        tag.GetField(name, fields);
        values.push_back(fields.Get(L"Value"));
    }
    if (!exists) return 0;
    // Writing back what was read keeps every value that fits its field.
    CID3v1Tag copy;
    copy.ReadRecord(tag.GetRecord(), CID3v1Tag::kRecordSize);
    for (size_t i = 0; i + 1 < sizeof(names) / sizeof(names[0]); ++i)
        if (!values[i].IsEmpty()) copy.SetField(names[i], values[i]);
    for (size_t i = 0; i + 1 < sizeof(names) / sizeof(names[0]); ++i) {
        copy.GetField(names[i], fields);
        if (!values[i].IsEmpty() && fields.Get(L"Value") != values[i]) std::abort();
    }
    return 0;
}
