#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zarnik::service {

inline constexpr int kPasswordIterations = 100000;

// "pbkdf2-sha256$<iterations>$<base64 salt>$<base64 hash>", with a fresh random salt.
std::string hashPassword(std::string_view password);

// False for a wrong password and for a stored text that is not of the form above.
bool verifyPassword(std::string_view password, std::string_view stored);

// A keyed fast hash of a verified (name, password) pair, so a cache can recognise the pair again
// without holding the clear text. The key is random and lives only in this process.
class CredentialTagger {
public:
    using Tag = std::array<unsigned char, 32>;

    CredentialTagger();
    Tag tag(std::string_view name, std::string_view password) const;
    static bool equal(const Tag &a, const Tag &b);

private:
    std::array<unsigned char, 32> m_key{};
};

} // namespace zarnik::service
