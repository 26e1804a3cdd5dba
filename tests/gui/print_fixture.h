#pragma once
// Shared set-up of the printout tests: the controls' set-up (sorted dictionaries, message sink,
// saved data, Italian, C locale), an empty print list, the first family, no printer, and helpers
// that find printed lines.
#include "controls_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <thread>

#include "FullDisk.h"

#include "drivedata/Frm_output_sizes.h"
#include "drivedata/Init.h"
#include "print_core/Print_list.h"
#include "print_core/Print_printers.h"
#include "print_core/Printer_data.h"
#include "shell/Settings.h"

// Watches a named pipe that nobody reads: a writer that opens it waits for a reader for ever, so
// after a long patience a reader opens it and drains it, and the test fails instead of hanging.
class PipeWatch {
public:
    explicit PipeWatch(std::string pipe) : pipe_(std::move(pipe)) {}
    ~PipeWatch() { release(); }
    PipeWatch(const PipeWatch&) = delete;
    PipeWatch& operator=(const PipeWatch&) = delete;

    // Stops watching; true when a writer had to be let through.
    bool release()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable())
            thread_.join();
        return opened_;
    }

private:
    void run()
    {
        std::unique_lock lock(mutex_);
        if (pipe_.empty() || wake_.wait_for(lock, std::chrono::seconds(30), [this] { return done_; }))
            return;
        opened_ = true;
        const int fd = ::open(pipe_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        char buf[4096];
        while (fd >= 0 && !wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return done_; }))
            while (::read(fd, buf, sizeof buf) > 0) {
            }
        if (fd >= 0)
            ::close(fd);
    }

    std::string pipe_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    bool opened_ = false;
    std::thread thread_{[this] { run(); }};
};

class PrintTest : public ControlsTest {
protected:
    void SetUp() override
    {
        ControlsTest::SetUp();
        static const bool sizes = [] {
            Frm_output_build_size_tables();
            return true;
        }();
        (void)sizes;
        saved_flags_ = SettingsBlock.flags;
        SettingsBlock.flags = static_cast<uint8_t>(SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
        CurrentSizeTable = SizeTableOrvel;
        Print_set_printer_source(PrinterSource{});  // no printer: the A4 table
        Print_list_clear_lines();
        Print_list_clear_marks();
        saved_page_ = PrintPage;
        PrintPage = {};
    }

    void TearDown() override
    {
        Print_list_clear_lines();
        Print_list_clear_marks();
        PrintPage = saved_page_;
        Print_set_printer_source(std::nullopt);
        SettingsBlock.flags = saved_flags_;
        CurrentSizeTable = SizeTableOrvel;
        ControlsTest::TearDown();
    }

    static DriveRecord defaults(bool second_family = false)
    {
        DriveRecord r{};
        Init_default_image(r, 0, 0, second_family ? FAMILY_FLAG_PELSAN : FAMILY_FLAG_ORVEL);
        return r;
    }

    static void set_second_family(bool on)
    {
        if (on)
            SettingsBlock.flags |= SettingsFlag::FamilyPelsan;
        else
            SettingsBlock.flags = static_cast<uint8_t>(SettingsBlock.flags & ~SettingsFlag::FamilyPelsan);
        CurrentSizeTable = on ? SizeTablePelsan : SizeTableOrvel;
    }

    // The first line named `name` at or after `from`, or null.
    static const PrintLine* line_named(const QString& name, std::size_t from = 0)
    {
        for (std::size_t i = from; i < PrintListLines.size(); ++i)
            if (PrintListLines[i].name == name)
                return &PrintListLines[i];
        return nullptr;
    }
    static std::optional<std::size_t> index_of(const QString& name, uint8_t kind, std::size_t from = 0)
    {
        for (std::size_t i = from; i < PrintListLines.size(); ++i)
            if (PrintListLines[i].name == name && PrintListLines[i].kind == kind)
                return i;
        return std::nullopt;
    }

    // Prints a PDF through `print` (given the file) to each target it cannot be saved to: a full
    // disk and a read-only folder holding an old PDF, a folder and a named pipe, in the three
    // languages. Each gives one warning with the file's name and the reason, leaves what stands
    // there as it was and its folder without a new file, and returns at once.
    void expect_each_unsaveable_pdf_target_refused(const std::function<void(const QString& file)>& print)
    {
        namespace fs = std::filesystem;
        enum Target { Full, ReadOnly, Folder, Pipe };
        const struct {
            Target target;
            const char* what;
            uint8_t language;
            const char* reason;  // null: the system's text
        } rows[] = {{Full, "full disk", 0, nullptr},
                    {ReadOnly, "read-only folder", 1, nullptr},
                    {Folder, "folder", 2, "est un dossier"},
                    {Pipe, "named pipe", 0, "non è un file regolare"}};
        const std::string old = "%PDF-1.4\n% an older printout\n%%EOF\n";
        const auto bytes_of = [](const std::string& path) {
            std::ifstream in(path, std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        for (const auto& r : rows) {
            SCOPED_TRACE(r.what);
            FullDisk disk;
            ASSERT_TRUE(disk.ready());
            const std::string file = disk.file("old.pdf");
            int err = 0;
            if (r.target == Full || r.target == ReadOnly) {
                std::ofstream(file, std::ios::binary) << old;
                if (r.target == Full) {
                    disk.fill();
                    err = ENOSPC;
                } else {
                    err = disk.protect();
                }
            } else if (r.target == Folder) {
                fs::create_directory(file);
            } else {
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
            }
            const auto entries = [&] {
                std::vector<std::string> names;
                for (const auto& e : fs::directory_iterator(disk.file("")))
                    names.push_back(e.path().filename().string());
                std::sort(names.begin(), names.end());
                return names;
            };
            const std::vector<std::string> before = entries();
            LanguageIndex = r.language;
            PipeWatch watch(r.target == Pipe ? file : std::string());
            print(QString::fromStdString(file));
            EXPECT_FALSE(watch.release()) << "the print waited on the pipe";
            const std::vector<MsgRequest> m = take_messages();
            const std::string reason = r.reason != nullptr ? std::string(r.reason) : Savefile_error_text(err);
            EXPECT_EQ(m.size(), 1u);
            for (const MsgRequest& box : m) {
                EXPECT_EQ(box.icon, MsgIcon::Warning);
                EXPECT_EQ(box.text, "old.pdf\n" + reason);
            }
            EXPECT_EQ(entries(), before) << "no file left beside it";
            if (r.target == Folder)
                EXPECT_TRUE(fs::is_directory(file));
            else if (r.target == Pipe)
                EXPECT_TRUE(fs::is_fifo(file));
            else
                EXPECT_TRUE(bytes_of(file) == old) << "the old file changed";
        }
    }

private:
    uint8_t saved_flags_ = 0;
    PrintPageRec saved_page_;
};
