// The story text fits the screen layout: every passage has its exact number
// of lines, each of its exact width, and begins with its fixed words; the
// room descriptions never wrap; the header's fixed lines have their widths.
#include <gtest/gtest.h>
#include <array>
#include <string>
#include <string_view>
#include <vector>
#include "game/game_text.h"

namespace {

struct PassageCase {
    const char* name;
    std::vector<std::string_view> lines;
    std::vector<size_t> widths;
    std::string_view first_words;
};

template <size_t N>
std::vector<std::string_view> lines_of(const std::array<std::string_view, N>& passage) {
    return {passage.begin(), passage.end()};
}

std::vector<PassageCase> passage_cases() {
    using namespace game_text;
    return {
        {"introduction", lines_of(introduction), {76, 75, 75, 76, 16}, ""},
        {"the man", lines_of(the_man), {66, 68, 54}, "He stands before you"},
        {"the knife", lines_of(the_knife), {66, 6}, "Just an average run"},
        {"ending of leaving", lines_of(ending_of_leaving), {60, 59, 60, 61, 61, 46}, "You awaken to find"},
        {"ending of the knife", lines_of(ending_of_the_knife), {66, 64, 65, 38}, "You find yourself not"},
        {"ending of time", lines_of(ending_of_time), {72, 55}, "You awaken from the"},
    };
}

TEST(GameText, PassagesHaveTheirExactLineWidths) {
    for (const PassageCase& c : passage_cases()) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.lines.size(), c.widths.size());
        for (size_t i = 0; i < c.lines.size(); i++) {
            EXPECT_EQ(c.lines[i].size(), c.widths[i]) << "line " << i + 1 << ": \"" << c.lines[i] << "\"";
        }
        EXPECT_TRUE(c.lines[0].starts_with(c.first_words)) << c.lines[0];
    }
}

TEST(GameText, RoomDescriptionsBeginWithTheirWordsAndNeverWrap) {
    using namespace game_text;
    struct Room {
        int number;
        std::vector<std::string_view> lines;
        size_t line_count;
        std::string_view first_words;
    };
    const std::vector<Room> rooms = {
        {1, lines_of(room_1), 2, "You are standing in"},
        {2, lines_of(room_2), 1, "Being barefoot and"},
        {3, lines_of(room_3), 2, "It's a shame you"},
        {4, lines_of(room_4), 2, "The smell of nature,"},
        {5, lines_of(room_5), 2, "You are standing on"},
        {6, lines_of(room_6), 2, "You hear voices, calling"},
        {7, lines_of(room_7), 2, "You arrive at a"},
        {8, lines_of(room_8), 2, "You feel a stabbing"},
        {9, lines_of(room_9), 2, "A dead end, nothing"},
    };
    for (const Room& r : rooms) {
        SCOPED_TRACE("room " + std::to_string(r.number));
        EXPECT_EQ(r.lines.size(), r.line_count);
        EXPECT_TRUE(r.lines[0].starts_with(r.first_words)) << r.lines[0];
        for (std::string_view line : r.lines) {
            EXPECT_LE(line.size(), 69u) << line;
            EXPECT_FALSE(line.empty());
        }
    }
}

TEST(GameText, HeaderLinesHaveTheirWidthsAndIndentation) {
    using namespace game_text;
    EXPECT_EQ(blank_74, std::string(74, ' '));
    EXPECT_EQ(title, std::string(25, ' ') + "Tolmerand" + std::string(31, ' '));
    EXPECT_EQ(written_by, std::string(33, ' ') + "Written by" + std::string(31, ' '));
    EXPECT_EQ(credit, std::string(20, ' ') + "Brennoquist");
    ASSERT_GT(rights.size(), 29u);
    EXPECT_EQ(rights.substr(0, 29), std::string(29, ' '));
    EXPECT_NE(rights[29], ' ');
    EXPECT_LE(rights.size(), 80u);
    // Row 15 is exactly 80 columns: left bar, W, " + ", E, right bar.
    EXPECT_EQ(compass_left.size(), 36u);
    EXPECT_EQ(compass_right.size(), 39u);
    EXPECT_EQ(compass_left.size() + 1 + 3 + 1 + compass_right.size(), 80u);
}

}  // namespace
