// layout_probe.cpp -- writes the Python module the end-to-end tests read the game's layout from:
// the globals they read from the running game's memory (the names nm shows, their sizes and how
// to decode them), the structs' sizes and field offsets, the counts, the modes, turns and
// moments, the sounds in the order of their codes, the board's geometry and the files' names.
// Everything is taken from the game's own headers and functions, so a global renamed, a field
// moved or a sound added changes the module or breaks this program's build; nothing is copied
// by hand into the tests.
//
// Usage: quarzil_e2e_layout OUTPUT.py
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "game/game.h"
#include "render/font.h"
#include "render/view.h"
#include "shell/shell.h"
#include "sound/sound.h"
#include "storage/score_rows.h"

namespace {

using namespace quarzil;

// Python's struct code for a field of type T, in standard sizes ("<").
template <typename T>
char code_of()
{
    using U = std::remove_cv_t<std::remove_all_extents_t<T>>;
    if constexpr (std::is_same_v<U, std::atomic<bool>>) {
        static_assert(sizeof(U) == 1, "an atomic bool is read as one byte");
        return '?';
    } else if constexpr (std::is_same_v<U, bool>) {
        return '?';
    } else if constexpr (std::is_same_v<U, char>) {
        return 's';
    } else if constexpr (std::is_same_v<U, float>) {
        static_assert(sizeof(U) == 4);
        return 'f';
    } else if constexpr (std::is_pointer_v<U>) {
        return sizeof(U) == 8 ? 'Q' : 'I';
    } else if constexpr (std::is_enum_v<U>) {
        static_assert(sizeof(U) == 4, "enums are read as four bytes");
        return std::is_signed_v<std::underlying_type_t<U>> ? 'i' : 'I';
    } else if constexpr (std::is_integral_v<U>) {
        static_assert(sizeof(U) == 4, "integers are read as four bytes");
        return std::is_signed_v<U> ? 'i' : 'I';
    } else {
        static_assert(sizeof(U) == 0, "a field of a type the tests cannot decode");
    }
}

// One field of a struct as the tests decode it.
struct Field {
    const char* name;
    std::size_t offset;
    std::size_t size;
    char code;
};

#define FIELD(type, member) \
    Field { #member, offsetof(type, member), sizeof(type::member), code_of<decltype(type::member)>() }

// A struct format for Python's struct module that decodes the named fields of a struct of size
// bytes, laid out as the compiler laid it out, and skips every other byte.
std::string struct_format(std::size_t size, const std::vector<Field>& fields)
{
    std::string format = "<";
    std::size_t at = 0;
    for (const Field& field : fields) {
        if (field.offset < at) {
            std::fprintf(stderr, "quarzil_e2e_layout: field %s overlaps the one before\n", field.name);
            std::exit(1);
        }
        if (field.offset > at)
            format += std::to_string(field.offset - at) + "x";
        if (field.code == 's')
            format += std::to_string(field.size) + "s";
        else
            format += field.code;
        at = field.offset + field.size;
    }
    if (size > at)
        format += std::to_string(size - at) + "x";
    return format;
}

// A double as Python writes a float: with its point, so that it reads back as a float.
std::string python_float(double value)
{
    char digits[40];
    std::snprintf(digits, sizeof digits, "%.17g", value);
    std::string text = digits;
    if (text.find_first_of(".en") == std::string::npos)
        text += ".0";
    return text;
}

std::string field_names(const std::vector<Field>& fields)
{
    std::string names = "(";
    for (const Field& field : fields)
        names += "\"" + std::string(field.name) + "\", ";
    return names + ")";
}

// A global the tests read by its name: taking its address makes a renamed one fail to build.
struct Global {
    const char* key;        // the tests' name for it
    const char* symbol;     // its name in the game's symbol table, as nm -C shows it
    std::size_t size;
    std::string format;     // how a scalar decodes; empty for an array or struct
    const void* address;
};

template <typename T>
std::string scalar_format()
{
    if constexpr (std::is_array_v<T> || std::is_class_v<T>) {
        if constexpr (std::is_same_v<T, std::atomic<bool>>)
            return "<?";
        else
            return "";
    } else {
        return std::string("<") + code_of<T>();
    }
}

#define GLOBAL(name) \
    Global { #name, "quarzil::" #name, sizeof(quarzil::name), scalar_format<decltype(quarzil::name)>(), &quarzil::name }

// The file name score_path makes in a home, and the longest home it still makes a path for.
void score_file_names(std::string& file, int& longest_home)
{
    char path[path_capacity];
    setenv("HOME", "/h", 1);
    score_path(path);
    if (std::strncmp(path, "/h/", 3) != 0 || path[3] == '\0') {
        std::fprintf(stderr, "quarzil_e2e_layout: score_path gave %s in the home /h\n", path);
        std::exit(1);
    }
    file = path + 3;
    longest_home = 0;
    for (int length = 1; length < path_capacity; ++length) {
        const std::string home = "/" + std::string(length - 1, 'h');
        setenv("HOME", home.c_str(), 1);
        score_path(path);
        if (path[0] != '\0')
            longest_home = length;
    }
}

// The relaxed game's score file within a data folder ($XDG_DATA_HOME).
std::string relaxed_file_name()
{
    char path[path_capacity];
    setenv("XDG_DATA_HOME", "/d", 1);
    type_score_path(path, TYPE_RELAXED);
    unsetenv("XDG_DATA_HOME");
    if (std::strncmp(path, "/d/", 3) != 0 || path[3] == '\0') {
        std::fprintf(stderr, "quarzil_e2e_layout: type_score_path gave %s in the data folder /d\n", path);
        std::exit(1);
    }
    return path + 3;
}

// The names of the sounds' codes, each with the code the game gives it.
struct NamedSound {
    const char* name;
    int code;
};
constexpr NamedSound named_sounds[] = {
#include "e2e_sound_names.inc"
};
static_assert(std::size(named_sounds) == static_cast<std::size_t>(sound_count),
              "every sound of the list is named once");

}  // namespace

int main(int argument_count, char** arguments)
{
    if (argument_count != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.py\n", arguments[0]);
        return 1;
    }

    const Global globals[] = {
        GLOBAL(board),     GLOBAL(score_table), GLOBAL(game_mode), GLOBAL(turn_state), GLOBAL(moment),
        GLOBAL(score),     GLOBAL(table_row),   GLOBAL(table_top), GLOBAL(clock_time), GLOBAL(sound_bank),
        GLOBAL(sound_off), GLOBAL(paused),      GLOBAL(hover_row), GLOBAL(hover_col),  GLOBAL(gem_taken),
        GLOBAL(taken_row), GLOBAL(taken_col),   GLOBAL(pad_count), GLOBAL(font_texture), GLOBAL(game_type),
        GLOBAL(swapped_this_game),
    };

    const std::vector<Field> cell_fields = {FIELD(Cell, kind), FIELD(Cell, angle)};
    const std::vector<Field> entry_fields = {FIELD(ScoreEntry, name), FIELD(ScoreEntry, score),
                                             FIELD(ScoreEntry, level)};
    const std::vector<Field> moment_fields = {FIELD(Moment, kind), FIELD(Moment, value), FIELD(Moment, ticks_left)};
    const std::vector<Field> sample_fields = {FIELD(SoundSample, blocks)};

    std::string score_file;
    int longest_home = 0;
    score_file_names(score_file, longest_home);
    const std::string relaxed_file = relaxed_file_name();
    const char* font_file = std::strrchr(FONT_PATH, '/');
    font_file = font_file ? font_file + 1 : FONT_PATH;

    std::string text =
        "\"\"\"quarzil_layout.py -- made by the build (quarzil_e2e_layout) from the game's headers: what the\n"
        "end-to-end tests know of the game's memory, its counts, its board's geometry and its files.\n"
        "Do not edit: the build writes it anew whenever the game's sources change. tests/e2e keeps a copy\n"
        "for the package's own tests, which run without a build; e2e_layout fails while the two differ.\"\"\"\n\n";
    char line[512];
    auto add = [&](const char* format, auto... values) {
        std::snprintf(line, sizeof line, format, values...);
        text += line;
    };

    text += "# The globals read from the running game: the tests' name -> (symbol, size, scalar format or None).\n";
    text += "GLOBALS = {\n";
    for (const Global& global : globals) {
        const std::string format = global.format.empty() ? "None" : "\"" + global.format + "\"";
        add("    \"%s\": (\"%s\", %zu, %s),\n", global.key, global.symbol, global.size, format.c_str());
    }
    text += "}\n\n";

    text += "# Structs in memory: a struct format for Python's struct module and the names of its fields.\n";
    add("CELL = (\"%s\", %s)\n", struct_format(sizeof(Cell), cell_fields).c_str(), field_names(cell_fields).c_str());
    add("SCORE_ENTRY = (\"%s\", %s)\n", struct_format(sizeof(ScoreEntry), entry_fields).c_str(),
        field_names(entry_fields).c_str());
    add("MOMENT = (\"%s\", %s)\n", struct_format(sizeof(Moment), moment_fields).c_str(),
        field_names(moment_fields).c_str());
    add("SOUND_SAMPLE = (\"%s\", %s)\n\n", struct_format(sizeof(SoundSample), sample_fields).c_str(),
        field_names(sample_fields).c_str());

    text += "# Counts.\n";
    add("BOARD_SIZE = %d\nGEM_KINDS = %d\nTABLE_ROWS = %d\nTABLE_SHOWN = %d\nNAME_CAPACITY = %d\n", board_size,
        gem_kinds, table_rows, table_shown, name_capacity);
    add("SOUND_COUNT = %d\nMOMENT_TICKS = %d\nHINT_IDLE_TICKS = %d\nSWAP_TICKS = %d\n\n", sound_count, moment_ticks,
        hint_idle_ticks, swap_ticks);

    text += "# Modes, turn states, moments and game types, by their names in the game.\n";
    add("MODE_OVER, MODE_PLAY, MODE_NAME_ENTRY = %d, %d, %d\n", MODE_OVER, MODE_PLAY, MODE_NAME_ENTRY);
    add("TURN_SETTLE, TURN_IDLE, TURN_SWAP, TURN_SWAP_BACK, TURN_VANISH, TURN_FALL = %d, %d, %d, %d, %d, %d\n",
        TURN_SETTLE, TURN_IDLE, TURN_SWAP, TURN_SWAP_BACK, TURN_VANISH, TURN_FALL);
    add("MOMENT_NONE, MOMENT_CHAIN, MOMENT_NO_MOVES, MOMENT_LEVEL, MOMENT_HIGH_SCORE, MOMENT_TIMES_UP, "
        "MOMENT_OUT_OF_MOVES = %d, %d, %d, %d, %d, %d, %d\n",
        MOMENT_NONE, MOMENT_CHAIN, MOMENT_NO_MOVES, MOMENT_LEVEL, MOMENT_HIGH_SCORE, MOMENT_TIMES_UP,
        MOMENT_OUT_OF_MOVES);
    add("TYPE_TIMED, TYPE_RELAXED = %d, %d\n\n", TYPE_TIMED, TYPE_RELAXED);

    text += "# The sounds in the order of their codes: the code's name and the file the bank loads.\n";
    text += "SOUNDS = [\n";
    for (const NamedSound& sound : named_sounds)
        add("    (\"%s\", \"%s\"),\n", sound.name, sound_file_names[sound.code]);
    text += "]\n";
    text += "# Samples a second of the files and the mixer, samples of a mixer buffer and of a bank block, and\n"
            "# bytes of a sample in a file.\n";
    add("SAMPLE_RATE = %d\nBLOCK_SAMPLES = %d\nSAMPLE_BYTES = %zu\n\n", sample_rate, block_samples,
        sizeof(*SoundSample{}.pcm));

    text += "# Time and the window.\n";
    add("TICK_SECONDS = %s\n", python_float(tick_microseconds / 1e6).c_str());
    add("PAD_SCAN_SECONDS = %s\n", python_float(pad_scan_interval / 1e3).c_str());
    add("START_SIZE = (%d, %d)\n\n", start_width, start_height);

    text += "# Where the board lies in the world: on the plane z = 0, seen from the camera's distance.\n";
    add("SQUARE_SIZE = %s\nBOARD_SHIFT = %s\nCAMERA_DISTANCE = %s\n\n", python_float(square_size).c_str(),
        python_float(board_shift).c_str(), python_float(camera_distance).c_str());

    text += "# Files: the font image's and the score file's names, the longest HOME the score file fits in, and\n"
            "# the relaxed game's score file within the data folder ($XDG_DATA_HOME).\n";
    add("FONT_FILE = \"%s\"\nSCORE_FILE = \"%s\"\nLONGEST_HOME = %d\n", font_file, score_file.c_str(), longest_home);
    add("RELAXED_SCORE_FILE = \"%s\"\n", relaxed_file.c_str());

    std::FILE* output = std::fopen(arguments[1], "w");
    if (!output || std::fputs(text.c_str(), output) == EOF || std::fclose(output) != 0) {
        std::fprintf(stderr, "quarzil_e2e_layout: cannot write %s\n", arguments[1]);
        return 1;
    }
    return 0;
}
