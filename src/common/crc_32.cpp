#include "crc_32.h"

#include <array>

namespace vpw {
namespace {

std::array<std::uint32_t, 256> BuildTable() {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        t[i] = c;
    }
    return t;
}

const std::array<std::uint32_t, 256> kTable = BuildTable();

}  // namespace

std::uint32_t crc_32(const void* data, std::size_t length) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < length; ++i) crc = (crc >> 8) ^ kTable[(crc ^ p[i]) & 0xFF];
    return crc;
}

}  // namespace vpw
