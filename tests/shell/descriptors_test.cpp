// descriptors_test.cpp -- closed standard descriptors opened on /dev/null at start-up
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "shell/shell.h"

namespace quarzil {
namespace {

// In a child: closes the descriptors whose bits are set in `closed`, runs
// open_standard_descriptors, then opens a file. Exit status: bit d set when descriptor d is
// not /dev/null afterwards, bit 3 when the file took a standard descriptor, bit 4 when the
// call reported a failure.
int run_child(int closed)
{
    const pid_t child = fork();
    if (child == 0) {
        struct stat null_device;
        if (stat("/dev/null", &null_device) != 0)
            _exit(127);
        for (int descriptor = 0; descriptor <= 2; ++descriptor)
            if (closed & (1 << descriptor))
                close(descriptor);
        int status = open_standard_descriptors() ? 0 : 16;
        for (int descriptor = 0; descriptor <= 2; ++descriptor) {
            struct stat opened;
            const bool on_null = fstat(descriptor, &opened) == 0 && opened.st_rdev == null_device.st_rdev &&
                                 S_ISCHR(opened.st_mode);
            const bool was_closed = closed & (1 << descriptor);
            if (was_closed && !on_null)
                status |= 1 << descriptor;
        }
        if (open("/dev/zero", O_RDONLY) <= 2)
            status |= 8;
        _exit(status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StandardDescriptors, ClosedOnesAreOpenedOnTheNullDeviceAndLaterFilesGoAboveThem)
{
    // Every combination of closed standard descriptors, none to all three.
    for (int closed = 0; closed < 8; ++closed)
        EXPECT_EQ(run_child(closed), 0) << "closed set " << closed
                                        << ": bits 0-2 a descriptor not on /dev/null, 3 a file on a standard "
                                           "descriptor, 4 a failure reported";
}

}  // namespace
}  // namespace quarzil
