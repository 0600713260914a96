// files.h -- reading the files the game loads (the score file, the font image, the sounds): only
// regular files, opened without waiting, read whole up to a limit or byte by byte; and the
// decimal numbers their text holds
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace quarzil {

constexpr int reader_buffer_bytes = 2048;   // a ByteReader's buffer: one read() per refill

// Opens path for reading. O_NONBLOCK keeps open itself from waiting for a writer when path is a
// named pipe; anything but a regular file (a directory, a pipe, a device such as /dev/zero) is
// refused before a byte is read, its size meaning nothing and reading it failing or waiting.
// Returns the descriptor with status filled from it, or -1 with errno set: EINVAL for a path
// that opens but is not a regular file.
int open_regular_file(const char* path, struct stat& status);

struct FreeBytes {
    void operator()(char* bytes) const { std::free(bytes); }
};

// A file's bytes, or why there are none.
struct FileBytes {
    std::unique_ptr<char, FreeBytes> bytes;   // size bytes; null on failure
    long size = 0;                            // bytes read
    int error = 0;                            // 0, or the errno of the failure
    struct stat status {};                    // the file's, as it was opened
};

// Reads the regular file at path from its start to its end, or to its first limit bytes when it
// is longer. A read error ends the bytes as the end of the file would. Fails (error set, no
// bytes) as open_regular_file does, and with ENOMEM when the memory cannot be had.
FileBytes read_regular_file(const char* path, long limit);

// Reads a descriptor byte by byte through a buffer of its own, with one read() per refill.
struct ByteReader {
    int fd = -1;                             // the open file, the caller's to close
    uint8_t buffer[reader_buffer_bytes];     // the bytes of the last read()
    int count = 0;                           // bytes left in buffer; negative after a read error
    int next = 0;                            // index of the next byte in buffer
};

// Points reader at fd, with its buffer empty.
void start_reading(ByteReader& reader, int fd);

// The next byte of the reader's descriptor (0..255), or -1 at the end of the file or after a
// read error. After an end of file every call tries read() again; after a read error no read()
// is tried until start_reading.
int read_byte(ByteReader& reader);

// Reads up to, not including, the next newline (consumed, not stored) or the end of the file,
// and stores it with a terminating 0 byte. capacity (at least 1) is the size of buffer: a
// longer line keeps its first capacity - 1 bytes and the rest of it is read and dropped.
// Returns the count of bytes stored before the terminating 0, which a 0 byte within the line
// does not end.
int read_line(ByteReader& reader, char* buffer, int capacity);

// White space as scanf knows it in the C locale: space, tab, newline, vertical tab, form feed,
// carriage return.
constexpr bool is_blank(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads a decimal int from text[position] on, as scanf's "%d" does: skips white space, then
// takes an optional sign and the decimal digits after it; bytes from length on are not read.
// Returns true with value set and position just past the digits. Returns false, value
// untouched, when no digit follows (position is then past the white space and the sign) or the
// number does not fit an int (position is then past all its digits).
bool read_int(const char* text, long length, long& position, int& value);

}  // namespace quarzil
