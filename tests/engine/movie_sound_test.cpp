// Movie sounds made by dsNewSound from AIFF, AU and 24-bit WAVE files (the fake
// DirectSound takes no 24-bit buffer), played by the DirectSound movie service on
// the fake, whose play cursor the tests move as a device would; and the service's
// failures. Whole files played on Wine are in tests/sounds/scripts/movies.sdx,
// damaged files in tests/media.
#include "engine/movie_services.h"
#include "media/direct_sound_movies.h"
#include "xtra_fixture.h"

namespace sonidrax::testing {
namespace {

const std::string kMedia = SONIDRAX_MEDIA_DIR;

// Our service, with start-up failures on demand and a record of its start-ups
// and of the balances it was given.
class WatchedMovies : public media::DirectSoundMovies {
public:
    int32_t Initialize() override {
        ++starts;
        return startResult != 0 ? startResult : DirectSoundMovies::Initialize();
    }
    void Terminate() override {
        ++stops;
        DirectSoundMovies::Terminate();
    }
    int32_t EnterMovies() override {
        ++enters;
        return enterResult != 0 ? enterResult : DirectSoundMovies::EnterMovies();
    }
    void ExitMovies() override {
        ++exits;
        DirectSoundMovies::ExitMovies();
    }
    void SetSoundBalance(media::MediaHandler* handler, int16_t balance) override {
        balances.push_back(balance);
        DirectSoundMovies::SetSoundBalance(handler, balance);
    }
    int32_t startResult = 0;
    int32_t enterResult = 0;
    int starts = 0, stops = 0, enters = 0, exits = 0;
    std::vector<int16_t> balances;
};

// An AU file of 16-bit linear samples.
std::vector<unsigned char> Au(uint32_t rate, uint32_t channels, const std::vector<int16_t>& samples) {
    std::vector<unsigned char> bytes = {'.', 's', 'n', 'd'};
    auto put = [&](uint32_t value, int count) {
        for (int shift = 8 * (count - 1); shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
    };
    for (uint32_t word : {24u, static_cast<uint32_t>(2 * samples.size()), 3u, rate, channels}) put(word, 4);
    for (int16_t sample : samples) put(static_cast<uint16_t>(sample), 2);
    return bytes;
}

class MovieTest : public XtraTest {
protected:
    MovieTest() { SetMovieService(&movies); }
    ~MovieTest() override { SetMovieService(nullptr); }

    int32_t NewFileSound(const std::string& path, int32_t size = 0) {
        return Call("dsNewSound", {host.String(path), Int(size)}) == 0 ? ResultInteger() : 0;
    }
    int32_t Ask(const std::string& method, int32_t id) {
        Call(method, {Int(id)});
        return ResultInteger();
    }
    FakeSoundBuffer& Ring() { return *fake.SecondaryBuffers().back(); }

    WatchedMovies movies;
};

TEST_F(MovieTest, PitchPositionAndPanReachTheMovie) {
    const int32_t id = NewFileSound(kMedia + "/movie24.wav");
    ASSERT_NE(id, 0);
    Call("dsSetPitch", {Int(id), Float(2.0)});
    Call("dsPlay", {Int(id)});
    EXPECT_EQ(Ring().frequency, 44100u);

    // Positions are bytes of 24-bit stereo, 132300 a second.
    for (int32_t position : {66150, 0, 132300}) {
        ASSERT_EQ(Call("dsSetPosition", {Int(id), Int(position)}), 0);
        EXPECT_EQ(Ask("dsGetPosition", id), position);
    }
    for (int32_t pan : {10000, 1000, -1000}) Call("dsSetPan", {Int(id), Int(pan)});
    EXPECT_EQ(movies.balances, (std::vector<int16_t>{127, 64, -64}));
    EXPECT_EQ(Ring().pan, -1000);
}

// Frame f of four channels holds f, 2f, 3f, 4f: heard as 2f on the left and 3f on the right.
TEST_F(MovieTest, MoreChannelsAreHeardAsTwoAndReversalTurnsTheRingAround) {
    std::vector<int16_t> samples;
    for (int16_t f = 0; f < 100; ++f)
        samples.insert(samples.end(), {f, int16_t(2 * f), int16_t(3 * f), int16_t(4 * f)});
    const int32_t id = NewFileSound(WriteWorkingFile("four.au", Au(1000, 4, samples)));
    ASSERT_NE(id, 0);
    EXPECT_EQ(Ask("dsGetChannelCount", id), 4);
    ASSERT_EQ(Ring().Format()->nChannels, 2);
    const auto* heard = reinterpret_cast<const int16_t*>(Ring().Bytes());
    EXPECT_EQ(std::vector<int16_t>(heard + 2 * 7, heard + 2 * 9), (std::vector<int16_t>{14, 21, 16, 24}));
    EXPECT_EQ(heard[2 * 100], 0);

    Call("dsSetTime", {Int(id), Int(50)});
    Call("dsPlay", {Int(id)});
    Call("dsReverse", {Int(id)});
    const int16_t* next = heard + Ring().playCursor / 2;
    EXPECT_EQ(std::vector<int16_t>(next, next + 4), (std::vector<int16_t>{98, 147, 96, 144}));
}

// The ring (2048 frames at 1000 Hz) holds 1024 frames of sound ahead of the cursor.
// A cursor that ran past them counts them as played, no more, and the ring starts
// over at the cursor with the sound that follows them.
TEST_F(MovieTest, AGapLongerThanTheQueuedSoundStartsTheRingOver) {
    std::vector<int16_t> samples;
    for (int16_t f = 0; f < 100; ++f) samples.insert(samples.end(), {f, int16_t(-f)});
    const int32_t id = NewFileSound(WriteWorkingFile("loop.au", Au(1000, 2, samples)));
    ASSERT_NE(id, 0);
    Call("dsSetLoop", {Int(id), Int(1)});
    Call("dsPlay", {Int(id)});
    Ring().Advance(1500 * 4);
    Call("dsStream", {Int(id)});
    EXPECT_EQ(Ask("dsGetTime", id), 24);
    const auto* heard = reinterpret_cast<const int16_t*>(Ring().Bytes()) + Ring().playCursor / 2;
    EXPECT_EQ(std::vector<int16_t>(heard, heard + 4), (std::vector<int16_t>{24, -24, 25, -25}));
}

TEST_F(MovieTest, TheMovieSoundsStatusNamesTheFailure) {
    WriteWorkingFile("garbage.mp3", std::vector<unsigned char>(4000, 0x55));
    WriteWorkingFile("silent.au", Au(22050, 1, {}));
    WriteWorkingFile("fast.au", Au(96000, 1, {1, 2, 3, 4}));
    const std::pair<std::string, int32_t> cases[] = {
        {"no_such_file.mp3", -3}, {"garbage.mp3", -4}, {"silent.au", -4}, {"fast.au", -4}};
    for (const auto& [name, error] : cases) {
        host.messages.clear();
        EXPECT_EQ(NewFileSound(name), 0) << name;
        EXPECT_EQ(LastError(), error) << name;
        EXPECT_EQ(host.messages,
                  (std::vector<std::string>{error == -3 ? "Could not find file.\n" : "Unsupported file format.\n"}));
    }
    EXPECT_TRUE(Ids().empty());
    EXPECT_EQ(movies.enters, 1);
}

TEST_F(MovieTest, AServiceThatFailedToStartIsNeverTriedAgain) {
    movies.enterResult = -1;
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(NewFileSound(kMedia + "/movie.aif"), 0);
        EXPECT_EQ(LastError(), -4);
    }
    EXPECT_EQ(movies.enters, 1);
    ExpectCleanDestruction();
    EXPECT_EQ(movies.exits, 0);
    EXPECT_EQ(movies.stops, movies.starts);

    movies.startResult = -2093;
    Create();
    EXPECT_EQ(NewFileSound(kMedia + "/movie.aif"), 0);
    EXPECT_EQ(movies.enters, 1);
    ExpectCleanDestruction();
    EXPECT_EQ(movies.stops, 1);
}

}  // namespace
}  // namespace sonidrax::testing
