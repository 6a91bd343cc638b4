#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "jukebox_list.h"
#include "song_search.h"

namespace {

// The songs in a vector, with the list-box's answers: -1 for a bad index.
class VectorSongs : public SongListStore {
public:
    explicit VectorSongs(std::vector<std::string> items) : Items(std::move(items)) {}

    int32_t Count() override { return CountFails ? -1 : static_cast<int32_t>(Items.size()); }
    bool Read(int32_t index, char (&text)[kSongPathSize]) override
    {
        if (index < 0 || index >= static_cast<int32_t>(Items.size()) || UnreadableIndex == index)
            return false;
        std::snprintf(text, sizeof text, "%s", Items[static_cast<size_t>(index)].c_str());
        return true;
    }
    void Delete(int32_t index) override
    {
        ASSERT_TRUE(index >= 0 && index < static_cast<int32_t>(Items.size()));
        Items.erase(Items.begin() + index);
    }
    void Insert(int32_t index, const char* text) override
    {
        ASSERT_TRUE(index >= 0 && index <= static_cast<int32_t>(Items.size()));
        Items.insert(Items.begin() + index, text);
    }

    std::vector<std::string> Items;
    bool CountFails = false;
    int32_t UnreadableIndex = -1;
};

// A player that hands out device numbers 100, 101, ... and records what it was asked. Like the
// media control interface, it opens a file on one device at a time.
class FakePlayer : public SongPlayer {
public:
    void StopAndClose(uint32_t device) override
    {
        Log.push_back("stop+close " + std::to_string(device));
        open_.erase(device);
    }
    uint32_t Open(const char* path) override
    {
        bool alreadyOpen = false;
        for (const auto& device : open_)
            alreadyOpen = alreadyOpen || device.second == path;
        if (FailingOpens.count(path) || alreadyOpen) {
            Log.push_back(std::string("open ") + path + " fails");
            return 0;
        }
        Opened.push_back(path);
        Log.push_back("open " + std::to_string(nextDevice_));
        open_[nextDevice_] = path;
        return nextDevice_++;
    }
    bool Play(uint32_t device) override
    {
        Log.push_back("play " + std::to_string(device));
        return !PlayFails;
    }
    void Close(uint32_t device) override
    {
        Log.push_back("close " + std::to_string(device));
        open_.erase(device);
    }

    std::vector<std::string> Opened;
    std::vector<std::string> Log;
    std::set<std::string> FailingOpens;
    bool PlayFails = false;

private:
    uint32_t nextDevice_ = 100;
    std::map<uint32_t, std::string> open_;
};

struct Jukebox {
    explicit Jukebox(std::vector<std::string> songs, int32_t shuffle, uint32_t seed = 1)
        : List(std::move(songs))
    {
        ResetJukeboxCursor(Cursor, shuffle);
        Random.Seed(seed);
    }
    int Next() { return PlayNextListedSong(Cursor, List, Player, Random, &Device); }
    // Plays `n` songs and returns their names in order.
    std::vector<std::string> Play(int n)
    {
        const size_t before = Player.Opened.size();
        for (int i = 0; i < n; ++i)
            EXPECT_EQ(Next(), 1);
        return {Player.Opened.begin() + static_cast<long>(before), Player.Opened.end()};
    }

    JukeboxCursor Cursor;
    VectorSongs List;
    FakePlayer Player;
    RandomGenerator Random;
    uint32_t Device = 0;
};

using Songs = std::vector<std::string>;

TEST(JukeboxList, OrderModePlaysTheListFromTheTopAgainAndAgain)
{
    Jukebox jukebox({"A", "B", "C"}, 0);
    EXPECT_EQ(jukebox.Play(7), (Songs{"A", "B", "C", "A", "B", "C", "A"}));
    // Order mode never draws: the scene's sequence is left as it was.
    EXPECT_EQ(jukebox.Random.State, 1u);
}

// The next song is open before the one that ended closes, so that a driver the two share is not
// unloaded between them.
TEST(JukeboxList, EachSongOpensBeforeTheOneBeforeStopsAndCloses)
{
    Jukebox jukebox({"A", "B"}, 0);
    EXPECT_EQ(jukebox.Next(), 1);
    EXPECT_EQ(jukebox.Device, 100u);
    EXPECT_EQ(jukebox.Next(), 1);
    EXPECT_EQ(jukebox.Device, 101u);
    EXPECT_EQ(jukebox.Player.Log, (Songs{"open 100", "play 100", "open 101", "stop+close 100", "play 101"}));
}

// The first pass is already shuffled. Every position is swapped with one drawn from the whole list
// (not a Fisher-Yates shuffle): with the draws 41, 18467, 6334, 26500 after a seed of 1,
//   3 songs: j = 2, 2, 1          -> C B A
//   4 songs: j = 1, 3, 2, 0       -> A D C B
TEST(JukeboxList, FirstPassOrderComesFromTheSharedGenerator)
{
    struct Case {
        Songs Sorted;
        Songs Expected;
    };
    const Case cases[] = {
        {{"A", "B", "C"}, {"C", "B", "A"}},
        {{"A", "B", "C", "D"}, {"A", "D", "C", "B"}},
    };
    for (const Case& c : cases) {
        Jukebox jukebox(c.Sorted, 1);
        EXPECT_EQ(jukebox.Play(static_cast<int>(c.Sorted.size())), c.Expected);
        EXPECT_EQ(jukebox.Cursor.FirstPass, 0);
        // One draw per song.
        RandomGenerator reference;
        for (size_t i = 0; i < c.Sorted.size(); ++i)
            reference.Draw();
        EXPECT_EQ(jukebox.Random.State, reference.State);
    }
}

// Two songs with seed 1 shuffle to B A; after a pass that ended with B this would play B twice in
// a row, so the first and last songs are swapped.
TEST(JukeboxList, AReshuffleThatWouldRepeatTheLastSongSwapsFirstAndLast)
{
    struct Case {
        Songs Before;  // the last one has just played
        Songs RawShuffle;
        Songs AfterCheck;
    };
    const Case cases[] = {
        {{"A", "B"}, {"B", "A"}, {"A", "B"}},
        {{"A", "B", "C"}, {"C", "B", "A"}, {"A", "B", "C"}},
    };
    for (const Case& c : cases) {
        JukeboxCursor firstPass;
        VectorSongs raw(c.Before);
        RandomGenerator random;
        ShuffleSongList(firstPass, raw, random);
        EXPECT_EQ(raw.Items, c.RawShuffle);  // no check on the first pass

        JukeboxCursor later;
        later.FirstPass = 0;
        VectorSongs checked(c.Before);
        random.Seed(1);
        ShuffleSongList(later, checked, random);
        EXPECT_EQ(checked.Items, c.AfterCheck);
    }
}

TEST(JukeboxList, ShuffledPlayNeverRepeatsASongAcrossAWrap)
{
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        for (size_t count : {2u, 3u, 5u}) {
            Songs sorted;
            for (size_t i = 0; i < count; ++i)
                sorted.push_back(std::string(1, static_cast<char>('A' + i)));
            Jukebox jukebox(sorted, 1, seed);
            const Songs played = jukebox.Play(static_cast<int>(count * 6));
            for (size_t pass = 0; pass < 6; ++pass) {
                // Each pass plays every song once.
                const std::set<std::string> songs(played.begin() + static_cast<long>(pass * count),
                                                  played.begin() + static_cast<long>((pass + 1) * count));
                EXPECT_EQ(songs.size(), count) << "seed " << seed;
            }
            for (size_t i = 1; i < played.size(); ++i)
                ASSERT_NE(played[i], played[i - 1]) << "seed " << seed << ", count " << count << ", song " << i;
        }
    }
}

// The only song is the file its ended device holds: that device closes before it opens again.
TEST(JukeboxList, OneSongPlaysAgainForeverInBothModes)
{
    for (int32_t shuffle : {0, 1}) {
        Jukebox jukebox({"only"}, shuffle);
        EXPECT_EQ(jukebox.Play(4), (Songs{"only", "only", "only", "only"}));
        EXPECT_EQ(jukebox.Player.Log,
                  (Songs{"open 100", "play 100", "stop+close 100", "open 101", "play 101", "stop+close 101",
                         "open 102", "play 102", "stop+close 102", "open 103", "play 103"}));
        EXPECT_EQ(jukebox.Random.State, 1u);  // nothing to shuffle, nothing drawn
    }
}

TEST(JukeboxList, ASongThatCannotBeOpenedEndsTheMusic)
{
    Jukebox jukebox({"A", "B", "C"}, 0);
    jukebox.Player.FailingOpens = {"B"};
    EXPECT_EQ(jukebox.Next(), 1);
    EXPECT_EQ(jukebox.Next(), 0);
    // The song before was stopped and closed; nothing is open now; the cursor moved past B.
    EXPECT_EQ(jukebox.Device, 0u);
    EXPECT_EQ(jukebox.Player.Log, (Songs{"open 100", "play 100", "open B fails", "stop+close 100"}));
    EXPECT_EQ(jukebox.Cursor.NextSong, 2);
    EXPECT_EQ(jukebox.Player.Opened, (Songs{"A"}));
}

TEST(JukeboxList, ASongThatDoesNotPlayIsClosedAndEndsTheMusic)
{
    Jukebox jukebox({"A", "B"}, 0);
    jukebox.Player.PlayFails = true;
    EXPECT_EQ(jukebox.Next(), 0);
    EXPECT_EQ(jukebox.Device, 0u);
    EXPECT_EQ(jukebox.Player.Log, (Songs{"open 100", "play 100", "close 100"}));
}

TEST(JukeboxList, ListErrorsStartNothingAndReadNothingOutOfRange)
{
    // An empty list.
    Jukebox empty({}, 1);
    EXPECT_EQ(empty.Next(), 0);
    EXPECT_TRUE(empty.Player.Opened.empty());

    // A list that cannot count: the end-of-list branch is skipped and the cursor, still past the
    // end, reads nothing; calling again stays harmless.
    Jukebox broken({"A", "B"}, 1);
    broken.List.CountFails = true;
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(broken.Next(), 0);
    EXPECT_TRUE(broken.Player.Opened.empty());
    EXPECT_EQ(broken.Random.State, 1u);

    // An item that cannot be read still ends the song before it.
    Jukebox gap({"A", "B"}, 0);
    gap.List.UnreadableIndex = 1;
    EXPECT_EQ(gap.Next(), 1);
    EXPECT_EQ(gap.Next(), 0);
    EXPECT_EQ(gap.Device, 0u);
    EXPECT_EQ(gap.Player.Log, (Songs{"open 100", "play 100", "stop+close 100"}));

    // An unreadable item takes no draw and is not moved by the shuffle.
    Jukebox unreadable({"A", "B", "C"}, 1);
    unreadable.List.UnreadableIndex = 1;
    ShuffleSongList(unreadable.Cursor, unreadable.List, unreadable.Random);
    EXPECT_EQ(unreadable.List.Items.size(), 3u);
    RandomGenerator twoDraws;
    twoDraws.Draw();
    twoDraws.Draw();
    EXPECT_EQ(unreadable.Random.State, twoDraws.State);
}

TEST(SongSearch, PatternIsTheShowFilesFolderWithTheSongWildcard)
{
    char pattern[kSongPathSize];
    ASSERT_TRUE(SongSearchPattern("C:\\Saver Data\\My Saver.dat", pattern));
    EXPECT_STREQ(pattern, "C:\\Saver Data\\juk?????.*");
    ASSERT_TRUE(SongSearchPattern("C:\\a.b\\c\\", pattern));
    EXPECT_STREQ(pattern, "C:\\a.b\\c\\juk?????.*");

    EXPECT_FALSE(SongSearchPattern("My Saver.dat", pattern));
    EXPECT_STREQ(pattern, "");

    // The pattern must fit in 259 characters.
    // "C:\" + folder + "\juk?????.*" (11 characters) = 259
    const std::string justFits = "C:\\" + std::string(259 - 11 - 3, 'x') + "\\show.dat";
    ASSERT_TRUE(SongSearchPattern(justFits.c_str(), pattern));
    EXPECT_EQ(std::strlen(pattern), 259u);
    const std::string tooLong = "C:\\" + std::string(259 - 11 - 2, 'x') + "\\show.dat";
    EXPECT_FALSE(SongSearchPattern(tooLong.c_str(), pattern));
}

TEST(SongSearch, SongPathReplacesTheNameAfterTheLastBackslash)
{
    char path[kSongPathSize] = "C:\\data\\juk?????.*";
    ASSERT_TRUE(ReplaceFileName(path, "jukA0001.wav"));
    EXPECT_STREQ(path, "C:\\data\\jukA0001.wav");
    ASSERT_TRUE(ReplaceFileName(path, "juk_02.mp3"));
    EXPECT_STREQ(path, "C:\\data\\juk_02.mp3");

    const std::string name(260 - 8, 'n');  // "C:\data\" is 8 characters: one too many
    EXPECT_FALSE(ReplaceFileName(path, name.c_str()));
    EXPECT_STREQ(path, "C:\\data\\juk_02.mp3");
    ASSERT_TRUE(ReplaceFileName(path, name.substr(1).c_str()));
    EXPECT_EQ(std::strlen(path), 259u);

    char noFolder[kSongPathSize] = "juk.wav";
    EXPECT_FALSE(ReplaceFileName(noFolder, "x"));
    EXPECT_STREQ(noFolder, "juk.wav");
}

TEST(SongSearch, TheFourthCharacterOfTheFirstNameChoosesShuffledPlay)
{
    EXPECT_EQ(ShuffleFromFirstName("juk_0001.mp3"), 1);
    EXPECT_EQ(ShuffleFromFirstName("juk_"), 1);
    EXPECT_EQ(ShuffleFromFirstName("jukA0001.mid"), 0);
    EXPECT_EQ(ShuffleFromFirstName("JUK00001.WAV"), 0);
    EXPECT_EQ(ShuffleFromFirstName("juk"), 0);
    EXPECT_EQ(ShuffleFromFirstName(""), 0);
}

}  // namespace
