// The ICY reader over arbitrary bytes: metadata blocks, titles, raw response
// heads, resynchronisation and seeks. Byte 0 chooses how the stream is
// announced (bit 0: metaint as a response header, else only a raw head in
// the stream can give one; bit 1: a station name); bytes 1 and 2 give the
// metaint (small values included, where every other byte is a block); bytes
// 3 to 18 are a script of reads in varied sizes, seeks and title queries; the
// rest is the stream.
#include "ZrCoreLib/CMemoryReader.h"
#include "input/CIcyReader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

class HeaderReader : public CMemoryReader {
public:
    HeaderReader(std::vector<uint8_t> bytes, int metaint, bool named)
        : CMemoryReader(std::move(bytes)), m_metaint(metaint), m_named(named) {}
    ZrString GetInfo(const wchar_t* name) override {
        const ZrString key(name);
        if (m_metaint > 0 && key.EqualsNoCase(L"ResponseHeader:icy-metaint"))
            return ZrString::FromInt(m_metaint);
        if (m_named && key.EqualsNoCase(L"ResponseHeader:icy-name")) return ZrString(L"Station");
        return ZrString();
    }

private:
    int m_metaint;
    bool m_named;
};

constexpr size_t kScriptBytes = 16;
constexpr size_t kPrefix = 3 + kScriptBytes;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kPrefix || size > (size_t(1) << 20)) return 0;
    const uint8_t mode = data[0];
    const int given = (data[1] | data[2] << 8) % 2048;
    const int metaint = given == 0 ? 1 : given;
    const uint8_t* script = data + 3;
    std::vector<uint8_t> stream(data + kPrefix, data + size);
    const int64_t streamSize = int64_t(stream.size());

    CIcyReader reader(new HeaderReader(std::move(stream), (mode & 1) ? metaint : 0, mode & 2), true,
                      true);
    std::vector<uint8_t> buffer(70000);
    for (size_t step = 0; step < kScriptBytes; ++step) {
        const uint8_t op = script[step];
        switch (op & 3) {
        case 0:
        case 1: {
            static constexpr uint32_t kSizes[] = {1, 2, 3, 15, 16, 17, 100, 4096, 65536};
            const uint32_t want = kSizes[(op >> 2) % 9];
            const int64_t before = reader.GetPosition();
            const uint32_t got = reader.Read(buffer.data(), want);
            Check(got <= want);
            Check(reader.GetPosition() <= streamSize);
            // Audio never outnumbers the raw bytes it came from.
            Check(reader.GetPosition() - before >= int64_t(got));
            break;
        }
        case 2: {
            const int64_t target = streamSize * (op >> 2) / 63;
            Check(reader.Seek(target, 0) == target);
            Check(reader.GetPosition() == target);
            break;
        }
        default: {
            const int delta = int((op >> 2) & 3) - 1;
            const int64_t p = reader.GetTitlePosition(delta);
            Check(p >= -1 && p < streamSize);
            for (int id : {13, 14, 16})
                CIcyReader::AnswerTitleInfo(id, &reader, true, 1 + (op >> 4) * 20);
            break;
        }
        }
    }
    // And on to the end: Read must finish, whatever the blocks say.
    while (reader.Read(buffer.data(), uint32_t(buffer.size())) == buffer.size()) {
    }
    reader.GetInfo(L"ICY Title");
    return 0;
}
