// CRC-32 over the reflected polynomial 0xEDB88320, start value 0 and no final
// inversion: the key hash of the keyed lists (not the zip checksum).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace vpw {

std::uint32_t crc_32(const void* data, std::size_t length);
inline std::uint32_t crc_32(const std::string& text) { return crc_32(text.data(), text.size()); }

}  // namespace vpw
