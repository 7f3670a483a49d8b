#include "base/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <vector>

namespace quillon {
namespace {

// Holds back SIGINT, SIGTERM and SIGHUP for the calling thread while it lives.
class SignalsDeferred {
  public:
    SignalsDeferred() {
        sigset_t signals;
        sigemptyset(&signals);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            sigaddset(&signals, signal);
        }
        pthread_sigmask(SIG_BLOCK, &signals, &previous_);
    }
    ~SignalsDeferred() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    SignalsDeferred(const SignalsDeferred&) = delete;
    SignalsDeferred& operator=(const SignalsDeferred&) = delete;

  private:
    sigset_t previous_{};
};

}  // namespace

bool writeFileAtomically(const std::string& path, std::string_view content) {
    if (path.empty()) {
        return false;
    }
    // An interrupt or a termination request while the temporary file exists would leave it
    // behind: they wait until it is renamed or removed, and then take their usual effect.
    const SignalsDeferred deferred;
    std::string pattern = path + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        return false;
    }
    // mkstemp creates the file readable by the owner only; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);

    bool ok = true;
    size_t done = 0;
    while (ok && done < content.size()) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ok = false;
        } else {
            done += static_cast<size_t>(n);
        }
    }
    if (ok && ::fsync(fd) != 0) {
        ok = false;
    }
    if (::close(fd) != 0) {
        ok = false;
    }
    if (ok && std::rename(name.data(), path.c_str()) != 0) {
        ok = false;
    }
    if (!ok) {
        ::unlink(name.data());
    }
    return ok;
}

}  // namespace quillon
