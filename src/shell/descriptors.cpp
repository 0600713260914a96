// descriptors.cpp -- standard input, output and error kept on files of their own
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

#include "shell/shell.h"

namespace quarzil {

bool open_standard_descriptors()
{
    for (int descriptor = STDIN_FILENO; descriptor <= STDERR_FILENO; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open takes the lowest free descriptor: this one, since those below it are open.
        const int opened = open("/dev/null", O_RDWR);
        if (opened != descriptor) {
            if (opened >= 0)
                close(opened);
            return false;
        }
    }
    return true;
}

}  // namespace quarzil
