// Firmware image, S-record reader, boot-program block, compatibility tests and file watch.
#include "flash_core/Flashctrl.h"

#include <sys/stat.h>

#include <algorithm>
#include <bitset>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "drivedata/Busx.h"
#include "drivedata/Globvar.h"
#include "flash_core/Flashcom_cdx.h"
#include "flash_core/Flashcom_mot.h"
#include "link/Seriale.h"
#include "link/Seriale_port.h"
#include "platform/Msgbox.h"
#include "platform/Tick.h"

FirmwareImageRec FirmwareImage;
void (*Flashctrl_on_file_state)(uint8_t state) = nullptr;
void (*Flashctrl_on_image_loaded)(bool loaded) = nullptr;

namespace {

constexpr std::size_t READ_CHUNK = 4096;
constexpr uint32_t POLL_MS = 300;
constexpr uint8_t RELOAD_AFTER = 3;  // a changed file is read on the fourth poll that sees it
constexpr uint8_t FILL = 0xFF;
constexpr uint32_t PAGE_MASK = ~uint32_t{FLASH_PAGE_BYTES - 1};

bool in_poll = false;  // a load inside the watch does not run the watch again (GUI thread)

// ---- messages ----

enum class SrecError { NotSrec, Type, CountDigits, Length, Checksum, Address, NoData };

const char* const SREC_TEXT[][3] = {
    {"Errore: File non S-Record!", "Error: Not S-Record File!", "Error: Not S-Record File!"},
    {"Errore: Tipo S-Record!", "Error: S-Record Type!", "Error: S-Record Type!"},
    {"Errore: Codifica Lunghezza S-Record!", "Error: S-Record code lenght!", "Error: S-Record code lenght!"},
    {"Errore: Lunghezza S-Record!", "Error: S-Record lenght!", "Error: S-Record lenght!"},
    {"Errore: CheckSum S-Record!", "Error: CheckSum S-Record!", "Error: CheckSum S-Record!"},
    {"Errore: Indirizzo S-Record!", "Errore: S-Record Address!", "Errore: S-Record Address!"},
    {"Errore: Nessun dato nel file S-Record!", "Error: No data in S-Record file!",
     "Erreur : aucune donnée dans le fichier S-Record !"},
};
const char* const ERROR_TITLE[3] = {"Errore", "Error", "Error"};

void show_error(SrecError e)
{
    const unsigned lang = Lang_index();
    Msgbox_show({MsgIcon::Information, ERROR_TITLE[lang], SREC_TEXT[static_cast<int>(e)][lang], MsgOk});
}

// ---- hexadecimal ----

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// The byte of the two characters at p; -1 when either is not a hexadecimal digit.
int hex_byte(const char* p)
{
    const int hi = hex_value(p[0]);
    const int lo = hex_value(p[1]);
    return hi < 0 || lo < 0 ? -1 : hi << 4 | lo;
}

// Address bytes of the record types; 0 for a record that carries no data.
unsigned address_bytes(char type)
{
    switch (type) {
    case '1': return 2;
    case '2': return 3;
    case '3': return 4;
    default: return 0;
    }
}

bool accepted_type(char type)
{
    return std::strchr("01235789", type) != nullptr && type != '\0';
}

// ---- one read ----

struct SrecRead {
    FirmwareImageRec& image;
    std::bitset<FLASH_PAGE_COUNT> touched;  // pages that received data in this read
    bool stored = false;                    // a data record was stored
    uint32_t base = 0;                      // start address rounded down to a page
    uint32_t highest_page = 0;

    explicit SrecRead(FirmwareImageRec& img) : image(img) {}

    FlashPage& page(uint32_t k)
    {
        FlashPage& p = image.pages[k];
        if (!touched[k]) {
            touched[k] = true;
            p.address = base + FLASH_PAGE_BYTES * k;
            std::memset(p.data, FILL, sizeof p.data);
        }
        return p;
    }

    // Stores n bytes from address, page by page. False when they do not fit below the end entry.
    bool store(uint32_t address, const uint8_t* bytes, unsigned n)
    {
        if (!stored) {
            stored = true;
            image.start_address = address;
            image.end_address = 0;
            base = address & PAGE_MASK;
        }
        if (address < image.start_address)
            return false;
        const uint32_t from = address - base;
        const uint32_t last_page = (from + n - 1) / FLASH_PAGE_BYTES;
        if (last_page + 1 >= FLASH_PAGE_COUNT)
            return false;
        for (unsigned i = 0; i < n; ++i) {
            const uint32_t at = from + i;
            page(at / FLASH_PAGE_BYTES).data[at % FLASH_PAGE_BYTES] = bytes[i];
        }
        image.end_address = std::max(image.end_address, address + n - 1);
        highest_page = std::max(highest_page, last_page);
        return true;
    }

    // End of the file: gap pages get their own address and 0xFF, then the end entry.
    void finish()
    {
        const uint32_t end_entry = highest_page + 1;
        for (uint32_t k = 0; k < end_entry; ++k)
            page(k);
        FlashPage& end = image.pages[end_entry];
        end.address = FLASH_END_ENTRY;
        std::memset(end.data, FILL, sizeof end.data);
        image.page_count = end_entry;
        image.image_size = image.end_address - image.start_address;
    }
};

// The checks of one line in their order; the first failure is returned. Data records are stored.
bool check_line(SrecRead& rd, const char* line, std::size_t len, SrecError& err)
{
    auto fail = [&err](SrecError e) {
        err = e;
        return false;
    };
    if (len < 1 || (line[0] != 'S' && line[0] != 's'))
        return fail(SrecError::NotSrec);
    if (len < 2 || !accepted_type(line[1]))
        return fail(SrecError::Type);
    const int count = len >= 4 ? hex_byte(line + 2) : -1;
    if (count < 0)
        return fail(SrecError::CountDigits);
    if (len != static_cast<std::size_t>(count) * 2 + 4)
        return fail(SrecError::Length);
    const unsigned addr_bytes = address_bytes(line[1]);
    if (addr_bytes != 0 && static_cast<unsigned>(count) < addr_bytes + 1)
        return fail(SrecError::Length);  // no room for address and checksum
    uint8_t bytes[256];
    unsigned sum = 0;
    for (int i = 0; i <= count; ++i) {
        const char* p = line + 2 + 2 * i;
        const int b = hex_byte(p);
        if (b < 0) {
            const bool in_address = i >= 1 && static_cast<unsigned>(i) <= addr_bytes;
            const bool nul = p[0] == '\0' || p[1] == '\0';
            return fail(in_address && nul ? SrecError::Address : SrecError::Checksum);
        }
        bytes[i] = static_cast<uint8_t>(b);
        sum += static_cast<unsigned>(b);
    }
    if ((sum & 0xFF) != 0xFF)
        return fail(SrecError::Checksum);
    if (addr_bytes == 0)
        return true;
    uint32_t address = 0;
    for (unsigned i = 1; i <= addr_bytes; ++i)
        address = address << 8 | bytes[i];
    const unsigned n = static_cast<unsigned>(count) - addr_bytes - 1;
    if (address >= SREC_ADDRESS_LIMIT || n == 0)
        return true;
    if (!rd.store(address, bytes + 1 + addr_bytes, n))
        return fail(SrecError::Address);
    return true;
}

// Gathers lines up to a carriage return, whose next character is skipped, or up to a line feed
// alone; a blank line (nothing but spaces, tabs or end-of-file marks) is dropped whatever ends it. Lines longer than SREC_LINE_MAX are
// counted, not stored, and refused by the length check.
class LineSplitter {
public:
    // Feeds one character; true when it ended a line.
    bool feed(char c)
    {
        if (skip_next_) {
            skip_next_ = false;
            return false;
        }
        if (c == '\r' || c == '\n') {
            skip_next_ = c == '\r';
            if (pending())
                return true;
            clear();
            return false;
        }
        if (len_ < SREC_LINE_MAX)
            buf_[len_] = c;
        ++len_;
        return false;
    }
    // The line gathered holds more than blanks.
    bool pending() const
    {
        for (std::size_t i = 0; i < std::min(len_, SREC_LINE_MAX); ++i)
            if (!std::isspace(static_cast<unsigned char>(buf_[i])) && buf_[i] != '\x1A')
                return true;
        return len_ > SREC_LINE_MAX;
    }
    const char* line() const { return buf_; }
    // Characters of the line; a line over the limit reports its full length.
    std::size_t length() const { return len_; }
    void clear()
    {
        len_ = 0;
        std::memset(buf_, 0, sizeof buf_);
    }

private:
    char buf_[SREC_LINE_MAX + 1] = {};  // zero after the stored characters
    std::size_t len_ = 0;
    bool skip_next_ = false;
};

bool check_gathered(SrecRead& rd, LineSplitter& lines, SrecError& err)
{
    const std::size_t len = std::min(lines.length(), SREC_LINE_MAX + 1);  // over the limit: refused
    const bool ok = check_line(rd, lines.line(), len, err);
    lines.clear();
    return ok;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

int64_t file_age_ns(const std::string& path)
{
    struct stat st{};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    return int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
}

std::string lower_extension(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

void clear_mode_bits(uint8_t bits)
{
    FlashModeFlags.fetch_and(static_cast<uint8_t>(~bits), std::memory_order_acq_rel);
}

void set_mode_bits(uint8_t bits)
{
    FlashModeFlags.fetch_or(bits, std::memory_order_acq_rel);
}

void show_file_state(FirmwareImageRec& img, uint8_t state)
{
    img.file_state = state;
    if (Flashctrl_on_file_state != nullptr)
        Flashctrl_on_file_state(state);
}

bool read_ok(bool ok, const std::string& path)
{
    FirmwareImageRec& img = FirmwareImage;
    const int64_t age = file_age_ns(path);
    if (ok) {
        img.known_age.store(img.loaded_age);
        img.failed_age = 0;
        img.first_poll_done = 1;  // the file was just read: the watch's first poll need not read it again
        FlashFileLoaded.store(1, std::memory_order_release);
    } else {
        img.failed_age = age;
        FlashFileLoaded.store(0, std::memory_order_release);
    }
    if (Flashctrl_on_image_loaded != nullptr)
        Flashctrl_on_image_loaded(ok);
    if (ok && !in_poll)
        Flashctrl_poll_file_now();
    return ok;
}

}  // namespace

// ---- reading ----

int readSRecordFile(const std::string& path)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    struct stat st{};
    if (!file || ::fstat(fileno(file.get()), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    FirmwareImageRec& img = FirmwareImage;
    if (st.st_size == 0) {
        img.start_address = 0;
        img.end_address = 0;
        return 0;
    }
    auto rd = std::make_unique<SrecRead>(img);
    auto lines = std::make_unique<LineSplitter>();
    SrecError err{};
    char chunk[READ_CHUNK];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        for (std::size_t i = 0; i < got; ++i) {
            if (lines->feed(chunk[i]) && !check_gathered(*rd, *lines, err)) {
                show_error(err);
                return 0;
            }
        }
    }
    if (lines->pending() && !check_gathered(*rd, *lines, err)) {
        show_error(err);
        return 0;
    }
    if (!rd->stored) {
        show_error(SrecError::NoData);
        return 0;
    }
    rd->finish();
    detectBootProgramCtrl(img);
    img.loaded_age = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
    return 1;
}

bool Flashsh7047_load_file(const std::string& path)
{
    if (Flashctrl_run_active())
        return false;
    const std::string ext = lower_extension(path);
    bool ok = false;
    if (ext == ".mot") {
        clear_mode_bits(FlashModeFlag::Container);
        ok = readSRecordFile(path) == 1;
    } else if (ext == ".cdx") {
        set_mode_bits(FlashModeFlag::Container);
        clear_mode_bits(FlashModeFlag::BootProgram);
        ok = readCdxFile(path, FirmwareImage) == 1;
    } else {
        clear_mode_bits(FlashModeFlag::BootProgram);
    }
    return read_ok(ok, path);
}

// ---- image bytes ----

bool Flashctrl_image_byte(const FirmwareImageRec& image, uint32_t address, uint8_t& out)
{
    if (image.page_count == 0 || image.page_count >= FLASH_PAGE_COUNT)
        return false;
    const uint32_t base = image.pages[0].address;
    if (base == FLASH_END_ENTRY || address < base)
        return false;
    const uint32_t k = (address - base) / FLASH_PAGE_BYTES;
    if (k >= image.page_count)
        return false;
    out = image.pages[k].data[(address - base) % FLASH_PAGE_BYTES];
    return true;
}

bool writeImageBytes(FirmwareImageRec& image, uint32_t address, const uint8_t* bytes, std::size_t count)
{
    bool all = true;
    for (std::size_t i = 0; i < count; ++i) {
        const uint32_t a = address + static_cast<uint32_t>(i);
        const uint32_t k = a / FLASH_PAGE_BYTES;
        if (k >= image.page_count || k >= FLASH_PAGE_COUNT) {
            all = false;
            continue;
        }
        image.pages[k].data[a % FLASH_PAGE_BYTES] = bytes[i];
    }
    return all;
}

void detectBootProgramCtrl(const FirmwareImageRec& image)
{
    static const char TEXT[BootProgramCtrl::TextLen] = "BOOT PROGRAM CTRL";
    bool boot = image.pages[0].address == 0 && image.page_count >= 2 && image.page_count < FLASH_PAGE_COUNT &&
                image.pages[image.page_count - 2].address < BootProgramCtrl::ImageEndBelow;
    for (uint32_t i = 0; boot && i < BootProgramCtrl::TextLen; ++i) {
        uint8_t b = 0;
        boot = Flashctrl_image_byte(image, BootProgramCtrl::Text + i, b) && b == static_cast<uint8_t>(TEXT[i]);
    }
    uint32_t ident = 0;
    for (uint32_t i = 0; boot && i < 4; ++i) {
        uint8_t b = 0;
        boot = Flashctrl_image_byte(image, BootProgramCtrl::Block + i, b);
        ident = ident << 8 | b;
    }
    if (boot && ident == CANOPEN_VENDOR_ID)
        set_mode_bits(FlashModeFlag::BootProgram);
    else
        clear_mode_bits(FlashModeFlag::BootProgram);
}

void patchDeviceData(FirmwareImageRec& image, const FlashDeviceSelection& sel)
{
    if (!(FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::BootProgram))
        return;
    if (sel.device >= std::size(FlashDeviceIdTable))
        return;
    const uint32_t id = FlashDeviceIdTable[sel.device];
    const uint8_t be[4] = {static_cast<uint8_t>(id >> 24), static_cast<uint8_t>(id >> 16),
                           static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)};
    writeImageBytes(image, BootProgramCtrl::DeviceId, be, sizeof be);
    writeImageBytes(image, BootProgramCtrl::CurrentSize, &sel.current_size, 1);
    writeImageBytes(image, BootProgramCtrl::Voltage, &sel.voltage, 1);
}

// ---- compatibility ----

bool Flashctrl_cdx_compatible()
{
    if (!FlashFileLoaded.load(std::memory_order_acquire))
        return false;
    if (!(FlashModeFlags.load(std::memory_order_acquire) & FlashModeFlag::Container))
        return false;
    const uint8_t* h = FirmwareImage.container_header + 192;
    const uint32_t firmware_id = uint32_t{h[0]} << 24 | uint32_t{h[1]} << 16 | uint32_t{h[2]} << 8 | h[3];
    const uint32_t drive = DriveDeviceId.load();
    if (firmware_id != drive)
        return false;
    if (drive != DRIVE_TYPE_ORVEL)
        return true;
    return (Drive_status_word() & StatusBit::Boot) || (Drive_ident_get().flags & IdentFlag::BootCondition);
}

// ---- run and watch ----

bool Flashctrl_run_active()
{
    if (Ser_tx_state.load() != LinkState::Run)
        return false;
    auto flash_mode = [](uint8_t m) { return m == LinkMode::Flash || m == LinkMode::Check; };
    return flash_mode(Ser_link_mode.load()) || flash_mode(Ser_link_mode_req.load());
}

void Flashctrl_poll_file_now()
{
    Flashctrl_poll_file_at(Tick_ms());
}

void Flashctrl_poll_file_at(uint32_t now_ms)
{
    FirmwareImageRec& img = FirmwareImage;
    if (Tick_diff(now_ms, img.last_poll_ms) <= POLL_MS)
        return;
    img.last_poll_ms = now_ms;
    const std::string path = Flash_settings().path;
    const int64_t age = file_age_ns(path);
    if (age == 0) {
        img.file_age = 0;
        img.known_age.store(0);
        const uint8_t state = path.empty() ? FlashFileState::NoName : FlashFileState::Missing;
        if (state != img.prev_file_state) {
            img.prev_file_state = state;
            show_file_state(img, state);
        }
        img.file_state = state;
        return;
    }
    img.file_age = age;
    const bool current = age == img.known_age.load();
    if (!current && img.file_state != FlashFileState::Changed)
        show_file_state(img, FlashFileState::Changed);
    else if (current && img.file_state != FlashFileState::Current)
        show_file_state(img, FlashFileState::Current);
    img.prev_file_state = img.file_state;
    if (img.first_poll_done && age == img.loaded_age) {
        img.change_count = 0;
        return;
    }
    if (Flashctrl_run_active() || age == img.failed_age)
        return;  // reloaded after the run; a file that failed is tried once per age
    if (!img.first_poll_done) {
        img.first_poll_done = 1;
    } else if (img.change_count < RELOAD_AFTER) {
        ++img.change_count;
        return;
    }
    img.change_count = 0;
    in_poll = true;
    Flashsh7047_load_file(path);
    in_poll = false;
}

void Flash_install()
{
    FlashEntries.mot_step = Flashcom_mot_run_step;
    FlashEntries.mot_on_reply = Flashcom_mot_receive;
    FlashEntries.poll_file = Flashctrl_poll_file_now;
    FlashEntries.mot_leave = Flashcom_mot_leave_run;
    FlashEntries.cdx_step = Flashcom_cdx_run_step;
    FlashEntries.cdx_block_reply = Cdx_block_reply;
}
