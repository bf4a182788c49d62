// dsNewSound and dsReverseSound: member and file sources, the 3D position list,
// and every failure with its message, status and error code.
#include <gtest/gtest.h>

#include "sound_fixture.h"

namespace sonidrax {
namespace {

using testing::SoundTest;
using testing::WaveImage;
using testing::WaveShape;
using testing::WriteWaveFile;

const std::string kCannotParse = "Not enough memory or could not parse file.\n";
const std::string kUnsupported = "Unsupported file format.\n";

class NewSound : public SoundTest {
protected:
    // Every call made here finished with nothing borrowed from the host.
    void ExpectHostObjectsReturned() {
        EXPECT_EQ(host.LiveMedia(), 0);
        EXPECT_EQ(host.LiveMovieRefs(), 0);
        EXPECT_EQ(host.LiveMemberRefs(), 0);
    }
    void ExpectFailure(Status status, Status expected, int32_t error, std::vector<std::string> messages) {
        EXPECT_EQ(status, expected);
        EXPECT_EQ(ResultInteger(), 0);
        EXPECT_EQ(LastError(), error);
        EXPECT_EQ(host.messages, messages);
        EXPECT_TRUE(Ids().empty());
        ExpectHostObjectsReturned();
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
    EXPECT_EQ(sound->DataBytes(), 4000u);
    EXPECT_EQ(sound->BufferBytes(), 4000u);
    EXPECT_EQ(sound->RefillBytes(), 1000u);
    EXPECT_FALSE(sound->Streaming());
    EXPECT_FALSE(sound->InHardware());
    EXPECT_EQ(sound->Buffer3D(), nullptr);

    testing::FakeSoundBuffer& buffer = FakeOf(sound);
    EXPECT_EQ(buffer.flags, 0x180E0u);
    const std::vector<unsigned char> image = WaveImage({});
    EXPECT_EQ(std::memcmp(buffer.Bytes(), image.data() + 44, 4000), 0);
    EXPECT_EQ(host.mediaHandedOut, 1);
    ExpectHostObjectsReturned();
    EXPECT_TRUE(fake.listeners.empty());
}

TEST_F(NewSound, APositionListMakesA3DSoundPlacedThereAndMakesTheListener) {
    ASSERT_EQ(Call("dsNewSound", {Member(1), host.List({host.Float(1.0), host.Integer(0), host.Float(-2.5)})}), 0);
    SoundBuffer* sound = Sound(ResultInteger());
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->Is3D());
    EXPECT_EQ(FakeOf(sound).flags, 0xB0u);
    ASSERT_NE(sound->Buffer3D(), nullptr);
    D3DVECTOR position = {};
    sound->Buffer3D()->GetPosition(&position);
    EXPECT_FLOAT_EQ(position.x, 1.0f);
    EXPECT_FLOAT_EQ(position.y, 0.0f);
    EXPECT_FLOAT_EQ(position.z, -2.5f);
    EXPECT_EQ(fake.listeners.size(), 1u);
    ExpectHostObjectsReturned();
}

TEST_F(NewSound, ALastArgumentThatIsNoListGivesASoundWithout3D) {
    ASSERT_EQ(Call("dsNewSound", {Member(1), host.Integer(5)}), 0);
    EXPECT_FALSE(Sound(1)->Is3D());
    EXPECT_EQ(Sound(1)->Buffer3D(), nullptr);
}

TEST_F(NewSound, APositionListOfTwoNumbersFailsWithMinus9AndHandsTheMediaBack) {
    const Status status = Call("dsNewSound", {Member(1), host.List({host.Float(1.0), host.Float(2.0)})});
    ExpectFailure(status, static_cast<Status>(0x800407D8), -9, {kCannotParse});
    EXPECT_TRUE(fake.SecondaryBuffers().empty());
}

TEST_F(NewSound, ASourceThatIsNeitherNameNorMemberFailsWithMinus9) {
    ExpectFailure(Call("dsNewSound", {host.Integer(3)}), static_cast<Status>(0x800407EF), -9, {kCannotParse});
    host.messages.clear();
    ExpectFailure(Call("dsNewSound"), static_cast<Status>(0x800407D8), -9, {kCannotParse});
}

TEST_F(NewSound, AMemberThatIsNoSoundFailsWithMinus4) {
    ScriptValue picture = Member(4);
    host.AddMember(1, 4).type = "bitmap";
    ExpectFailure(Call("dsNewSound", {picture}), static_cast<Status>(0x80040BBC), -4, {kCannotParse});
    EXPECT_EQ(host.mediaHandedOut, 0);
}

TEST_F(NewSound, AMemberTheMovieDoesNotHaveFailsWithTheHostsStatus) {
    const Status status = Call("dsNewSound", {host.MemberValue(2, 9)});
    EXPECT_NE(status, 0);
    ExpectFailure(status, status, MapHostError(status), {kCannotParse});

    host.messages.clear();
    host.noActiveMovie = true;
    const Status noMovie = Call("dsNewSound", {Member(1)});
    EXPECT_NE(noMovie, 0);
    ExpectFailure(noMovie, noMovie, MapHostError(noMovie), {kCannotParse});
}

TEST_F(NewSound, MediaThatDoNotParseAreReportedAsABadMemberAndHandedBack) {
    ScriptValue member = Member(1);
    host.AddMember(1, 1).media = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'A', 'V', 'I', ' '};
    const int32_t blocks = host.LiveAllocations();
    ExpectFailure(Call("dsNewSound", {member}), static_cast<Status>(0x80040BBE), -4,
                  {"Bad sound member or file too big to fit in memory\n", kUnsupported});
    EXPECT_EQ(host.LiveAllocations(), blocks);
    EXPECT_EQ(host.mediaHandedOut, 1);
}

TEST_F(NewSound, AMemberWhoseBufferIsRefusedIsDestroyed) {
    fake.Refuse("DirectSound.CreateSoundBuffer", DSERR_OUTOFMEMORY);
    const int32_t blocks = host.LiveAllocations();
    const Status status = Call("dsNewSound", {Member(1)});
    ExpectFailure(status, static_cast<Status>(0x80040BBE), -4,
                  {"Bad sound member or file too big to fit in memory\n", kUnsupported});
    EXPECT_EQ(host.LiveAllocations(), blocks);
}

TEST_F(NewSound, AFileIsLoadedWholeWithBufferSizeZeroOrWithoutOneOrWithALargerOne) {
    const std::string name = WriteWaveFile("new_whole.wav", WaveImage({}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.Integer(0)}), 0);
    ASSERT_EQ(Call("dsNewSound", {host.String(name)}), 0);
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.Integer(1 << 20)}), 0);
    // A buffer size that is no number reads as 0.
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.String("big")}), 0);
    EXPECT_EQ(Ids(), (std::vector<int32_t>{1, 2, 3, 4}));
    for (int32_t id : Ids()) {
        SoundBuffer* sound = Sound(id);
        EXPECT_EQ(sound->BufferBytes(), 4000u) << id;
        EXPECT_FALSE(sound->Streaming()) << id;
        EXPECT_EQ(sound->RefillBytes(), 1000u) << id;
        EXPECT_STREQ(sound->FileName(), name.c_str());
    }
}

TEST_F(NewSound, AFileLargerThanItsBufferStreamsWithAQuarterRefill) {
    const std::string name = WriteWaveFile("new_stream.wav", WaveImage({2, 16, 22050, 600000}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.Integer(8000)}), 0);
    SoundBuffer* sound = Sound(1);
    EXPECT_TRUE(sound->Streaming());
    EXPECT_EQ(sound->DataBytes(), 600000u);
    EXPECT_EQ(sound->BufferBytes(), 8000u);
    EXPECT_EQ(sound->RefillBytes(), 2000u);

    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.Integer(400000)}), 0);
    EXPECT_EQ(Sound(2)->RefillBytes(), 65536u);
    // A name ending in "mp3" is an MPEG stream, and streams alike.
    ASSERT_EQ(Call("dsNewSound", {host.String(SONIDRAX_MEDIA_DIR "/ten.mp3"), host.Integer(65536)}), 0);
    EXPECT_EQ(Sound(3)->Kind(), kStreamKind);
    EXPECT_TRUE(Sound(3)->Streaming());
    EXPECT_EQ(Sound(3)->RefillBytes(), 16384u);
}

TEST_F(NewSound, AFileWithAPositionListIsA3DSound) {
    const std::string name = WriteWaveFile("new_3d.wav", WaveImage({1, 16, 22050, 2000}));
    ASSERT_EQ(Call("dsNewSound", {host.String(name), host.Integer(0),
                                  host.List({host.Float(0.5), host.Float(0.25), host.Float(4.0)})}),
              0);
    SoundBuffer* sound = Sound(1);
    ASSERT_NE(sound->Buffer3D(), nullptr);
    D3DVECTOR position = {};
    sound->Buffer3D()->GetPosition(&position);
    EXPECT_FLOAT_EQ(position.z, 4.0f);

    host.messages.clear();
    const Status status = Call("dsNewSound", {host.String(name), host.Integer(0), host.List({host.Float(0.5)})});
    EXPECT_EQ(status, static_cast<Status>(0x800407D8));
    EXPECT_EQ(LastError(), -9);
    EXPECT_EQ(host.messages, std::vector<std::string>{kCannotParse});
    EXPECT_EQ(Ids(), std::vector<int32_t>{1});
}

TEST_F(NewSound, AMissingOrForeignFileIsAnUnsupportedFormat) {
    ExpectFailure(Call("dsNewSound", {host.String("no_such_file.wav"), host.Integer(0)}),
                  static_cast<Status>(0x80040BBE), -4, {kUnsupported});
    host.messages.clear();
    const std::string movie = WriteWaveFile("new_movie.mov", {'f', 'r', 'e', 'e', 0, 0, 0, 8, 'm', 'o', 'o', 'v'});
    ExpectFailure(Call("dsNewSound", {host.String(movie)}), static_cast<Status>(0x80040BBE), -4, {kUnsupported});
}

TEST_F(NewSound, ANameTooLongForAPathIsRefusedRatherThanCut) {
    const std::string name = std::string(300, 'n') + ".wav";
    ExpectFailure(Call("dsNewSound", {host.String(name), host.Integer(0)}), static_cast<Status>(0x80040BBE), -4,
                  {kUnsupported});
    EXPECT_TRUE(fake.SecondaryBuffers().empty());
}

// A short name that the host resolves to a path too long for one is refused, not
// cut back to a path that names another file.
TEST_F(NewSound, AResolvedPathTooLongIsRefusedRatherThanCut) {
    WriteWaveFile("cut.wav", WaveImage({}));
    std::string prefix;
    while (prefix.size() + 7 < 259) prefix += "./";
    host.resolvePrefix = prefix + "cut.wav";  // 259 characters, the most a path holds
    ExpectFailure(Call("dsNewSound", {host.String("zz")}), static_cast<Status>(0x80040BBE), -4, {kUnsupported});
}

TEST_F(NewSound, TheHostResolvesNamesExceptInsideABrowser) {
    WriteWaveFile("resolved_tone.wav", WaveImage({}));
    host.resolvePrefix = "resolved_";
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), 0);
    EXPECT_EQ(ResultInteger(), 1);

    Destroy();
    host.applicationKind = "plugin";
    Create();
    EXPECT_EQ(Call("dsNewSound", {host.String("tone.wav")}), static_cast<Status>(0x80040BBE));
    EXPECT_EQ(Call("dsNewSound", {host.String("resolved_tone.wav")}), 0);
}

TEST_F(NewSound, ReverseSoundHoldsTheSamplesBackwardsFrameByFrame) {
    ASSERT_EQ(Call("dsReverseSound", {Member(1)}), 0);
    SoundBuffer* sound = Sound(ResultInteger());
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->Reversed());
    const std::vector<unsigned char> image = WaveImage({});
    const unsigned char* data = image.data() + 44;
    const BYTE* held = FakeOf(sound).Bytes();
    // The first frame held is the last frame of the data, its bytes in order.
    EXPECT_EQ(std::memcmp(held, data + 4000 - 4, 4), 0);
    EXPECT_EQ(std::memcmp(held + 4000 - 4, data, 4), 0);
}

TEST_F(NewSound, HardwareBuffersAreNoted) {
    fake.buffersInHardware = true;
    ASSERT_EQ(Call("dsNewSound", {Member(1)}), 0);
    EXPECT_TRUE(Sound(1)->InHardware());
}

}  // namespace
}  // namespace sonidrax
