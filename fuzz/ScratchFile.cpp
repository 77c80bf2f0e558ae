#include "ScratchFile.h"

#include <fstream>
#include <stdexcept>
#include <system_error>

namespace korvel {

ScratchFile::ScratchFile(const std::string& name)
    : path_(std::filesystem::temp_directory_path() / name) {}

ScratchFile::~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void ScratchFile::Write(std::span<const std::uint8_t> bytes) const {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path_.string());
}

}  // namespace korvel
