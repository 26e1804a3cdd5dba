#pragma once
// A folder on a full or read-only file system, for the save tests. As root: a 64 KiB tmpfs
// mounted for the test, filled to the last byte by fill() or made read-only by protect(). Without
// the right to mount: a plain temporary folder, and fill() makes the saves' write system call
// fail with ENOSPC.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "platform/Savefile.h"

class FullDisk {
public:
    FullDisk()
    {
        char tmpl[] = "/tmp/pendrix-full-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr)
            return;
        folder_ = tmpl;
        mounted_ = ::geteuid() == 0 && ::mount("tmpfs", tmpl, "tmpfs", 0, "size=64k") == 0;
    }
    ~FullDisk()
    {
        Savefile_set_write_call(nullptr);
        if (mounted_)
            ::umount2(folder_.c_str(), MNT_DETACH);
        else if (!folder_.empty() && ::chmod(folder_.c_str(), 0700) == 0)
            std::system(("rm -rf '" + folder_ + "'").c_str());
        if (mounted_)
            ::rmdir(folder_.c_str());
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool ready() const { return !folder_.empty(); }
    bool real() const { return mounted_; }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

    // No byte more fits.
    void fill()
    {
        if (!mounted_) {
            Savefile_set_write_call([](int, const void*, std::size_t) -> ssize_t {
                errno = ENOSPC;
                return -1;
            });
            return;
        }
        const int fd = ::open(file(".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        static const char block[4096] = {};
        std::size_t chunk = sizeof block;
        while (fd >= 0 && chunk > 0) {
            if (::write(fd, block, chunk) < 0)
                chunk /= 2;  // down to the last byte
        }
        if (fd >= 0)
            ::close(fd);
    }

    // Nothing can be made or replaced in the folder any more; returns the errno a save meets. As
    // root, whom permissions do not stop, the file system is made read-only; without the right to
    // mount the folder loses its write permission (and for root the saves' write fails).
    int protect()
    {
        if (mounted_) {
            ::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, "size=64k");
            return EROFS;
        }
        ::chmod(folder_.c_str(), 0555);
        if (::geteuid() == 0)
            Savefile_set_write_call([](int, const void*, std::size_t) -> ssize_t {
                errno = EACCES;
                return -1;
            });
        return EACCES;
    }

    // Room again.
    void drain()
    {
        Savefile_set_write_call(nullptr);
        ::unlink(file(".filler").c_str());
    }

private:
    std::string folder_;
    bool mounted_ = false;
};
