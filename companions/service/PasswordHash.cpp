#include "PasswordHash.h"

#include "Base64.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace zarnik::service {

namespace {

constexpr std::string_view kScheme = "pbkdf2-sha256";
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kHashBytes = 32;

std::string derive(std::string_view password, std::string_view salt, int iterations)
{
    std::string out(kHashBytes, '\0');
    const int ok = PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                                     reinterpret_cast<const unsigned char *>(salt.data()),
                                     static_cast<int>(salt.size()), iterations, EVP_sha256(),
                                     static_cast<int>(out.size()),
                                     reinterpret_cast<unsigned char *>(out.data()));
    if (ok != 1)
        throw std::runtime_error("PBKDF2 failed");
    return out;
}

std::vector<std::string_view> split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::string hashPassword(std::string_view password)
{
    std::string salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char *>(salt.data()), static_cast<int>(salt.size())) != 1)
        throw std::runtime_error("no random bytes for a salt");
    return std::string(kScheme) + '$' + std::to_string(kPasswordIterations) + '$' + encodeBase64(salt)
        + '$' + encodeBase64(derive(password, salt, kPasswordIterations));
}

bool verifyPassword(std::string_view password, std::string_view stored)
{
    const auto parts = split(stored, '$');
    if (parts.size() != 4 || parts[0] != kScheme || parts[1] != std::to_string(kPasswordIterations))
        return false;
    const std::string salt = decodeBase64(parts[2]);
    const std::string expected = decodeBase64(parts[3]);
    if (salt.empty() || expected.size() != kHashBytes)
        return false;
    const std::string actual = derive(password, salt, kPasswordIterations);
    return CRYPTO_memcmp(actual.data(), expected.data(), kHashBytes) == 0;
}

CredentialTagger::CredentialTagger()
{
    if (RAND_bytes(m_key.data(), static_cast<int>(m_key.size())) != 1)
        throw std::runtime_error("no random bytes for the credential cache key");
}

CredentialTagger::Tag CredentialTagger::tag(std::string_view name, std::string_view password) const
{
    // The length prefix keeps ("ab", "c") and ("a", "bc") apart.
    std::string message = std::to_string(name.size()) + ':';
    message.append(name);
    message.append(password);
    Tag out{};
    unsigned int length = 0;
    HMAC(EVP_sha256(), m_key.data(), static_cast<int>(m_key.size()),
         reinterpret_cast<const unsigned char *>(message.data()), message.size(), out.data(), &length);
    OPENSSL_cleanse(message.data(), message.size());
    return out;
}

bool CredentialTagger::equal(const Tag &a, const Tag &b)
{
    return CRYPTO_memcmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace zarnik::service
