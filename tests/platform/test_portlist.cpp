#include "platform/Portlist.h"
#include "platform/Pty.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class FakeSysfs {
public:
    FakeSysfs()
    {
        char tmpl[] = "/tmp/pendrix_sysfs_XXXXXX";
        root_ = mkdtemp(tmpl);
        fs::create_directories(root_ + "/class/tty");
    }
    ~FakeSysfs() { fs::remove_all(root_); }

    void add(const std::string& name) { fs::create_directories(root_ + "/class/tty/" + name); }
    void add_uart(const std::string& name, const std::string& type)
    {
        add(name);
        std::ofstream(root_ + "/class/tty/" + name + "/type") << type << "\n";
    }
    const std::string& root() const { return root_; }

private:
    std::string root_;
};

using Names = std::vector<std::string>;

TEST(Portlist, ListsSerialFamiliesInNaturalOrder)
{
    FakeSysfs sys;
    for (const char* n : {"ttyUSB1", "ttyUSB0", "ttyACM0", "ttyAMA0", "rfcomm0", "ttyUSB10"})
        sys.add(n);
    sys.add_uart("ttyS10", "4");
    sys.add_uart("ttyS2", "4");
    sys.add_uart("ttyS0", "0");  // no UART behind it
    sys.add("ttyS3");             // no type attribute: cannot tell, not listed
    for (const char* n : {"tty0", "tty12", "console", "ptmx", "ttyprintk", "ttyUSB", "ttyUSBx", "ttyUSB0a",
                          "ttyUSB1234", "rfcomm12345", "ttyGS0"})
        sys.add(n);

    EXPECT_EQ(Portlist_scan(sys.root()),
              (Names{"rfcomm0", "ttyACM0", "ttyAMA0", "ttyS2", "ttyS10", "ttyUSB0", "ttyUSB1", "ttyUSB10"}));
}

TEST(Portlist, MissingTreeGivesEmptyList)
{
    EXPECT_TRUE(Portlist_scan("/nonexistent/pendrix").empty());
    FakeSysfs sys;
    EXPECT_TRUE(Portlist_scan(sys.root()).empty());
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
        EXPECT_EQ(Portlist_scan(sys.root(), name), (Names{name, "ttyUSB0"}));
    }
    EXPECT_EQ(Portlist_scan(sys.root(), name), Names{"ttyUSB0"});
    for (const char* bad : {"pts/", "pts/x", "pts/../ptmx", "ptmx", "pts/1234567"})
        EXPECT_EQ(Portlist_scan(sys.root(), bad), Names{"ttyUSB0"}) << bad;
}

}  // namespace
