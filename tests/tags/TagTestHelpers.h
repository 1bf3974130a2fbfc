#pragma once

// Byte builders for hand-made ID3v2 tags, and short ways to look into a
// parsed tag, for the tag tests.

#include "ZrCoreLib/ZrPropertyMap.h"
#include "ZrCoreLib/ZrString.h"
#include "tags/CID3v2Tag.h"

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline Bytes B(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

inline Bytes SyncSafeBytes(uint32_t v) {
    return {uint8_t((v >> 21) & 0x7F), uint8_t((v >> 14) & 0x7F), uint8_t((v >> 7) & 0x7F),
            uint8_t(v & 0x7F)};
}

inline Bytes BigEndianBytes(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// An ID3v2.3/2.4 frame: ID, size (sync-safe for version 4), flags, body.
inline Bytes Frame(const std::string& id, const Bytes& body, int version = 3, uint8_t status = 0,
                   uint8_t format = 0) {
    const uint32_t n = uint32_t(body.size());
    return Cat(
        {B(id), version >= 4 ? SyncSafeBytes(n) : BigEndianBytes(n), Bytes{status, format}, body});
}

// An ID3v2.2 frame: three-letter ID, 24-bit size, body.
inline Bytes Frame22(const std::string& id, const Bytes& body) {
    const uint32_t n = uint32_t(body.size());
    return Cat({B(id), Bytes{uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)}, body});
}

// A text frame body in encoding 0.
inline Bytes Latin1Text(const std::string& s) {
    return Cat({Bytes{0}, B(s)});
}

// A whole tag: header with the sync-safe size of frames plus padding.
inline Bytes Tag(int version, uint8_t flags, const Bytes& frames, size_t padding = 0) {
    Bytes out = Cat({B("ID3"), Bytes{uint8_t(version), 0, flags},
                     SyncSafeBytes(uint32_t(frames.size() + padding)), frames});
    out.insert(out.end(), padding, 0);
    return out;
}

inline std::string Narrow(const ZrString& s) {
    return s.ToUtf8();
}

// One property of a host field, as the composite tag would ask for it.
template <class Tag>
std::string Get(Tag& tag, const wchar_t* field, const wchar_t* key = L"Value") {
    ZrPropertyMap map;
    tag.GetField(field, map);
    return Narrow(map.Get(key));
}

inline std::vector<std::string> Ids(const CID3v2Tag& tag) {
    std::vector<std::string> ids;
    for (int i = 0; i < tag.GetFrameCount(); ++i)
        ids.push_back(tag.GetFrame(i)->GetId());
    return ids;
}

inline const CID3v2Frame* FindFrame(const CID3v2Tag& tag, const char* id) {
    for (int i = 0; i < tag.GetFrameCount(); ++i)
        if (tag.GetFrame(i)->HasId(id)) return tag.GetFrame(i);
    return nullptr;
}

inline std::string FrameValue(const CID3v2Frame* frame, const wchar_t* key = L"Value") {
    return frame ? Narrow(frame->GetField(key)) : "<no frame>";
}

// The rows of a tab-separated table in tests/data, '#' lines left out.
inline std::vector<std::vector<std::string>> TableRows(const std::string& name) {
    std::vector<std::vector<std::string>> rows;
    std::ifstream in(std::string(TONEHALL_TEST_DATA) + "/" + name);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        rows.emplace_back();
        for (size_t at = 0, tab = 0; tab != std::string::npos; at = tab + 1) {
            tab = line.find('\t', at);
            rows.back().push_back(line.substr(at, tab - at));
        }
    }
    return rows;
}
