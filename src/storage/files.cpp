// files.cpp -- regular files opened, read whole or byte by byte, and decimal numbers read
#include "storage/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace quarzil {

namespace {

constexpr long first_capacity = 4096;   // bytes read_regular_file starts with; it doubles from there

bool is_digit(int c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

int open_regular_file(const char* path, struct stat& status)
{
    const int descriptor = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return -1;
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(descriptor);
        errno = EINVAL;
        return -1;
    }
    return descriptor;
}

FileBytes read_regular_file(const char* path, long limit)
{
    FileBytes file;
    struct stat& status = file.status;
    const int descriptor = open_regular_file(path, status);
    if (descriptor < 0) {
        file.error = errno;
        return file;
    }
    // The size is only where to start: a file may grow while it is read, and some (those under
    // /proc) say 0 and still have bytes. One byte more than the size sees the end at once.
    long capacity = status.st_size < limit ? static_cast<long>(status.st_size) + 1 : limit;
    if (capacity < first_capacity) capacity = limit < first_capacity ? limit : first_capacity;
    char* bytes = nullptr;
    long size = 0;
    for (;;) {
        if (bytes == nullptr || size == capacity) {
            if (bytes != nullptr && capacity == limit) break;
            const long wanted = bytes == nullptr ? capacity : (capacity > limit / 2 ? limit : capacity * 2);
            char* const grown = static_cast<char*>(std::realloc(bytes, static_cast<size_t>(wanted > 0 ? wanted : 1)));
            if (grown == nullptr) {
                std::free(bytes);
                close(descriptor);
                file.error = ENOMEM;
                return file;
            }
            bytes = grown;
            capacity = wanted;
            if (capacity == 0) break;
        }
        const ssize_t got = read(descriptor, bytes + size, static_cast<size_t>(capacity - size));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        size += got;
    }
    close(descriptor);
    file.bytes.reset(bytes);
    file.size = size;
    return file;
}

void start_reading(ByteReader& reader, int fd)
{
    reader.fd = fd;
    reader.count = 0;
    reader.next = 0;
}

int read_byte(ByteReader& reader)
{
    if (reader.count == 0) {
        reader.count = static_cast<int>(read(reader.fd, reader.buffer, sizeof reader.buffer));
        reader.next = 0;
    }
    if (reader.count < 1) return -1;
    --reader.count;
    return reader.buffer[reader.next++];
}

int read_line(ByteReader& reader, char* buffer, int capacity)
{
    int stored = 0;
    for (int byte = read_byte(reader); byte != -1 && byte != '\n'; byte = read_byte(reader)) {
        if (stored < capacity - 1) buffer[stored++] = static_cast<char>(byte);
    }
    buffer[stored] = 0;
    return stored;
}

bool read_int(const char* text, long length, long& position, int& value)
{
    const auto at = [&](long index) { return index < length ? static_cast<unsigned char>(text[index]) : -1; };
    while (is_blank(at(position))) ++position;
    bool negative = false;
    if (at(position) == '+' || at(position) == '-') {
        negative = at(position) == '-';
        ++position;
    }
    if (!is_digit(at(position))) return false;
    // No int has a magnitude above 2^31 (that of INT_MIN), so the magnitude stops growing once
    // it is past that; it stays below 2^31 * 10 + 10, well inside a long long.
    constexpr long long largest_magnitude = -static_cast<long long>(INT_MIN);
    long long magnitude = 0;
    for (; is_digit(at(position)); ++position) {
        if (magnitude <= largest_magnitude) magnitude = magnitude * 10 + (at(position) - '0');
    }
    const long long signed_value = negative ? -magnitude : magnitude;
    if (signed_value < INT_MIN || signed_value > INT_MAX) return false;
    value = static_cast<int>(signed_value);
    return true;
}

}  // namespace quarzil
