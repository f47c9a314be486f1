#include <openssl/evp.h>

#include "Exceptions.h"
#include "Md5.h"

namespace vpw {

TMd5Digest Md5Digest(const void* data, std::size_t length) {
    TMd5Digest d{};
    unsigned int n = 0;
    if (!EVP_Digest(data, length, d.data(), &n, EVP_md5(), nullptr) || n != d.size())
        throw Exception("MD5 digest failed.");
    return d;
}

}  // namespace vpw
