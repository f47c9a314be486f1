// MD5 digest (RFC 1321) from the platform: CryptoAPI on Windows, libcrypto elsewhere.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace vpw {

using TMd5Digest = std::array<std::uint8_t, 16>;

// Throws vpw::Exception when the platform cannot compute it.
TMd5Digest Md5Digest(const void* data, std::size_t length);

}  // namespace vpw
