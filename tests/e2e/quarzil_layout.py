"""quarzil_layout.py -- made by the build (quarzil_e2e_layout) from the game's headers: what the
end-to-end tests know of the game's memory, its counts, its board's geometry and its files.
Do not edit: the build writes it anew whenever the game's sources change. tests/e2e keeps a copy
for the package's own tests, which run without a build; e2e_layout fails while the two differ."""

# The globals read from the running game: the tests' name -> (symbol, size, scalar format or None).
GLOBALS = {
    "board": ("quarzil::board", 2816, None),
    "score_table": ("quarzil::score_table", 2000, None),
    "game_mode": ("quarzil::game_mode", 4, "<i"),
    "turn_state": ("quarzil::turn_state", 4, "<i"),
    "moment": ("quarzil::moment", 12, None),
    "score": ("quarzil::score", 4, "<i"),
    "table_row": ("quarzil::table_row", 4, "<i"),
    "table_top": ("quarzil::table_top", 4, "<i"),
    "clock_time": ("quarzil::clock_time", 4, "<f"),
    "sound_bank": ("quarzil::sound_bank", 112, None),
    "sound_off": ("quarzil::sound_off", 1, "<?"),
    "paused": ("quarzil::paused", 1, "<?"),
    "hover_row": ("quarzil::hover_row", 4, "<i"),
    "hover_col": ("quarzil::hover_col", 4, "<i"),
    "gem_taken": ("quarzil::gem_taken", 1, "<?"),
    "taken_row": ("quarzil::taken_row", 4, "<i"),
    "taken_col": ("quarzil::taken_col", 4, "<i"),
    "pad_count": ("quarzil::pad_count", 4, "<i"),
    "font_texture": ("quarzil::font_texture", 4, "<I"),
    "game_type": ("quarzil::game_type", 4, "<i"),
    "swapped_this_game": ("quarzil::swapped_this_game", 1, "<?"),
}

# Structs in memory: a struct format for Python's struct module and the names of its fields.
CELL = ("<i12xf24x", ("kind", "angle", ))
SCORE_ENTRY = ("<12sii", ("name", "score", "level", ))
MOMENT = ("<iii", ("kind", "value", "ticks_left", ))
SOUND_SAMPLE = ("<8xi4x", ("blocks", ))

# Counts.
BOARD_SIZE = 8
GEM_KINDS = 7
TABLE_ROWS = 100
TABLE_SHOWN = 10
NAME_CAPACITY = 12
SOUND_COUNT = 7
MOMENT_TICKS = 100
HINT_IDLE_TICKS = 500
SWAP_TICKS = 19

# Modes, turn states, moments and game types, by their names in the game.
MODE_OVER, MODE_PLAY, MODE_NAME_ENTRY = 0, 1, 2
TURN_SETTLE, TURN_IDLE, TURN_SWAP, TURN_SWAP_BACK, TURN_VANISH, TURN_FALL = 0, 1, 2, 3, 4, 5
MOMENT_NONE, MOMENT_CHAIN, MOMENT_NO_MOVES, MOMENT_LEVEL, MOMENT_HIGH_SCORE, MOMENT_TIMES_UP, MOMENT_OUT_OF_MOVES = 0, 1, 2, 3, 4, 5, 6
TYPE_TIMED, TYPE_RELAXED = 0, 1

# The sounds in the order of their codes: the code's name and the file the bank loads.
SOUNDS = [
    ("SND_ROW", "row.raw"),
    ("SND_DROP", "drop.raw"),
    ("SND_BIGDROP", "bigdrop.raw"),
    ("SND_SWAP", "swap.raw"),
    ("SND_GAMEOVER", "gameover.raw"),
    ("SND_ALERT", "alert.raw"),
    ("SND_ILLEGAL", "illegal.raw"),
]
# Samples a second of the files and the mixer, samples of a mixer buffer and of a bank block, and
# bytes of a sample in a file.
SAMPLE_RATE = 22050
BLOCK_SAMPLES = 1024
SAMPLE_BYTES = 2

# Time and the window.
TICK_SECONDS = 0.02
PAD_SCAN_SECONDS = 2.0
START_SIZE = (800, 600)

# Where the board lies in the world: on the plane z = 0, seen from the camera's distance.
SQUARE_SIZE = 1.76
BOARD_SHIFT = 3.0
CAMERA_DISTANCE = 40.0

# Files: the font image's and the score file's names, the longest HOME the score file fits in, and
# the relaxed game's score file within the data folder ($XDG_DATA_HOME).
FONT_FILE = "bigfont.ppm"
SCORE_FILE = ".quarzilscores"
LONGEST_HOME = 240
RELAXED_SCORE_FILE = "quarzil/relaxed-scores"
