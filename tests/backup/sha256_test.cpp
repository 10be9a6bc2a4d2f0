// Tests of SHA-256 against published vectors and at the padding boundaries.
#include <gtest/gtest.h>

#include <string>

#include "backup/sha256.h"

namespace {

struct DigestRow {
    const char* name;
    std::string input;
    const char* expected;
};

std::string Hex(const std::string& text)
{
    return Sha256Hex(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// The published test vectors, and messages that end just before, on and
// after the padding boundaries (digests from the system's sha256sum).
TEST(Sha256, PublishedVectorsAndPaddingBoundaries)
{
    const DigestRow rows[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"448 bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {"55 bytes: length fits the first block", std::string(55, 'a'),
         "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {"56 bytes: length needs a second block", std::string(56, 'a'),
         "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {"63 bytes", std::string(63, 'a'),
         "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        {"64 bytes: one whole block", std::string(64, 'a'),
         "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
        {"65 bytes", std::string(65, 'a'),
         "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
        {"a million a", std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const DigestRow& row : rows)
        EXPECT_EQ(Hex(row.input), row.expected) << row.name;
}

} // namespace
