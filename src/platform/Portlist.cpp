#include "platform/Portlist.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace {

struct PortFamily {
    const char* prefix;
    bool needs_uart_type;  // listed only when its sysfs `type` is not 0 (PNP_UNKNOWN)
};

const PortFamily kFamilies[] = {
    {"ttyUSB", false}, {"ttyACM", false}, {"ttyAMA", false}, {"rfcomm", false}, {"ttyS", true},
};

bool is_digits(const std::string& s, size_t from)
{
    return from < s.size() && std::all_of(s.begin() + static_cast<long>(from), s.end(),
                                           [](unsigned char c) { return std::isdigit(c); });
}

const PortFamily* family_of(const std::string& name)
{
    for (const PortFamily& f : kFamilies) {
        const std::string prefix = f.prefix;
        if (name.compare(0, prefix.size(), prefix) == 0 && is_digits(name, prefix.size()))
            return &f;
    }
    return nullptr;
}

// The sysfs `type` attribute of a UART: 0 when no port answers at that address.
bool has_uart(const std::string& tty_dir)
{
    std::ifstream in(tty_dir + "/type");
    long type = 0;
    return (in >> type) && type != 0;
}

bool pts_present(const std::string& pts_name)
{
    if (pts_name.size() > kPortNameMax || pts_name.compare(0, 4, "pts/") != 0 || !is_digits(pts_name, 4))
        return false;
    struct stat st{};
    return stat(("/dev/" + pts_name).c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::vector<std::string> list_dir(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (const dirent* e = readdir(d))
        names.emplace_back(e->d_name);
    closedir(d);
    return names;
}

// Every listed name is a prefix followed by digits: by prefix, then by number (ttyS2 < ttyS10).
bool natural_less(const std::string& a, const std::string& b)
{
    const size_t da = a.find_first_of("0123456789");
    const size_t db = b.find_first_of("0123456789");
    const int c = a.compare(0, da, b, 0, db);
    if (c != 0)
        return c < 0;
    return std::strtoull(a.c_str() + da, nullptr, 10) < std::strtoull(b.c_str() + db, nullptr, 10);
}

}  // namespace

std::vector<std::string> Portlist_scan(const std::string& sysfs_root, const std::string& pts_name)
{
    const std::string class_dir = sysfs_root + "/class/tty";
    std::vector<std::string> ports;
    for (const std::string& name : list_dir(class_dir)) {
        if (name.size() > kPortNameMax)
            continue;
        const PortFamily* family = family_of(name);
        if (!family || (family->needs_uart_type && !has_uart(class_dir + "/" + name)))
            continue;
        ports.push_back(name);
    }
    if (pts_present(pts_name))
        ports.push_back(pts_name);
    std::sort(ports.begin(), ports.end(), natural_less);
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    return ports;
}
