#pragma once

// SHA-256 fed in pieces, computed by nettle.

#include <nettle/sha2.h>

#include <array>
#include <cstdint>
#include <string_view>

namespace rm {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, SHA256_DIGEST_SIZE>;

    Sha256() { sha256_init(&m_context); }
    void add(std::string_view bytes)
    {
        sha256_update(&m_context, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    }
    // Ends the message; the object must not be fed afterwards.
    Digest finish()
    {
        Digest digest;
        sha256_digest(&m_context, digest.size(), digest.data());
        return digest;
    }

private:
    sha256_ctx m_context;
};

} // namespace rm
