#include "engine/Sha256.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const rm::Sha256::Digest& digest)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (const auto byte : digest) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

std::string digestOf(const std::string& message)
{
    rm::Sha256 sha;
    sha.add(message);
    return hex(sha.finish());
}

// The known answers of FIPS 180-4's examples.
TEST(Sha256, knownAnswers)
{
    EXPECT_EQ(digestOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(digestOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(digestOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST(Sha256, piecesGiveTheDigestOfTheWhole)
{
    rm::Sha256 sha;
    const std::string block(1000, 'a');
    for (int i = 0; i < 1000; ++i)
        sha.add(block);
    EXPECT_EQ(hex(sha.finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");

    rm::Sha256 split;
    split.add("ab");
    split.add("");
    split.add("c");
    EXPECT_EQ(hex(split.finish()), digestOf("abc"));
}

} // namespace
