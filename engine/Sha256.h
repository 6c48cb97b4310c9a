#pragma once

// SHA-256 (FIPS 180-4), fed in pieces.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rm {

class Sha256 {
public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256();
    void add(std::string_view bytes);
    // Ends the message; the object must not be fed afterwards.
    Digest finish();

private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> m_state;
    std::array<std::uint8_t, 64> m_buffer{};
    std::size_t m_buffered = 0;
    std::uint64_t m_length = 0;   // bytes fed so far
};

} // namespace rm
