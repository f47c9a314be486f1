#include "Interfaces.h"

#include <cstdio>

namespace vpw {

std::string TGUID::ToString() const {
    char buf[40];
    const std::uint8_t* b = bytes;
    std::snprintf(buf, sizeof buf, "{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return buf;
}

}  // namespace vpw
