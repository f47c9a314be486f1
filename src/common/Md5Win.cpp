#include <windows.h>
#include <wincrypt.h>

#include "Exceptions.h"
#include "Md5.h"

namespace vpw {

TMd5Digest Md5Digest(const void* data, std::size_t length) {
    TMd5Digest d{};
    HCRYPTPROV prov = 0;
    HCRYPTHASH hash = 0;
    bool ok = CryptAcquireContextA(&prov, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT);
    if (ok) ok = CryptCreateHash(prov, CALG_MD5, 0, 0, &hash);
    if (ok) ok = CryptHashData(hash, static_cast<const BYTE*>(data), static_cast<DWORD>(length), 0);
    DWORD n = static_cast<DWORD>(d.size());
    if (ok) ok = CryptGetHashParam(hash, HP_HASHVAL, d.data(), &n, 0) && n == d.size();
    if (hash) CryptDestroyHash(hash);
    if (prov) CryptReleaseContext(prov, 0);
    if (!ok) throw Exception("MD5 digest failed.");
    return d;
}

}  // namespace vpw
