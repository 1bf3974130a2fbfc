// Damaged streams play to the end. Each frame the decoder refuses costs at
// most itself, the 1152 sample frames buffered before it and the 4608 after
// it, measured as delivered length against the clean file; 256 bad fills in
// a row end the stream.
#include "input/InputTestHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace inputtest;

class DamagedStream : public ::testing::TestWithParam<LameFile> {
protected:
    void SetUp() override {
        TEST_REQUIRE_TOOL("lame");
        const LameFile& c = GetParam();
        WriteSignal(m_dir / "in.wav", c.rate, c.channels, 3 * c.rate + 500);
        ASSERT_TRUE(Encode(m_dir / "in.wav", m_dir / "clean.mp3", c.rate, c.options));
        m_facts = Analyse(m_dir / "clean.mp3");
        ASSERT_TRUE(m_facts.ok);
        ASSERT_GT(m_facts.frames, 100);
        m_clean = ReadFile(m_dir / "clean.mp3");
        m_cleanPlay = Play(m_dir / "clean.mp3");
        ASSERT_EQ(m_cleanPlay.open, 0);
        // Worst case of one refused frame, in sample frames.
        m_refusedCost = m_facts.first.samplesPerFrame + 1152 + 4608;
    }

    // Plays `file` and checks the loss against the frames the decoder alone
    // refuses in it. Returns the sample frames lost.
    int64_t PlayDamaged(const std::vector<uint8_t>& file, int64_t extraAllowance = 0) {
        WriteFile(m_dir / "damaged.mp3", file);
        int refused = 0;
        DecodeUntrimmed(file, m_facts, &refused);
        const Played p = Play(m_dir / "damaged.mp3");
        EXPECT_EQ(p.open, 0);
        for (const double v : p.values)
            if (!std::isfinite(v)) {
                ADD_FAILURE() << "a value that is not finite";
                break;
            }
        const int64_t lost = m_cleanPlay.Frames() - p.Frames();
        RecordProperty("refused", refused);
        RecordProperty("lost", int(lost));
        EXPECT_GE(lost, 0);
        EXPECT_LE(lost, std::max(refused, 1) * m_refusedCost + extraAllowance)
            << refused << " frames refused";
        // The audio in front of the damage is untouched.
        const size_t head = size_t(20 * m_facts.first.samplesPerFrame * m_facts.first.channels);
        EXPECT_LE(MaxDifference(std::vector<double>(p.values.begin(), p.values.begin() + head),
                                std::vector<double>(m_cleanPlay.values.begin(),
                                                    m_cleanPlay.values.begin() + head)),
                  0.0);
        return lost;
    }

    // Pseudo-random bytes; no 0xFF, so that they hold no false sync.
    static std::vector<uint8_t> Junk(size_t n, uint32_t seed) {
        std::vector<uint8_t> junk(n);
        for (auto& b : junk) {
            seed = seed * 1103515245u + 12345u;
            b = uint8_t((seed >> 16) % 255);
        }
        return junk;
    }

    TempDir m_dir;
    FileFacts m_facts;
    std::vector<uint8_t> m_clean;
    Played m_cleanPlay;
    int64_t m_refusedCost = 0;
};

TEST_P(DamagedStream, CorruptFrameBodiesCostOnlyTheirNeighbourhood) {
    std::vector<uint8_t> file = m_clean;
    for (const int frame : {40, 80}) {
        const size_t at = size_t(m_facts.index[size_t(frame)]) + 4;
        const size_t n = size_t(m_facts.index[size_t(frame) + 1]) - at;
        const std::vector<uint8_t> junk = Junk(n, uint32_t(frame));
        std::copy(junk.begin(), junk.end(), file.begin() + long(at));
    }
    PlayDamaged(file);
}

TEST_P(DamagedStream, GarbageBetweenFramesIsSkipped) {
    std::vector<uint8_t> file = m_clean;
    for (const int frame : {80, 50}) { // back to front: positions stay valid
        const std::vector<uint8_t> junk = Junk(417, uint32_t(frame));
        file.insert(file.begin() + m_facts.index[size_t(frame)], junk.begin(), junk.end());
    }
    PlayDamaged(file);
}

TEST_P(DamagedStream, TruncatedLastFramePlaysToTheEnd) {
    const size_t last = size_t(m_facts.index.back());
    std::vector<uint8_t> file(m_clean.begin(), m_clean.begin() + long(last + 150));
    // The cut frame itself is gone as well.
    PlayDamaged(file, m_facts.first.samplesPerFrame);
}

// Whole frames with a good header and a body of one bits: the side
// information then asks for more big values than a granule has, and the
// decoder refuses each frame, one bad fill apiece.
std::vector<uint8_t> RefusedFrames(const std::vector<uint8_t>& file, size_t at, int count) {
    uint8_t header[4] = {file[at], file[at + 1], uint8_t(file[at + 2] & ~0x02), file[at + 3]};
    MpegFrameInfo info;
    EXPECT_TRUE(MpegStreamAnalysis::ParseFrameHeader(header, info));
    std::vector<uint8_t> bytes;
    for (int i = 0; i < count; ++i) {
        bytes.insert(bytes.end(), header, header + 4);
        bytes.insert(bytes.end(), size_t(info.frameLength - 4), 0xFF);
    }
    return bytes;
}

// 255 bad fills in a row are survived and all the audio behind the run still
// arrives; a 256th ends the stream within the frames in front of it.
TEST_P(DamagedStream, The256thBadFillInARowEndsTheStream) {
    const int64_t spf = m_facts.first.samplesPerFrame;
    for (const int run : {255, 256}) {
        SCOPED_TRACE(run);
        std::vector<uint8_t> file = m_clean;
        const std::vector<uint8_t> bad = RefusedFrames(m_clean, size_t(m_facts.index[60]), run);
        file.insert(file.begin() + m_facts.index[60], bad.begin(), bad.end());
        WriteFile(m_dir / "damaged.mp3", file);
        const Played p = Play(m_dir / "damaged.mp3");
        ASSERT_EQ(p.open, 0);
        if (run == 255) {
            EXPECT_GT(p.Frames(), (m_facts.frames - 60 - 20) * spf);
            // All the audio behind the run arrives: the whole run costs no
            // more than a single refused frame.
            EXPECT_LE(m_cleanPlay.Frames() - p.Frames(), m_refusedCost);
        } else {
            EXPECT_LE(p.Frames(), 60 * spf);
            EXPECT_GT(p.Frames(), 40 * spf);
        }
    }
}

const LameFile kDamageFiles[] = {
    {"Mpeg1CbrStereo", 44100, 2, "-b 128 --cbr"},
    {"Mpeg2VbrMono", 22050, 1, "-V 4"},
};

INSTANTIATE_TEST_SUITE_P(LameFiles, DamagedStream, ::testing::ValuesIn(kDamageFiles), LameFileName);

} // namespace
