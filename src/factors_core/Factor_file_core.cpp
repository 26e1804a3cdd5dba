// Unit-factor files.
#include "factors_core/Factor_file_core.h"

#include <cstring>
#include <system_error>
#include <vector>

#include "drivedata/Globvar.h"
#include "drivedata/Versoftw.h"
#include "platform/Msgbox.h"
#include "platform/Savefile.h"

namespace {

const char* const CORRUPT_TEXT[3] = {"Dati Corrotti oppure File non valido !", "Corrupted Data or Invalid File !",
                                     "Données Altérées ou Fichier Non Valide!"};

}  // namespace

int Factor_tool_save_file(const std::filesystem::path& name, const FactorApplicationRec& rec)
{
    if (name.empty() || !name.has_filename())
        return EINVAL;
    const FactorFileImage image = DataFile_build_factor(rec);
    return Savefile_write(name, image.data(), image.size());
}

bool Factor_tool_read_file(const std::filesystem::path& name, uint8_t* buf, std::size_t size, std::size_t* out)
{
    std::vector<uint8_t> bytes;
    if (buf == nullptr || Savefile_read(name, bytes, size) != 0)
        return false;
    if (!bytes.empty())  // an empty file leaves no buffer to copy from
        std::memcpy(buf, bytes.data(), bytes.size());
    if (out != nullptr)
        *out = bytes.size();
    return DataFile_xor(bytes.data(), bytes.size()) == 0;
}

bool Factor_tool_load_file(const std::filesystem::path& name, FactorApplicationRec* rec)
{
    std::error_code ec;
    if (rec == nullptr || name.empty() || !std::filesystem::exists(name, ec))
        return false;
    uint8_t buf[FACTOR_FILE_SIZE] = {};
    std::size_t read = 0;
    // A shorter file would load a record of zero lengths: refused like a corrupted one.
    if (!Factor_tool_read_file(name, buf, sizeof buf, &read) || read != FACTOR_FILE_SIZE) {
        const unsigned lang = Lang_index();
        Msgbox_show({MsgIcon::Warning, Msgbox_title(lang), CORRUPT_TEXT[lang], MsgOk});
        return false;
    }
    std::memcpy(rec->b, buf + DATA_FILE_HEADER_SIZE, FACTOR_APPLICATION_SIZE);
    return true;
}
