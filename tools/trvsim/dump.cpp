#include "tools/trvsim/dump.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vestan::trvsim {
namespace {

namespace fs = std::filesystem;

bool writeWhole(const fs::path &path, const std::vector<const Bytes *> &parts, std::string &error)
{
    const fs::path temporary = path.string() + ".part" + std::to_string(::getpid());
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        for (const Bytes *part : parts)
            out.write(reinterpret_cast<const char *>(part->data()), std::streamsize(part->size()));
        out.flush();
        if (!out) {
            error = "cannot write " + temporary.string();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, path, ec);
    if (ec) {
        error = "cannot write " + path.string() + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

// "0B00" for 0x0B00.
std::string objectFileName(uint16_t code)
{
    char name[8];
    std::snprintf(name, sizeof name, "%04X", unsigned(code));
    return name;
}

} // namespace

bool dumpObjects(Controller &controller, const std::string &dir, std::string &error)
{
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec) {
        error = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    // The clock and the last search result change while serving; the rest stays.
    for (uint16_t code :
         {ObjFlash, ObjJournalHeader, ObjJournalData, ObjHandlerVersion, ObjPower}) {
        const auto bytes = controller.objectBytes(code);
        if (!bytes)
            continue;
        if (!writeWhole(fs::path(dir) / (objectFileName(code) + ".bin"), {&*bytes}, error))
            return false;
    }
    const auto &journal = controller.journal();
    return writeWhole(fs::path(dir) / "journal.dat", {&journal.header, &journal.data}, error);
}

} // namespace vestan::trvsim
