// The story text of Tolmerand: the introduction, the passages of the actions
// and endings, the nine room descriptions and the fixed lines of the header
// and help screens. Every line is printed on a line of its own; none of them
// is longer than the 80-column screen, and the room descriptions stay within
// 69 columns so they never wrap.
#pragma once
#include <array>
#include <string_view>

namespace game_text {

// Printed once after the first clear, before the first key.
inline constexpr std::array<std::string_view, 5> introduction = {
    "After the breakdown the doctors told you to rest, so you came out here alone",
    "to an old house in the woods, where the pines stand close and nothing stirs",
    "but the light. You came here for peace and quiet, but the quiet talks back,",
    "and day by day, this lonely house is taking apart what is left of your mind.",
    "The trees watch.",
};

// EXAMINE MAN in room 5.
inline constexpr std::array<std::string_view, 3> the_man = {
    "He stands before you without moving at all, a man in a long, white",
    "doctor's coat, with both of his hands buried deep in its pockets. He",
    "never blinks. He only grins, wider than a face should.",
};

// EXAMINE KNIFE.
inline constexpr std::array<std::string_view, 2> the_knife = {
    "Just an average run of the mill butter knife, dull and a bit bent.",
    "Blunt.",
};

// LEAVE TOLMERAND.
inline constexpr std::array<std::string_view, 6> ending_of_leaving = {
    "You awaken to find yourself in a small white room with soft,",
    "padded walls. The doctor from your dream is sitting by you.",
    "\"The treatment is going to plan,\" he says gently. \"You'll be",
    "going home very soon now.\" For the first time in many months,",
    "you smile, and you think of your mother and father and of the",
    "porch light they always leave burning for you.",
};

// USE KNIFE in room 5.
inline constexpr std::array<std::string_view, 4> ending_of_the_knife = {
    "You find yourself not among the trees at all but in a padded cell.",
    "Your hands are slick with blood and the doctor is screaming. You",
    "had taken the pen from his coat pocket and gone for him, over and",
    "over. You will die behind these walls.",
};

// The countdown reaching zero.
inline constexpr std::array<std::string_view, 2> ending_of_time = {
    "You awaken from the dream with a start, not sure where, or who, you are.",
    "\"Hush now,\" a nurse says. \"It was only the medication.\"",
};

// Room descriptions, printed under the header; room 2 has a single line.
inline constexpr std::array<std::string_view, 2> room_1 = {
    "You are standing in the entrance of a small, simple house in the",
    "woods. All you wish for now is a little peace and a little quiet.",
};
inline constexpr std::array<std::string_view, 1> room_2 = {
    "Being barefoot and walking across the hardwood floor feels good.",
};
inline constexpr std::array<std::string_view, 2> room_3 = {
    "It's a shame you never decorated this place. Your father left it to",
    "you so that you could enjoy it, and still the walls stand bare.",
};
inline constexpr std::array<std::string_view, 2> room_4 = {
    "The smell of nature, of pine needles and wet earth, drifts through",
    "every room and every hall, as though the woods had come inside.",
};
inline constexpr std::array<std::string_view, 2> room_5 = {
    "You are standing on the bare boards of a small room. A man stands",
    "here in silence, and you cannot for the life of you think why.",
};
inline constexpr std::array<std::string_view, 2> room_6 = {
    "You hear voices, calling out to one another and breaking into",
    "laughter somewhere close by. You wonder what it could mean.",
};
inline constexpr std::array<std::string_view, 2> room_7 = {
    "You arrive at a turning point. The hallway cuts off towards an empty",
    "room: no kitchen, no lamp, nothing to say that anyone lives here.",
};
inline constexpr std::array<std::string_view, 2> room_8 = {
    "You feel a stabbing pain in the back of your head, sharp and sudden,",
    "as if someone had crept up behind you and struck you. Nobody's there.",
};
inline constexpr std::array<std::string_view, 2> room_9 = {
    "A dead end, nothing here but another white wall. Your heart starts to",
    "race. Why are the walls all so white? Why is everything so white?",
};

// The header's fixed lines (rows 3 to 12 and 18) and the compass bar (row 15).
inline constexpr std::string_view blank_74 =
    "                                                                          ";
inline constexpr std::string_view title =
    "                         Tolmerand                               ";
inline constexpr std::string_view written_by =
    "                                 Written by                               ";
inline constexpr std::string_view credit = "                    Brennoquist";
inline constexpr std::string_view rights =
    "                             (c) 1996 Hollowpine Software";
inline constexpr std::string_view stuck = "If you are stuck just type HELP.";
inline constexpr std::string_view compass_left = "*---------------------------------* ";
inline constexpr std::string_view compass_right = " *------------------------------------*";

// The help screen, rows 1 to 13 (rows 2 and 12 are empty).
inline constexpr std::array<std::string_view, 13> help = {
    "HERE ARE SOME BASIC COMMANDS THAT CAN BE USED IN THE GAME...",
    "",
    "NORTH, EAST ,SOUTH, AND WEST - MOVE TO AN AVAILABLE LOCATION",
    "EXAMINE (OBJECT)             - EXAMINE AN OBJECT",
    "USE (OBJECT)                 - USE AN OBJECT",
    "TAKE (OBJECT)                - TAKE OR MOVE AN OBJECT",
    "INVENTORY                    - VIEW YOUR INVENTORY",
    "DRINK                        - DRINK BEER",
    "UNLOCK                       - UNLOCK DOOR",
    "HELP                         - VIEW THIS SCREEN",
    "END                          - END GAME",
    "",
    "PRESS ANY KEY...",
};

inline constexpr std::string_view press_any_key = "PRESS ANY KEY...";

// The format of the countdown on row 2: minutes, then seconds.
inline constexpr std::string_view countdown_format = " ###:##.###";

}  // namespace game_text
