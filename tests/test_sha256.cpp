// SHA-256 against the standard's own examples, fed whole and in pieces that
// straddle the 64-byte blocks in every way.
#include "base/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string HashOf(const std::string& bytes) {
    Sha256 hash;
    hash.Update(bytes.data(), bytes.size());
    return hash.FinishHex();
}

TEST(Sha256, GivesTheStandardDigests) {
    EXPECT_EQ("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855", HashOf(""));
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", HashOf("abc"));
    // 448 bits: the padding no longer fits the block and takes one more.
    EXPECT_EQ("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1",
              HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"));
}

TEST(Sha256, AMillionLettersInOddPiecesAndTheObjectStartsAfreshAfterFinish) {
    const std::string letters(1000000, 'a');
    Sha256 hash;
    size_t at = 0;
    for (size_t piece = 1; at < letters.size(); piece = piece % 997 * 7 + 3) {
        const size_t size = std::min(piece, letters.size() - at);
        hash.Update(letters.data() + at, size);
        at += size;
    }
    EXPECT_EQ("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0", hash.FinishHex());
    hash.Update("abc", 3);
    EXPECT_EQ("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad", hash.FinishHex());
}

} // namespace
