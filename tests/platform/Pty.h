#pragma once
// A pseudo-terminal pair for the port tests: the port under test opens the slave by its
// "pts/N" name; the test plays the drive on the master. A slave descriptor of the test's own
// stays open so the master never sees EIO while the port is closed.
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <termios.h>
#include <unistd.h>

struct Pty {
    int master = -1;
    int slave = -1;
    std::string name;  // relative to /dev

    Pty()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            return;
        char path[128] = {};
        if (ptsname_r(master, path, sizeof path) != 0)
            return;
        slave = ::open(path, O_RDWR | O_NOCTTY | O_CLOEXEC);
        name = std::string(path).substr(5);
    }
    ~Pty()
    {
        close_master();
        if (slave >= 0)
            ::close(slave);
    }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master >= 0 && slave >= 0; }

    void close_master()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    bool send(const std::string& bytes) const
    {
        return ::write(master, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    }

    // Reads from the master until `n` bytes arrived or `timeout_ms` passed.
    std::string receive(size_t n, int timeout_ms) const
    {
        std::string out;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        while (out.size() < n && std::chrono::steady_clock::now() < end) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0)
                continue;
            char buf[256];
            const ssize_t got = ::read(master, buf, sizeof buf);
            if (got > 0)
                out.append(buf, static_cast<size_t>(got));
        }
        return out;
    }
};
