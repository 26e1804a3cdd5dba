#include "platform/Savefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/Msgbox.h"

namespace fs = std::filesystem;

namespace {

std::atomic<Savefile_write_call> write_call{nullptr};

ssize_t do_write(int fd, const void* data, std::size_t size)
{
    const Savefile_write_call fn = write_call.load();
    return fn != nullptr ? fn(fd, data, size) : ::write(fd, data, size);
}

int write_all(int fd, const uint8_t* data, std::size_t len)
{
    while (len > 0) {
        const ssize_t w = do_write(fd, data, len);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return errno != 0 ? errno : EIO;
        }
        if (w == 0)
            return ENOSPC;
        data += w;
        len -= static_cast<std::size_t>(w);
    }
    return 0;
}

// A new, unique temporary file beside target; -1 (errno set) on failure.
int open_temp_beside(const fs::path& target, fs::path& temp)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter.fetch_add(1));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

int sync_folder(const fs::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

// The file a save replaces: absolute, a link followed, its folder present.
int resolve_target(const fs::path& path, fs::path& target)
{
    std::error_code ec;
    target = fs::absolute(path, ec);
    if (ec)
        return ec.value();
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        target = fs::weakly_canonical(target, ec);
        if (ec)
            return ec.value();
    }
    if (!target.has_filename())
        return EISDIR;
    const fs::path folder = target.parent_path();
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (ec)
            return ec.value();
    }
    return 0;
}

int write_temp(int fd, const void* data, std::size_t size, const struct stat* keep)
{
    int err = write_all(fd, static_cast<const uint8_t*>(data), size);
    if (err == 0 && keep != nullptr && ::fchmod(fd, keep->st_mode & 07777) != 0)
        err = errno;
    if (err == 0 && ::fsync(fd) != 0)
        err = errno;
    return err;
}

}  // namespace

int Savefile_write(const fs::path& path, const void* data, std::size_t size)
{
    if (size > 0 && data == nullptr)
        return EINVAL;
    fs::path target;
    if (const int err = resolve_target(path, target); err != 0)
        return err;
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        return S_ISDIR(old.st_mode) ? EISDIR : EINVAL;

    fs::path temp;
    const int fd = open_temp_beside(target, temp);
    if (fd < 0)
        return errno;
    int err = write_temp(fd, data, size, exists ? &old : nullptr);
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0)
        err = errno;
    if (err != 0) {
        ::unlink(temp.c_str());
        return err;
    }
    return sync_folder(target.parent_path());
}

int Savefile_read(const fs::path& path, std::vector<uint8_t>& out, std::size_t max)
{
    out.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    // Non-blocking: a pipe put in its place after the check must not hang the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = EINVAL;
    else if (static_cast<std::size_t>(st.st_size) > max)
        err = EFBIG;
    uint8_t buf[4096];
    while (err == 0) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            err = errno;
        else if (r == 0)
            break;
        else if (out.size() + static_cast<std::size_t>(r) > max)
            err = EFBIG;
        else
            out.insert(out.end(), buf, buf + r);
    }
    ::close(fd);
    if (err != 0)
        out.clear();
    return err;
}

std::string Savefile_error_text(int err)
{
    return std::error_code(err, std::generic_category()).message();
}

std::string Savefile_failure_text(const fs::path& path, int err, unsigned language)
{
    static const char* const FOLDER[3] = {"è una cartella", "is a folder", "est un dossier"};
    static const char* const NOT_REGULAR[3] = {"non è un file regolare", "is not a regular file",
                                               "n'est pas un fichier ordinaire"};
    const unsigned l = language < 3 ? language : 1;
    struct stat st {};
    if (err != 0 && ::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? FOLDER[l] : NOT_REGULAR[l];
    return Savefile_error_text(err);
}

void Savefile_warn(const fs::path& path, int err, unsigned language)
{
    Msgbox_show({MsgIcon::Warning, Msgbox_title(language),
                 path.filename().string() + "\n" + Savefile_failure_text(path, err, language), MsgOk});
}

bool Savefile_write_or_warn(const fs::path& target, const void* data, std::size_t size, unsigned language)
{
    const int err = Savefile_write(target, data, size);
    if (err != 0)
        Savefile_warn(target, err, language);
    return err == 0;
}

void Savefile_set_write_call(Savefile_write_call fn)
{
    write_call.store(fn);
}
