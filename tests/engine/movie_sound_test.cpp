// Movie sounds made by dsNewSound from AIFF, AU and 24-bit WAVE files, played by
// the DirectSound movie service on the fake DirectSound, whose play cursor the
// tests move as a device would; and the fall-back's order and failures.
#include <fstream>
#include <iterator>

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
    // Lets the ring play on and gives the movie time, as a script's dsStream loop
    // does; answers how many steps passed before the sound stopped (limit: never).
    int PlayUntilStopped(int32_t id, DWORD step, int limit) {
        for (int steps = 0; steps < limit; ++steps) {
            if (Ask("dsIsPlaying", id) == 0) return steps;
            Ring().Advance(step);
            Call("dsStream", {Int(id)});
        }
        return limit;
    }

    WatchedMovies movies;
};

struct MovieFile {
    const char* name;
    int32_t bits;
};

class MovieFileTest : public MovieTest, public ::testing::WithParamInterface<MovieFile> {};

// Each file is 1 s of stereo at 22050 Hz; the ring plays 16-bit stereo, 4 bytes a frame.
TEST_P(MovieFileTest, PlaysToItsEndForwardAndBackward) {
    const int32_t id = NewFileSound(kMedia + "/" + GetParam().name);
    ASSERT_NE(id, 0) << host.messages.front();
    EXPECT_EQ(Sound(id)->Kind(), kMovieKind);
    EXPECT_EQ(Ask("dsGetSampleRate", id), 22050);
    EXPECT_EQ(Ask("dsGetSampleSize", id), GetParam().bits);
    EXPECT_EQ(Ask("dsGetDuration", id), 1000);
    EXPECT_EQ(Ask("dsGetSize", id), 22050 * 2 * GetParam().bits / 8);

    ASSERT_EQ(Call("dsPlay", {Int(id)}), 0);
    const int steps = PlayUntilStopped(id, 2205 * 4, 40);  // a tenth of a second a step
    EXPECT_GE(steps, 10);
    EXPECT_LE(steps, 11);
    EXPECT_EQ(Ask("dsGetPosition", id), Ask("dsGetSize", id));

    // Half-way back, then reversed: it runs back to its start at a rate still positive.
    ASSERT_EQ(Call("dsSetTime", {Int(id), Int(500)}), 0);
    Call("dsPlay", {Int(id)});
    Call("dsReverse", {Int(id)});
    Call("dsGetPitch", {Int(id)});
    EXPECT_EQ(ResultFloat(), 1.0);
    EXPECT_EQ(PlayUntilStopped(id, 2205 * 4, 40), 5);
    EXPECT_EQ(Ask("dsGetPosition", id), 0);
}

INSTANTIATE_TEST_SUITE_P(Files, MovieFileTest,
                         ::testing::Values(MovieFile{"movie.aif", 16}, MovieFile{"movie.au", 16},
                                           MovieFile{"movie24.wav", 24}));

TEST_F(MovieTest, PitchPositionAndPanReachTheMovie) {
    const int32_t id = NewFileSound(kMedia + "/movie24.wav");
    ASSERT_NE(id, 0);
    Call("dsSetPitch", {Int(id), Float(2.0)});
    EXPECT_FALSE(Ring().playing);
    Call("dsPlay", {Int(id)});
    EXPECT_TRUE(Ring().playing);
    EXPECT_EQ(Ring().frequency, 44100u);

    // Positions are bytes of 24-bit stereo, 132300 a second.
    for (int32_t position : {66150, 0, 132300}) {
        ASSERT_EQ(Call("dsSetPosition", {Int(id), Int(position)}), 0);
        EXPECT_EQ(LastError(), 0);
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
    const int32_t id = NewFileSound(WriteWaveFile("four.au", Au(1000, 4, samples)));
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
    const int32_t id = NewFileSound(WriteWaveFile("loop.au", Au(1000, 2, samples)));
    ASSERT_NE(id, 0);
    Call("dsSetLoop", {Int(id), Int(1)});
    Call("dsPlay", {Int(id)});
    Ring().Advance(1500 * 4);
    Call("dsStream", {Int(id)});
    EXPECT_EQ(Ask("dsGetTime", id), 24);
    const auto* heard = reinterpret_cast<const int16_t*>(Ring().Bytes()) + Ring().playCursor / 2;
    EXPECT_EQ(std::vector<int16_t>(heard, heard + 4), (std::vector<int16_t>{24, -24, 25, -25}));
}

TEST_F(MovieTest, DuplicatingAMovieSoundFails) {
    const int32_t id = NewFileSound(kMedia + "/movie.au");
    ASSERT_NE(id, 0);
    host.messages.clear();
    Call("dsDuplicateSound", {Int(id)});
    EXPECT_EQ(LastError(), -7);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Attempt to duplicate sound buffer failed.\n"});
    EXPECT_EQ(Ids(), std::vector<int32_t>{id});
}

TEST_F(MovieTest, TheMovieSoundsStatusNamesTheFailure) {
    WriteWaveFile("garbage.mp3", std::vector<unsigned char>(4000, 0x55));
    WriteWaveFile("silent.au", Au(22050, 1, {}));
    WriteWaveFile("fast.au", Au(96000, 1, {1, 2, 3, 4}));
    const struct {
        std::string name;
        int32_t error;
        const char* message;
    } cases[] = {{"no_such_file.aif", -3, "Could not find file.\n"},
                 {"no_such_file.mp3", -3, "Could not find file.\n"},
                 {"garbage.mp3", -4, "Unsupported file format.\n"},
                 {"silent.au", -4, "Unsupported file format.\n"},
                 {"fast.au", -4, "Unsupported file format.\n"}};
    for (const auto& c : cases) {
        host.messages.clear();
        EXPECT_EQ(NewFileSound(c.name), 0) << c.name;
        EXPECT_EQ(LastError(), c.error) << c.name;
        EXPECT_EQ(host.messages, std::vector<std::string>{c.message}) << c.name;
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

// Every cut and every damaged header byte of the three files ends in a status;
// a sound that opens anyway plays without harm.
TEST_F(MovieTest, DamagedFilesEndInAStatus) {
    for (const char* name : {"movie.aif", "movie.au", "movie24.wav"}) {
        std::ifstream in(kMedia + "/" + name, std::ios::binary);
        const std::vector<unsigned char> whole{std::istreambuf_iterator<char>(in), {}};
        std::vector<std::vector<unsigned char>> variants;
        for (size_t cut : {0, 3, 8, 12, 20, 24, 30, 40, 45, 50, 60})
            variants.emplace_back(whole.begin(), whole.begin() + cut);
        for (size_t at = 0; at < 64; ++at) {
            for (unsigned char value : {0x00, 0xFF, 0x7F}) {
                variants.push_back(whole);
                variants.back()[at] = value;
            }
        }
        for (const auto& bytes : variants) {
            const int32_t id = NewFileSound(WriteWaveFile("damaged.bin", bytes));
            if (id == 0) {
                EXPECT_TRUE(LastError() == -3 || LastError() == -4) << LastError();
                continue;
            }
            Call("dsPlay", {Int(id)});
            PlayUntilStopped(id, 65536, 8);
            Call("dsDeleteSound", {Int(id)});
        }
    }
}

}  // namespace
}  // namespace sonidrax::testing
