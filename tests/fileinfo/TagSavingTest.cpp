// Saving and removing tags, as the host drives them: the save-mode tables,
// the in-place rule, the ID3v1 record, APE footers, faults that must leave
// the file whole, a random walk that must never touch the audio, and
// mutagen on either side of our writes.
#include "FileInfoTestFiles.h"
#include "common/ChildProcess.h"
#include "fileinfo/CID3v1FileWriter.h"
#include "tags/CID3v1Tag.h"
#include "tags/TagTestHelpers.h"

#include <random>
#include <sstream>
#include <sys/stat.h>

namespace {

using namespace fileinfotest;

const std::string kHost = std::string(TONEHALL_BIN_DIR) + "/tonehall-host";
const std::string kOracle = std::string(TONEHALL_TEST_DATA) + "/tags/mutagen_oracle.py";

// The audio of an encoded stream without the tag it came with.
Bytes AudioOnly() {
    Bytes file =
        testfiles::ReadFile(std::string(TONEHALL_TEST_DATA) + "/input/cbr128-stereo-44k.mp3");
    file.erase(file.begin(),
               file.begin() + long(CID3v2Tag::TagLengthFromHeader(file.data(), file.size())));
    return file;
}

Bytes Record(const std::string& title) {
    Bytes record = Cat({B("TAG" + title), Bytes(125 - title.size(), 0)});
    record[127] = 255; // no genre
    return record;
}

// Both save modes, written by another process as a user's settings are.
void SaveModes(int v1Mode, int v2Mode) {
    WriteSettings(v2Mode, 0);
    testtools::Run("TONEHALL_SETTINGS='" + SettingsFile() + "' " + kHost +
                   " settings 'ID3v1 Save Mode' " + std::to_string(v1Mode) + " >/dev/null");
}

Bytes LittleEndian(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// An APE tag: optional header, items filling the size, footer.
Bytes Ape(uint32_t tagSize, bool header, uint32_t version = 2000, uint32_t items = 1,
          uint32_t flags = 0) {
    if (header) flags |= 0x80000000u;
    const Bytes fields = Cat({LittleEndian(version), LittleEndian(tagSize), LittleEndian(items),
                              LittleEndian(flags), Bytes(8, 0)});
    Bytes body(tagSize >= 32 && tagSize < 100000 ? tagSize - 32 : 0, 'i');
    return Cat({header ? Cat({B("APETAGEX"), fields}) : Bytes(), body, B("APETAGEX"), fields});
}

// The audio must sit unchanged behind any ID3v2 tags and be followed by no
// more than the APE tag and one ID3v1 record.
testing::AssertionResult AudioIntact(const Bytes& file, const Bytes& audio, size_t apeBytes = 0) {
    size_t at = 0;
    while (size_t n = CID3v2Tag::TagLengthFromHeader(file.data() + at, file.size() - at))
        at += n;
    if (file.size() < at + audio.size() || !std::equal(audio.begin(), audio.end(), &file[at]))
        return testing::AssertionFailure() << "audio changed behind " << at << " tag bytes";
    const size_t rest = file.size() - at - audio.size();
    if (rest == 0 || rest == 128 || rest == apeBytes || rest == apeBytes + 128)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << rest << " unexpected bytes after the audio";
}

using Changes = std::vector<std::pair<std::wstring, std::wstring>>;

int Save(const std::string& path, int v1Mode, int v2Mode, const Changes& changes) {
    SaveModes(v1Mode, v2Mode);
    auto info = OpenInfo(path);
    for (const auto& c : changes)
        info->SetField(c.first.c_str(), c.second.c_str());
    return info->Close();
}

bool Holds(const Bytes& file, const std::string& text) {
    return std::search(file.begin(), file.end(), text.begin(), text.end()) != file.end();
}

std::string V1Title(const Bytes& f) {
    if (f.size() <= 128 || std::memcmp(&f[f.size() - 128], "TAG", 3) != 0) return "<none>";
    return std::string(reinterpret_cast<const char*>(&f[f.size() - 125]));
}

ino_t Inode(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_ino;
}

class TagSaving : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(TheHost().provider);
        chmod(m_dir.Path().c_str(), 0755); // the unprivileged host must reach the files
    }
    std::string Path() const { return m_dir / "song.mp3"; }
    testfiles::TempDir m_dir;
    const Bytes m_audio = AudioOnly();
    const Bytes m_v2 = Tag(3, 0, Frame("TIT2", Latin1Text("Old")), 100);
    const Bytes m_v1 = Record("Old");
};

TEST_F(TagSaving, EveryRowOfBothSaveModeTables) {
    enum Change { None, Shared, V2Only };
    enum Outcome { Unchanged, Written, Gone };
    struct Row {
        int kind, mode;
        Change change;
        bool has;
        Outcome outcome;
    } const rows[] = {
        {2, 0, Shared, false, Written},   {2, 0, Shared, true, Written},
        {2, 1, Shared, true, Written},    {2, 1, Shared, false, Unchanged},
        {2, 0, None, true, Unchanged},    {2, 1, None, true, Unchanged},
        {2, 2, Shared, true, Unchanged},  {2, 3, Shared, true, Gone},
        {2, 3, Shared, false, Unchanged}, {2, 3, None, true, Unchanged},
        {1, 0, Shared, false, Written},   {1, 0, Shared, true, Written},
        {1, 1, Shared, true, Written},    {1, 1, Shared, false, Unchanged},
        {1, 0, V2Only, true, Unchanged},  {1, 1, V2Only, false, Unchanged},
        {1, 2, Shared, true, Unchanged},  {1, 3, V2Only, true, Gone},
        {1, 3, Shared, false, Unchanged}, {1, 3, None, true, Unchanged},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "ID3v" << r.kind << " mode " << r.mode << " change "
                                        << r.change << " has " << r.has);
        const Bytes before = Cat({r.has && r.kind == 2 ? m_v2 : Bytes(), m_audio,
                                  r.has && r.kind == 1 ? m_v1 : Bytes()});
        testfiles::WriteFile(Path(), before);
        const Changes change = {{r.change == Shared ? L"Name" : L"Composer", L"New"}};
        EXPECT_EQ(Save(Path(), r.kind == 1 ? r.mode : 2, r.kind == 2 ? r.mode : 2,
                       r.change == None ? Changes() : change),
                  1);
        const Bytes after = testfiles::ReadFile(Path());
        EXPECT_TRUE(AudioIntact(after, m_audio));
        const bool tagLeft = r.kind == 2
                                 ? CID3v2Tag::TagLengthFromHeader(after.data(), after.size()) > 0
                                 : V1Title(after) != "<none>";
        EXPECT_EQ(after == before, r.outcome == Unchanged);
        EXPECT_EQ(r.kind == 2 ? Holds(after, "New") : V1Title(after) == "New",
                  r.outcome == Written);
        EXPECT_EQ(tagLeft, r.outcome == Written || (r.outcome == Unchanged && r.has));
    }
}

// A 4096-byte tag takes 4096 bytes of header and frames in place; one byte
// more rewrites the file with an 8192-byte tag, passing by a stranger's
// "song.mp3.xxx" and leaving nothing behind.
TEST_F(TagSaving, InPlaceUpToTheOldSizeElseARewriteBesideAForeignTemporaryName) {
    const Bytes old = Tag(3, 0, Frame("TIT2", Latin1Text("old")), 4096 - 24);
    ASSERT_EQ(old.size(), 4096u);
    testfiles::WriteFile(m_dir / "song.mp3.xxx", std::string("not ours"));
    for (const size_t letters : {4074, 4075}) { // TIT2: 10 + 1 + letters + 1; tag: 10 + frame
        testfiles::WriteFile(Path(), Cat({old, m_audio}));
        const ino_t inode = Inode(Path());
        EXPECT_EQ(Save(Path(), 2, 0, {{L"Name", std::wstring(letters, L'x')}}), 1);
        const Bytes after = testfiles::ReadFile(Path());
        const bool inPlace = letters == 4074;
        EXPECT_EQ(CID3v2Tag::TagLengthFromHeader(after.data(), after.size()),
                  inPlace ? 4096u : 8192u);
        EXPECT_EQ(Inode(Path()) == inode, inPlace);
        EXPECT_TRUE(AudioIntact(after, m_audio));
        EXPECT_EQ(testtools::Capture("ls -A '" + m_dir.Path() + "'"), "song.mp3\nsong.mp3.xxx\n");
        EXPECT_EQ(testfiles::ReadFile(m_dir / "song.mp3.xxx"), B("not ours"));
    }
}

// Overwriting, appending and cutting are rows of the save-mode table; here
// the files too short to hold a record behind audio.
TEST_F(TagSaving, ARecordAloneIsAudioAndNoFileIsCreated) {
    CID3v1Tag tag;
    tag.SetField(L"Name", L"New");
    const Bytes record(tag.GetRecord(), tag.GetRecord() + 128);
    const struct {
        Bytes file;
        bool remove, ok;
        Bytes expected;
    } cases[] = {
        {m_v1, false, true, Cat({m_v1, record})}, {m_v1, true, true, m_v1}, {{}, false, false, {}}};
    for (const auto& c : cases) {
        testfiles::WriteFile(Path(), c.file);
        EXPECT_EQ(CID3v1FileWriter::Write(ZrString::FromUtf8(Path().c_str()), tag, c.remove), c.ok);
        EXPECT_EQ(testfiles::ReadFile(Path()), c.expected);
    }
    EXPECT_FALSE(
        CID3v1FileWriter::Write(ZrString::FromUtf8((m_dir / "none.mp3").c_str()), tag, false));
    EXPECT_EQ(testtools::Capture("ls -A '" + m_dir.Path() + "'"), "song.mp3\n");
}

// Through tonehall-host remove-tags, which asks DoCommand(0) and then says
// what the file holds: it fails exactly when a tag it was asked for stays.
TEST_F(TagSaving, RemovalCutsOnlyTagsThatPassEveryCheck) {
    Bytes noHeaderButFlagged = Ape(1000, false);
    noHeaderButFlagged[noHeaderButFlagged.size() - 9] |= 0x80; // flags bit 31 in the footer
    const struct {
        Bytes front, ape, back;
        std::string which;
        bool apeGone;
    } cases[] = {
        {{}, Ape(1000, true), {}, "all", true}, // 1032 bytes cut
        {{}, Ape(1000, false), {}, "all", true},
        {m_v2, Ape(1000, true), m_v1, "all", true},
        {m_v2, Ape(1000, true), m_v1, "id3v1", false},
        {m_v2, Ape(1000, true), m_v1, "id3v2", false},
        {{}, Ape(1000, true, 3000), {}, "all", false},
        {{}, Ape(1000, true, 2000, 70000), {}, "all", false},
        {{}, Ape(31, false), {}, "all", false},
        {{}, Ape(0x100000, false), {}, "all", false}, // larger than the file
        {{}, noHeaderButFlagged, {}, "all", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.which + " ape " + std::to_string(c.ape.size()));
        testfiles::WriteFile(Path(), Cat({c.front, m_audio, c.ape, c.back}));
        const int status = std::system(
            (kHost + " remove-tags '" + Path() + "' " + c.which + " >/dev/null 2>&1").c_str());
        EXPECT_EQ(WEXITSTATUS(status), c.which == "all" && !c.apeGone ? 1 : 0);
        EXPECT_EQ(testfiles::ReadFile(Path()),
                  Cat({c.which == "id3v1" ? c.front : Bytes(), m_audio, c.apeGone ? Bytes() : c.ape,
                       c.which == "id3v2" ? c.back : Bytes()}));
    }
}

// Each fault leaves the file as it was and, unless the process was killed,
// nothing beside it. The host runs in a shell that sets the fault up.
TEST_F(TagSaving, FaultsLeaveTheOriginalWhole) {
    TEST_REQUIRE_TOOL("setpriv");
    const Bytes original = Cat({m_v2, m_audio, Bytes(4 << 20, 0x55)});
    const std::string rewrite = "Name=" + std::string(9000, 'n');
    SaveModes(0, 0);
    chmod(SettingsFile().substr(0, SettingsFile().rfind('/')).c_str(), 0755); // for nobody too
    struct Case {
        const char* what;
        std::string shell, wrapper, field;
        int v1Mode, v2Mode, exitStatus;
    } const cases[] = {
        {"read-only folder", "chmod 555 \"$D\";",
         "setpriv --reuid=65534 --regid=65534 --clear-groups ", rewrite, 2, 0, 1},
        {"locked record", "", "", "Name=locked", 0, 2, 1},
        {"disk full midway", "trap \"\" XFSZ; ulimit -f 4096;", "", rewrite, 2, 0, 1},
        {"killed in the copy", "ulimit -f 4096;", "", rewrite, 2, 0, 128 + SIGXFSZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string dir = m_dir / c.what;
        mkdir(dir.c_str(), 0777);
        chmod(dir.c_str(), 0777);
        const std::string path = dir + "/song.mp3";
        testfiles::WriteFile(path, original);
        chmod(path.c_str(), 0666);
        SaveModes(c.v1Mode, c.v2Mode);
        std::unique_ptr<testchild::LockHolder> holder;
        if (c.field == "Name=locked") holder = std::make_unique<testchild::LockHolder>(path);
        const int status = std::system(("D='" + dir + "' TONEHALL_SETTINGS='" + SettingsFile() +
                                        "' sh -c '" + c.shell + " exec " + c.wrapper + kHost +
                                        " set \"$D/song.mp3\" " + c.field + "' 2>/dev/null")
                                           .c_str());
        chmod(dir.c_str(), 0777);
        EXPECT_EQ(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status), c.exitStatus);
        EXPECT_EQ(testfiles::ReadFile(path), original);
        const std::string left = testtools::Capture("ls -A '" + dir + "'");
        EXPECT_EQ(left, c.exitStatus > 128 ? "song.mp3\nsong.mp3.xxx\n" : "song.mp3\n");
    }
    // Tags removed since Open: the old tag space is no longer there to write.
    testfiles::WriteFile(Path(), Cat({m_v2, m_audio}));
    SaveModes(2, 0);
    auto info = OpenInfo(Path());
    info->DoCommand(FILEINFO_CMD_REMOVE_TAGS, 2);
    info->SetField(L"Name", L"after removal");
    EXPECT_EQ(info->Close(), 0);
    EXPECT_EQ(testfiles::ReadFile(Path()), m_audio);
}

// Random field changes, values and save modes, with the odd removal in
// between: whatever happens to the tags, the audio stays byte for byte.
TEST_F(TagSaving, RandomChangesNeverTouchTheAudio) {
    testfiles::WriteFile(m_dir / "cover.png", B("\x89PNG\r\n\x1a\npicture bytes"));
    const std::wstring picture = Wide(m_dir / "cover.png");
    const Bytes v24 = Tag(4, 0,
                          Cat({Frame("TIT2", Latin1Text("latin"), 4),
                               Frame("TPE1", Cat({Bytes{1, 0xFF, 0xFE, 'u', 0}, Bytes{0, 0}}), 4),
                               Frame("TALB", Cat({Bytes{2, 0, 'b'}, Bytes{0, 0}}), 4),
                               Frame("TCOM", Cat({Bytes{3}, B("\xC3\xBC")}), 4)}),
                          50);
    const Bytes fronts[] = {{}, m_v2, v24}, apes[] = {{}, Ape(200, true)};
    const wchar_t* fields[] = {L"Name",  L"Artist",  L"Album",    L"Comment",    L"Year",
                               L"Genre", L"Track #", L"Composer", L"Image File", L"Mood"};
    const std::wstring values[] = {L"",      L"plain", std::wstring(5000, L'l'), L"Ünïcödé 日本 ✓",
                                   L"a;b;c", L"1999"};
    std::mt19937 rng(20261206);
    auto pick = [&rng](size_t n) { return size_t(rng() % n); };
    for (int round = 0; round < 40; ++round) {
        const Bytes& ape = apes[pick(2)];
        testfiles::WriteFile(Path(),
                             Cat({fronts[pick(3)], m_audio, ape, pick(2) ? m_v1 : Bytes()}));
        SaveModes(int(pick(4)), int(pick(4)));
        auto info = OpenInfo(Path());
        for (size_t n = 1 + pick(4); n > 0; --n) {
            const wchar_t* field = fields[pick(10)];
            info->SetField(field, field == std::wstring(L"Image File") ? picture.c_str()
                                                                       : values[pick(6)].c_str());
        }
        if (pick(4) == 0) info->DoCommand(FILEINFO_CMD_REMOVE_TAGS, intptr_t(pick(3)));
        info->Close();
        EXPECT_TRUE(AudioIntact(testfiles::ReadFile(Path()), m_audio, ape.size())) << round;
        OpenInfo(Path()); // still an MP3 file to the plug-in
    }
}

std::map<std::string, std::string> MutagenDump(const std::string& path) {
    std::map<std::string, std::string> lines; // "ID\tkey" -> value, first frame of an ID
    std::istringstream in(
        testtools::Capture("/usr/bin/python3 '" + kOracle + "' dump '" + path + "'"));
    for (std::string line; std::getline(in, line);)
        lines.emplace(line.substr(0, line.rfind('\t')), line.substr(line.rfind('\t') + 1));
    return lines;
}

// Checksums of the samples as ffmpeg and as we decode them.
std::string Decoded(const std::string& path) {
    const std::string wav = path + ".wav";
    return testtools::Capture("ffmpeg -v error -i '" + path + "' -f s16le - 2>/dev/null | md5sum") +
           testtools::Capture(kHost + " decode '" + path + "' '" + wav +
                              "' >/dev/null && md5sum <'" + wav + "'");
}

TEST_F(TagSaving, MutagenAndWeKeepEachOthersFramesAndTheSamples) {
    TEST_REQUIRE(testtools::Capture("/usr/bin/python3 '" + kOracle + "' check") == "ok\n",
                 "mutagen");
    TEST_REQUIRE_TOOL("ffmpeg");
    for (const char* version : {"3", "4"}) {
        testfiles::WriteFile(Path(), m_audio);
        ASSERT_TRUE(
            testtools::Run("/usr/bin/python3 '" + kOracle + "' write '" + Path() + "' " + version));
        const std::string samples = Decoded(Path());
        auto expected = MutagenDump(Path());
        ASSERT_EQ(Save(Path(), 2, 0, {{L"Name", L"Ours é"}, {L"Album", L"Album ü"}}), 1);
        expected["TIT2\ttext"] = "Ours é";
        expected["TALB\ttext"] = "Album ü";
        expected["TALB\tencoding"] = expected["TIT2\tencoding"] = "1"; // UTF-16 for "é"
        EXPECT_EQ(MutagenDump(Path()), expected) << "ID3v2." << version;
        ASSERT_TRUE(
            testtools::Run("/usr/bin/python3 '" + kOracle + "' set '" + Path() + "' TPE1 Theirs"));
        expected["TPE1\ttext"] = "Theirs";
        expected["TPE1\tencoding"] = "1";
        EXPECT_EQ(MutagenDump(Path()), expected) << "ID3v2." << version;
        EXPECT_EQ(Decoded(Path()), samples);
    }
    testfiles::WriteFile(Path(), Cat({m_audio, m_v1}));
    const std::string samples = Decoded(Path());
    ASSERT_EQ(Save(Path(), 0, 2, {{L"Name", L"Record"}, {L"Artist", L"Band"}}), 1);
    const auto v1 = MutagenDump(Path());
    EXPECT_EQ(v1.at("HEADER\tversion"), "1");
    EXPECT_EQ(v1.at("TIT2\ttext"), "Record");
    EXPECT_EQ(v1.at("TPE1\ttext"), "Band");
    EXPECT_EQ(Decoded(Path()), samples);
}

} // namespace
