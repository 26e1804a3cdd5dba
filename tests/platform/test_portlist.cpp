#include "platform/Portlist.h"
#include "platform/Pty.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// A sysfs tree of tty devices: name, or name and port type.
class FakeSysfs {
public:
    FakeSysfs()
    {
        char tmpl[] = "/tmp/pendrix_sysfs_XXXXXX";
        root_ = mkdtemp(tmpl);
        fs::create_directories(root_ + "/class/tty");
    }
    ~FakeSysfs() { fs::remove_all(root_); }
    void add(const std::string& name, const char* type = nullptr)
    {
        fs::create_directories(root_ + "/class/tty/" + name);
        if (type)
            std::ofstream(root_ + "/class/tty/" + name + "/type") << type << "\n";
    }
    std::string root_;
};

TEST(Portlist, ListsSerialFamiliesInNaturalOrder)
{
    EXPECT_TRUE(Portlist_scan("/nonexistent/pendrix").empty());
    FakeSysfs sys;
    EXPECT_TRUE(Portlist_scan(sys.root_).empty());
    for (const char* n : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyAMA0", "rfcomm0", "ttyUSB10", "ttyS3",  // no type
                          "tty0", "tty12", "console", "ptmx", "ttyprintk", "ttyUSB", "ttyUSBx", "ttyUSB0a",
                          "ttyUSB1234", "rfcomm12345", "ttyGS0"})
        sys.add(n);
    sys.add("ttyS10", "4");
    sys.add("ttyS2", "4");
    sys.add("ttyS0", "0");  // no UART behind it
    EXPECT_EQ(Portlist_scan(sys.root_),
              (Names{"rfcomm0", "ttyACM0", "ttyAMA0", "ttyS2", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyUSB10"}));
}

TEST(Portlist, SimulatorPtsListedOnlyWhileItExists)
{
    FakeSysfs sys;
    sys.add("ttyUSB0");
    std::string name;
    {
        Pty pty;
        ASSERT_TRUE(pty.ok());
        name = pty.name;
        EXPECT_EQ(Portlist_scan(sys.root_, name), (Names{name, "ttyUSB0"}));
    }
    EXPECT_EQ(Portlist_scan(sys.root_, name), Names{"ttyUSB0"});
    for (const char* bad : {"pts/", "pts/x", "pts/../ptmx", "ptmx", "pts/1234567"})
        EXPECT_EQ(Portlist_scan(sys.root_, bad), Names{"ttyUSB0"}) << bad;
}

}  // namespace
