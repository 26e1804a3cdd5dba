#pragma once
// Whole-file saves and reads: the one way the program writes and reads its files.
//
// A save writes a new temporary file beside the target, checks every write, flushes and syncs
// it, renames it over the target and syncs the folder. Any failure removes the temporary file
// and leaves the old file exactly as it was. A link is followed: the file it names is replaced.
// The old file's permission bits are kept; missing folders are created.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// 0 when saved, else the errno of the step that failed (EISDIR when the target is a folder,
// EINVAL when it is something else that is not a regular file).
int Savefile_write(const std::filesystem::path& target, const void* data, std::size_t size);

// Reads a regular file whole when it has at most `max` bytes. Anything that is not a regular file
// (folder, named pipe, device) is refused before it is opened, so a read never blocks. 0 when
// read, else an errno (EFBIG when longer than max, EINVAL when not a regular file).
int Savefile_read(const std::filesystem::path& path, std::vector<uint8_t>& out, std::size_t max);

// The system's text for an errno ("No space left on device").
std::string Savefile_error_text(int err);
// Why a save of path failed with err, for the user in language 0 Italian, 1 English, 2 French:
// what stands there when it is a folder ("is a folder") or another file that is not a regular
// one ("is not a regular file"), else the system's text.
std::string Savefile_failure_text(const std::filesystem::path& path, int err, unsigned language);
// The warning of a failed save, through the message-box gateway: the file's name, then
// Savefile_failure_text.
void Savefile_warn(const std::filesystem::path& path, int err, unsigned language);
// Savefile_write, and Savefile_warn when it fails; true when saved.
bool Savefile_write_or_warn(const std::filesystem::path& target, const void* data, std::size_t size, unsigned language);

// Test seam: the write system call the saves use (null restores ::write).
using Savefile_write_call = ssize_t (*)(int fd, const void* data, std::size_t size);
void Savefile_set_write_call(Savefile_write_call fn);
