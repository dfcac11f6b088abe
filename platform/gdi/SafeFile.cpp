#include "platform/gdi/SafeFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

#ifdef _WIN32
// Binary mode: the text mode default would turn CR LF into LF and end the
// file at the first Ctrl-Z. Open files are not handed to child processes.
constexpr int kOpenFlags = O_RDONLY | O_BINARY | O_NOINHERIT;
#else
// O_NONBLOCK keeps the open of a pipe that slipped in from waiting for a
// writer.
constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
#endif

bool IsSmallRegularFile(const struct stat &st, size_t maxBytes) {
    return S_ISREG(st.st_mode) && st.st_size >= 0 && uint64_t(st.st_size) <= maxBytes;
}

} // namespace

int VxOpenRegularFile(const char *path, size_t maxBytes) {
    if (!path || !*path)
        return -1;
    // Looked at before opening, so that a device is never opened at all (an
    // open alone can have effects there); checked again on the descriptor,
    // since the name may have been replaced in between.
    struct stat st {};
    if (::stat(path, &st) != 0 || !IsSmallRegularFile(st, maxBytes))
        return -1;
    const int fd = ::open(path, kOpenFlags);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !IsSmallRegularFile(st, maxBytes)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool VxReadRegularFile(const char *path, size_t maxBytes, std::vector<uint8_t> *out) {
    out->clear();
    const int fd = VxOpenRegularFile(path, maxBytes);
    if (fd < 0)
        return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (ok) {
        // Read the size seen at open, then make sure the file ended there: one
        // that grows meanwhile is read on until it passes the limit.
        out->resize(size_t(st.st_size));
        size_t done = 0;
        for (;;) {
            uint8_t probe[4096];
            const bool intoOut = done < out->size();
            const ssize_t n = intoOut ? ::read(fd, out->data() + done, out->size() - done)
                                      : ::read(fd, probe, sizeof probe);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            if (!intoOut) {
                if (done + size_t(n) > maxBytes) {
                    ok = false;
                    break;
                }
                out->insert(out->end(), probe, probe + n);
            }
            done += size_t(n);
        }
        out->resize(done);
    }
    ::close(fd);
    if (!ok)
        out->clear();
    return ok;
}
