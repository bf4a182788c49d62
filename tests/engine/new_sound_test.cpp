// dsNewSound and dsReverseSound: member and file sources, the 3D position list,
// and every failure with its message, status and error code.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "xtra_fixture.h"

namespace sonidrax {
namespace {

using testing::WaveImage;
using testing::WriteWaveFile;

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
    D3DVECTOR PositionOf(int32_t id) {
        D3DVECTOR position = {};
        if (Sound(id) == nullptr || Sound(id)->Buffer3D() == nullptr) {
            ADD_FAILURE() << "no 3D sound " << id;
            return position;
        }
        Sound(id)->Buffer3D()->GetPosition(&position);
        return position;
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
    EXPECT_FALSE(sound->Reversed());
    EXPECT_FALSE(sound->Is3D());
    EXPECT_EQ(sound->BufferBytes(), 4000u);
    EXPECT_EQ(sound->RefillBytes(), 1000u);
    EXPECT_FALSE(sound->Streaming());
    EXPECT_FALSE(sound->InHardware());
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
    EXPECT_TRUE(sound->Is3D());
    EXPECT_EQ(FakeOf(sound).flags, DWORD{DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRL3D});
    const D3DVECTOR position = PositionOf(1);
    EXPECT_FLOAT_EQ(position.x, 1.0f);
    EXPECT_FLOAT_EQ(position.y, 0.0f);
    EXPECT_FLOAT_EQ(position.z, -2.5f);
    EXPECT_EQ(fake.listeners.size(), 1u);

    // A last argument that is no list gives a sound without 3D.
    ASSERT_EQ(Call("dsNewSound", {Member(2), host.Integer(5)}), 0);
    EXPECT_EQ(Sound(ResultInteger())->Buffer3D(), nullptr);
    // So does a file with a buffer size.
    const std::string name = WriteWaveFile("new_3d.wav", WaveImage({1, 16, 22050, 2000}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), Int(0), List({0.5, 0.25, 4.0})}), 0);
    EXPECT_FLOAT_EQ(PositionOf(ResultInteger()).z, 4.0f);
    ExpectHostObjectsReturned();
}

TEST_F(NewSound, EveryFailureHasItsStatusErrorAndMessagesAndKeepsNothing) {
    const std::string movie = WriteWaveFile("new_movie.mov", {'f', 'r', 'e', 'e', 0, 0, 0, 8, 'm', 'o', 'o', 'v'});
    const std::string wave = WriteWaveFile("new_small.wav", WaveImage({1, 16, 22050, 2000}));
    struct Case {
        const char* what;
        std::function<std::vector<ScriptValue>()> arguments;
        uint32_t status;
        int32_t error;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"file, one number",
         [&] {
             return std::vector{host.String(wave), Int(0), Numbers({0.5})};
         },
         0x800407D8,
         -9,
         {kCannotParse}},
        {"integer source", [&] { return std::vector{Int(3)}; }, 0x800407EF, -9, {kCannotParse}},
        {"no source", [&] { return std::vector<ScriptValue>{}; }, 0x800407D8, -9, {kCannotParse}},
        {"bitmap member",
         [&] {
             ScriptValue picture = Member(4);
             host.AddMember(1, 4).kind = "bitmap";
             return std::vector{picture};
         },
         0x80040BBC,
         -4,
         {kCannotParse}},
        {"media that do not parse",
         [&] {
             ScriptValue member = Member(5);
             host.AddMember(1, 5).media = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
             return std::vector{member};
         },
         0x80040BBE,
         -4,
         {kBadMember, kUnsupported}},
        {"refused buffer",
         [&] {
             fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_OUTOFMEMORY, 1);
             return std::vector{Member(6)};
         },
         0x80040BBE,
         -4,
         {kBadMember, kUnsupported}},
        {"missing file",
         [&] {
             return std::vector{host.String("no_such_file.wav"), Int(0)};
         },
         0x80040006,
         -3,
         {"Could not find file.\n"}},
        {"foreign file", [&] { return std::vector{host.String(movie)}; }, 0x80040BBE, -4, {kUnsupported}},
        {"name too long",
         [&] {
             return std::vector{host.String(std::string(300, 'n') + ".wav"), Int(0)};
         },
         0x80040BBE,
         -4,
         {kUnsupported}},
        // A short name that the host resolves to a path too long for one is refused,
        // not cut back to a path that names another file (last: the prefix stays).
        {"resolved name too long",
         [&] {
             WriteWaveFile("cut.wav", WaveImage({}));
             std::string prefix;
             while (prefix.size() + 7 < 259) prefix += "./";
             host.stand().scriptFolder = prefix + "cut.wav";  // 259 characters, the most a path holds
             return std::vector{host.String("zz")};
         },
         0x80040BBE,
         -4,
         {kUnsupported}},
    };
    for (const Case& c : cases) {
        host.messages.clear();
        const int32_t blocks = host.LiveAllocations();
        EXPECT_EQ(Call("dsNewSound", c.arguments()), static_cast<Status>(c.status)) << c.what;
        EXPECT_EQ(ResultInteger(), 0) << c.what;
        EXPECT_EQ(LastError(), c.error) << c.what;
        EXPECT_EQ(host.messages, c.messages) << c.what;
        EXPECT_TRUE(Ids().empty()) << c.what;
        EXPECT_EQ(host.LiveAllocations(), blocks) << c.what;
        ExpectHostObjectsReturned();
    }
    EXPECT_TRUE(fake.SecondaryBuffers().empty());

    // A member the movie does not have, or no movie at all: the host's own status.
    for (bool noMovie : {false, true}) {
        host.messages.clear();
        host.stand().movieActive = !noMovie;
        const Status status = Call("dsNewSound", {noMovie ? Member(1) : host.MemberValue(2, 9)});
        EXPECT_NE(status, 0);
        EXPECT_EQ(LastError(), MapHostError(status));
        EXPECT_EQ(host.messages, std::vector<std::string>{noMovie ? "Could not find file.\n" : kCannotParse});
        ExpectHostObjectsReturned();
    }
}

TEST_F(NewSound, AFileIsLoadedWholeUnlessItIsLargerThanItsBuffer) {
    const std::string name = WriteWaveFile("new_whole.wav", WaveImage({}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), Int(0)}), 0);
    ASSERT_EQ(Call("dsNewSound", {host.String(name)}), 0);
    ASSERT_EQ(Call("dsNewSound", {host.String(name), Int(1 << 20)}), 0);
    // A buffer size that is no number reads as 0.
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.String("big")}), 0);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4}));
    for (int32_t id : Ids()) {
        EXPECT_EQ(Sound(id)->BufferBytes(), 4000u) << id;
        EXPECT_FALSE(Sound(id)->Streaming()) << id;
        EXPECT_EQ(Sound(id)->FileName(), host.stand().ResolveName(name));
    }
    const std::string large = WriteWaveFile("new_stream.wav", WaveImage({2, 16, 22050, 600000}));
    ASSERT_EQ(Call("dsNewSound", {host.String(large), Int(8000)}), 0);
    const SoundBuffer* streamed = Sound(ResultInteger());
    ASSERT_NE(streamed, nullptr);
    EXPECT_TRUE(streamed->Streaming());
    EXPECT_EQ(streamed->DataBytes(), 600000u);
    EXPECT_EQ(streamed->BufferBytes(), 8000u);
    EXPECT_EQ(streamed->RefillBytes(), 2000u);
    ASSERT_EQ(Call("dsNewSound", {host.String(large), Int(400000)}), 0);
    ASSERT_NE(Sound(ResultInteger()), nullptr);
    EXPECT_EQ(Sound(ResultInteger())->RefillBytes(), 65536u);
    ASSERT_EQ(Call("dsNewSound", {host.String(SONIDRAX_MEDIA_DIR "/ten.mp3"), Int(65536)}), 0);
    const SoundBuffer* mpeg = Sound(ResultInteger());
    ASSERT_NE(mpeg, nullptr);  // a name ending in "mp3" is an MPEG stream, and streams alike
    EXPECT_EQ(mpeg->Kind(), kStreamKind);
    EXPECT_TRUE(mpeg->Streaming());
    EXPECT_EQ(mpeg->RefillBytes(), 16384u);
}

TEST_F(NewSound, TheHostResolvesNamesExceptInsideABrowser) {
    CreateDirectoryA("resolved", nullptr);
    WriteWaveFile("resolved\\tone.wav", WaveImage({}));
    host.stand().scriptFolder = "resolved";
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), 0);
    EXPECT_EQ(ResultInteger(), 1);

    Destroy();
    host.stand().appKind = "plugin";
    Create();
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), static_cast<Status>(0x80040006));
    EXPECT_EQ(Call("dsNewSound", {host.String("resolved\\tone.wav")}), 0);
}

}  // namespace
}  // namespace sonidrax
