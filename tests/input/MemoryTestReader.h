#pragma once

#include "ZrCoreLib/VBaseReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

// A reader over a byte vector that can pose as a local file, a remote file,
// a live stream or a stream of unknown size, and counts the bytes it gives.
class MemoryTestReader : public VBaseReader {
public:
    explicit MemoryTestReader(std::vector<uint8_t> data) : m_data(std::move(data)) {}

    MemoryTestReader& Local(bool local) {
        m_local = local;
        return *this;
    }
    MemoryTestReader& Live(bool live) {
        m_live = live;
        return *this;
    }
    MemoryTestReader& SizeUnknown(bool unknown) {
        m_sizeUnknown = unknown;
        return *this;
    }
    MemoryTestReader& Info(const std::wstring& name, const std::wstring& value) {
        m_info[name] = value;
        return *this;
    }
    // A live stream grows while it plays.
    void Append(const std::vector<uint8_t>& more) {
        m_data.insert(m_data.end(), more.begin(), more.end());
    }

    int64_t BytesRead() const { return m_bytesRead; }

    uint32_t Read(void* buffer, uint32_t count) override {
        if (m_position >= int64_t(m_data.size())) return 0;
        const size_t n = std::min<size_t>(count, m_data.size() - size_t(m_position));
        std::memcpy(buffer, m_data.data() + m_position, n);
        m_position += int64_t(n);
        m_bytesRead += int64_t(n);
        return uint32_t(n);
    }
    int64_t GetSize() override { return m_sizeUnknown ? -1 : int64_t(m_data.size()); }
    int64_t GetPosition() override { return m_position; }
    int64_t Seek(int64_t offset, uint32_t origin) override {
        const int64_t target =
            ResolveTarget(m_position, offset, int32_t(origin), int64_t(m_data.size()));
        if (target < 0) return -1;
        m_position = target;
        return m_position;
    }
    bool IsLiveStream() override { return m_live; }
    bool IsLocal() override { return m_local; }
    ZrString GetInfo(const wchar_t* name) override {
        const auto it = m_info.find(name);
        return it == m_info.end() ? ZrString() : ZrString(it->second.c_str());
    }

private:
    std::vector<uint8_t> m_data;
    int64_t m_position = 0;
    int64_t m_bytesRead = 0;
    bool m_local = true;
    bool m_live = false;
    bool m_sizeUnknown = false;
    std::map<std::wstring, std::wstring> m_info;
};
