// Open-file-description byte-range locks (fcntl F_OFD_SETLK and F_OFD_GETLK), which the
// framework's files and share modes stand on.
#pragma once

#include <fcntl.h>

namespace platform::mfc {

// fcntl(fd, command, record) for F_OFD_SETLK and F_OFD_GETLK. The web build's file
// system has no locks: there they are kept in a table of the process, which is all
// there is to exclude.
int RangeLock(int fd, int command, struct flock* record);

}  // namespace platform::mfc
