// Test helper: what the game's screens should show, as text rows: the
// header with its compass for each room, the room descriptions, the map of
// the house, and whole pages. Shared by the headless game tests and the
// window tests; the rows compare with FrameText (frame_text.h) read-backs.
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>
#include "game/game_text.h"
#include "tests/support/frame_text.h"

namespace game_expect {

constexpr uint32_t LIGHT_GREY = 0xAAAAAA;
constexpr uint32_t GREEN = 0x00AA00;
constexpr uint32_t BLACK = 0x000000;

// The house: for each room the room reached going north, east, south and
// west (0: no way).
struct Exits {
    int north, east, south, west;
};
inline const std::map<int, Exits> house = {
    {1, {0, 0, 0, 2}}, {2, {0, 1, 3, 0}}, {3, {2, 0, 4, 0}}, {4, {3, 6, 7, 5}}, {5, {0, 4, 0, 0}},
    {6, {0, 0, 0, 4}}, {7, {4, 8, 0, 0}}, {8, {0, 0, 9, 7}}, {9, {8, 0, 0, 0}},
};

inline std::vector<std::string_view> description_of(int room) {
    using namespace game_text;
    switch (room) {
        case 1: return {room_1.begin(), room_1.end()};
        case 2: return {room_2.begin(), room_2.end()};
        case 3: return {room_3.begin(), room_3.end()};
        case 4: return {room_4.begin(), room_4.end()};
        case 5: return {room_5.begin(), room_5.end()};
        case 6: return {room_6.begin(), room_6.end()};
        case 7: return {room_7.begin(), room_7.end()};
        case 8: return {room_8.begin(), room_8.end()};
        case 9: return {room_9.begin(), room_9.end()};
    }
    return {};
}

inline std::string trimmed(std::string_view s) {
    size_t end = s.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string() : std::string(s.substr(0, end + 1));
}

// Rows 1 to 19 of the header for a room, trailing spaces removed; row 2 is
// left out (empty here): it holds the countdown while a command is typed.
inline std::vector<std::string> header_rows(int room) {
    const Exits& e = house.at(room);
    std::string blank;
    std::vector<std::string> rows = {
        blank,
        blank,
        blank,
        blank,
        blank,
        std::string(25, ' ') + "Tolmerand",
        blank,
        std::string(33, ' ') + "Written by",
        blank,
        std::string(20, ' ') + "Brennoquist",
        blank,
        trimmed(game_text::rights),
        blank,
        e.north ? std::string(38, ' ') + "N" : blank,
        "*---------------------------------* " + std::string(e.west ? "W" : " ") + " + " +
            std::string(e.east ? "E" : " ") + " *------------------------------------*",
        e.south ? std::string(38, ' ') + "S" : blank,
        blank,
        "If you are stuck just type HELP.",
        blank,
    };
    return rows;
}

// The whole screen of a room at the prompt, rows 1 to 30 trimmed, with the
// typed line after "> " (row 2 left empty; see header_rows).
inline std::vector<std::string> room_screen(int room, std::string_view typed = "") {
    std::vector<std::string> rows = header_rows(room);
    for (std::string_view line : description_of(room)) rows.emplace_back(line);
    rows.push_back(trimmed("> " + std::string(typed)));
    rows.resize(30);
    return rows;
}

// The screen's rows 1 to 30 trimmed, with row 2 emptied.
inline std::vector<std::string> rows_without_countdown(const FrameText& screen) {
    std::vector<std::string> rows;
    for (int r = 1; r <= 30; r++) rows.push_back(r == 2 ? std::string() : screen.row(r, true));
    return rows;
}

// Rows 1 to 30 trimmed.
inline std::vector<std::string> all_rows(const FrameText& screen) {
    std::vector<std::string> rows;
    for (int r = 1; r <= 30; r++) rows.push_back(screen.row(r, true));
    return rows;
}

// A screen of the given lines from row 1, the rest empty.
inline std::vector<std::string> page(std::vector<std::string> lines) {
    lines.resize(30);
    return lines;
}

template <size_t N>
std::vector<std::string> lines_of(const std::array<std::string_view, N>& passage) {
    return {passage.begin(), passage.end()};
}

// The countdown: row 2 from column 32, trailing spaces removed.
inline std::string countdown_of(const FrameText& screen) {
    std::string row = screen.row(2, true);
    return row.size() > 31 ? row.substr(31) : std::string();
}

// True when row 2 shows the countdown ("mmm:ss.sss" from column 32).
inline bool shows_countdown(const FrameText& screen) {
    std::string countdown = countdown_of(screen);
    return countdown.find(':') != std::string::npos && countdown.find('.') != std::string::npos;
}

}  // namespace game_expect
