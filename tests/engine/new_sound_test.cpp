// dsNewSound and dsReverseSound as the fake device sees them: buffer flags and
// sizes, the 3D position list, and the failures only a fake or a long name provokes
// (what a script sees on Wine is in scripts/errors.sdx and scripts/sounds.sdx).
#include <gtest/gtest.h>

#include <cstring>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::WaveImage;
using testing::WriteWorkingFile;

const std::string kCannotParse = "Not enough memory or could not parse file.\n";
const std::string kUnsupported = "Unsupported file format.\n";
const std::string kBadMember = "Bad sound member or file too big to fit in memory\n";

class NewSound : public testing::XtraTest {
protected:
    // Every call made here finished with nothing borrowed from the host.
    void ExpectHostObjectsReturned() {
        EXPECT_EQ(host.LiveMedia(), 0);
        EXPECT_EQ(host.LiveMovieRefs(), 0);
        EXPECT_EQ(host.LiveMemberRefs(), 0);
    }
    testing::Vector PositionOf(int32_t id) {
        D3DVECTOR position = {};
        if (Sound(id) == nullptr || Sound(id)->Buffer3D() == nullptr) {
            ADD_FAILURE() << "no 3D sound " << id;
        } else {
            Sound(id)->Buffer3D()->GetPosition(&position);
        }
        return {position.x, position.y, position.z};
    }
};

TEST_F(NewSound, AMemberSoundIsLoadedWholeFromItsWaveImage) {
    xtra().lastError = -4;
    ASSERT_EQ(Call("dsNewSound", {Member(1)}), 0);
    EXPECT_EQ(ResultInteger(), 1);
    EXPECT_EQ(LastError(), 0);
    SoundBuffer* sound = Sound(1);
    ASSERT_NE(sound, nullptr);
    EXPECT_EQ(sound->Kind(), 1);
    EXPECT_FALSE(sound->Reversed() || sound->Is3D() || sound->Streaming() || sound->InHardware());
    EXPECT_EQ(sound->BufferBytes(), 4000u);
    EXPECT_EQ(sound->RefillBytes(), 1000u);
    EXPECT_EQ(FakeOf(sound).flags, DWORD{DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                                         DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2});
    const std::vector<unsigned char> image = WaveImage({});
    EXPECT_EQ(std::memcmp(FakeOf(sound).Bytes(), image.data() + 44, 4000), 0);
    ExpectHostObjectsReturned();
    EXPECT_TRUE(fake.listeners.empty());

    // How the frames are turned is the reader's business; here only that they are.
    ASSERT_EQ(Call("dsReverseSound", {Member(1)}), 0);
    EXPECT_TRUE(Sound(ResultInteger())->Reversed());
    EXPECT_EQ(std::memcmp(FakeOf(Sound(2)).Bytes(), image.data() + 44 + 4000 - 4, 4), 0);

    fake.buffersInHardware = true;
    ASSERT_EQ(Call("dsNewSound", {Member(1)}), 0);
    EXPECT_TRUE(Sound(ResultInteger())->InHardware());
}

TEST_F(NewSound, APositionListMakesA3DSoundPlacedThereAndMakesTheListener) {
    ASSERT_EQ(Call("dsNewSound", {Member(1), host.List({host.Float(1.0), host.Integer(0), host.Float(-2.5)})}), 0);
    SoundBuffer* sound = Sound(ResultInteger());
    EXPECT_EQ(FakeOf(sound).flags, DWORD{DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRL3D});
    EXPECT_EQ(PositionOf(1), (testing::Vector{1.0, 0.0, -2.5}));
    EXPECT_EQ(fake.listeners.size(), 1u);

    // A last argument that is no list gives a sound without 3D.
    ASSERT_EQ(Call("dsNewSound", {Member(2), host.Integer(5)}), 0);
    EXPECT_EQ(Sound(ResultInteger())->Buffer3D(), nullptr);
    ExpectHostObjectsReturned();
}

TEST_F(NewSound, EveryFailureHasItsStatusErrorAndMessagesAndKeepsNothing) {
    host.AddMember(1, 5).media = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    WriteWorkingFile("cut.wav", WaveImage({}));
    std::string prefix;
    while (prefix.size() + 7 < 259) prefix += "./";
    struct Case {
        const char* what;
        std::vector<ScriptValue> arguments;
        uint32_t status;
        int32_t error;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"no source", {}, 0x800407D8, -9, {kCannotParse}},
        {"integer source", {Int(3)}, 0x800407EF, -9, {kCannotParse}},
        {"media that do not parse", {host.MemberValue(1, 5)}, 0x80040BBE, -4, {kBadMember, kUnsupported}},
        {"refused buffer", {Member(6)}, 0x80040BBE, -4, {kBadMember, kUnsupported}},
        // The host's own status, which scripts know no code for.
        {"member the movie lacks", {host.MemberValue(2, 9)}, 0x80040BBD, int32_t(0x80040BBD), {kCannotParse}},
        {"name too long", {host.String(std::string(300, 'n') + ".wav"), Int(0)}, 0x80040BBE, -4, {kUnsupported}},
        // A short name that the host resolves to a path too long for one is refused,
        // not cut back to a path that names another file (last: the prefix stays).
        {"resolved name too long", {host.String("zz")}, 0x80040BBE, -4, {kUnsupported}},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        const std::string what = c.what;
        if (what == "refused buffer") fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_OUTOFMEMORY, 1);
        if (what == "resolved name too long") host.stand().scriptFolder = prefix + "cut.wav";  // 259 characters
        const int32_t blocks = host.LiveAllocations();
        EXPECT_EQ(Call("dsNewSound", c.arguments), static_cast<Status>(c.status)) << c.what;
        EXPECT_EQ(ResultInteger(), 0) << c.what;
        EXPECT_EQ(LastError(), c.error) << c.what;
        EXPECT_EQ(host.messages, c.messages) << c.what;
        EXPECT_EQ(host.LiveAllocations(), blocks) << c.what;
        ExpectHostObjectsReturned();
    }
    EXPECT_TRUE(Ids().empty());
    EXPECT_TRUE(fake.SecondaryBuffers().empty());
}

TEST_F(NewSound, AFileIsLoadedWholeUnlessItIsLargerThanItsBuffer) {
    const std::string whole = WriteWorkingFile("new_whole.wav", WaveImage({}));
    const std::string large = WriteWorkingFile("new_stream.wav", WaveImage({2, 16, 22050, 600000}));
    struct Case {
        std::string name;
        ScriptValue size;
        bool streaming;
        uint32_t bufferBytes, refillBytes;
    };
    const Case cases[] = {
        {whole, Int(1 << 20), false, 4000, 1000},
        {whole, host.String("big"), false, 4000, 1000},  // a size that is no number reads as 0
        {large, Int(8000), true, 8000, 2000},
        {large, Int(400000), true, 400000, 65536},
        {SONIDRAX_MEDIA_DIR "/ten.mp3", Int(65536), true, 65536, 16384},  // "mp3": an MPEG stream
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Call("dsNewSound", {host.String(c.name), c.size}), 0) << c.name;
        const SoundBuffer* sound = Sound(ResultInteger());
        EXPECT_EQ(sound->Streaming(), c.streaming) << c.name;
        EXPECT_EQ(sound->BufferBytes(), c.bufferBytes) << c.name;
        EXPECT_EQ(sound->RefillBytes(), c.refillBytes) << c.name;
    }
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(Sound(1)->FileName(), host.stand().ResolveName(whole));
    EXPECT_EQ(Sound(5)->Kind(), kStreamKind);
}

TEST_F(NewSound, TheHostResolvesNamesExceptInsideABrowser) {
    CreateDirectoryA("resolved", nullptr);
    WriteWorkingFile("resolved\\tone.wav", WaveImage({}));
    host.stand().scriptFolder = "resolved";
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), 0);

    Destroy();
    host.stand().appKind = "plugin";
    Create();
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), static_cast<Status>(0x80040006));
    EXPECT_EQ(Call("dsNewSound", {host.String("resolved\\tone.wav")}), 0);
}

}  // namespace
}  // namespace sonidrax
