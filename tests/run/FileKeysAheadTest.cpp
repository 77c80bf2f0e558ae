#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "cipher/age/AgeDecryptor.h"
#include "cipher/age/PayloadCipher.h"
#include "run/AgeKeys.h"
#include "run/FileKeysAhead.h"

namespace korvel::test {
namespace {

using age::AgeFileKeys;

// What a reader of the file gets from its first bytes: the payload key, through the identity.
age::Key32 PayloadKeyFromPrefix(const AgeFileKeys& keys,
                                const std::vector<age::X25519Identity>& identities) {
    const auto parsed = age::AgeHeader::Parse(keys.prefix, true);
    EXPECT_TRUE(parsed.has_value());
    EXPECT_EQ(keys.prefix.size(), parsed->size + age::PayloadCipher::kNonceSize);
    age::PayloadCipher::PayloadNonce nonce;
    std::copy(keys.prefix.end() - nonce.size(), keys.prefix.end(), nonce.begin());
    return age::PayloadCipher::PayloadKey(age::AgeDecryptor::OpenHeader(parsed->header, identities),
                                          nonce);
}

// Keys taken ahead, in batches, and made on the taker's thread when none are ready: every file's
// keys are its own, and each file's first bytes lead its reader to the key its payload is under.
TEST(FileKeysAheadTest, EveryFileGetsKeysOfItsOwnThatItsReaderFinds) {
    const std::vector identities{age::X25519Identity::Generate()};
    AgeKeys keys(identities);
    const std::size_t files = 5 * FileKeysAhead::kBatch;
    keys.PrepareFileKeysAhead(files);
    std::set<std::string> prefixes;
    std::set<age::Key32> payloadKeys;
    for (std::size_t file = 0; file < files; ++file) {
        const AgeFileKeys fileKeys = keys.FileKeys();
        EXPECT_EQ(PayloadKeyFromPrefix(fileKeys, identities), fileKeys.payloadKey) << file;
        prefixes.emplace(fileKeys.prefix.begin(), fileKeys.prefix.end());
        payloadKeys.insert(fileKeys.payloadKey);
        if (file == files / 2) keys.StopPreparing();  // the rest made on this thread
    }
    EXPECT_EQ(prefixes.size(), files);
    EXPECT_EQ(payloadKeys.size(), files);
}

// The ephemeral share of a file's one stanza.
std::string Share(const AgeFileKeys& keys) {
    const auto parsed = age::AgeHeader::Parse(keys.prefix, true);
    EXPECT_TRUE(parsed.has_value());
    return parsed->header.Stanzas().at(0).arguments.at(1);
}

// A recipient that is known once opened; asked for before, it is waited for, as a derivation is.
FileKeysAhead::Recipient KnownOnceOpened(const std::atomic<bool>& opened,
                                         const age::X25519Recipient& recipient) {
    return {[&opened, recipient] { return opened ? std::optional(recipient) : std::nullopt; },
            [&opened, recipient] {
                while (!opened) std::this_thread::yield();
                return recipient;
            }};
}

// Key pairs are made while the recipient is still unknown, taken by files that make their own
// keys then and used by the thread once it is known: never one pair for two files.
TEST(FileKeysAheadTest, KeyPairsMadeBeforeTheRecipientServeOneFileEach) {
    const std::vector identities{age::X25519Identity::Generate()};
    const age::X25519Recipient recipient = identities.front().Recipient();
    constexpr std::size_t kBatch = FileKeysAhead::kBatch;
    std::atomic<bool> opened = false;
    FileKeysAhead ahead(KnownOnceOpened(opened, recipient), 4 * kBatch);
    std::vector<AgeFileKeys> files;
    while (files.size() < kBatch) {
        const std::optional<age::X25519KeyPair> pair = ahead.TakeKeyPair();
        if (pair) files.push_back(AgeFileKeys::Fresh(recipient, *pair));
    }
    EXPECT_FALSE(ahead.Take().has_value());
    opened = true;
    while (files.size() < 8 * kBatch) {
        std::optional<AgeFileKeys> keys = ahead.Take();
        files.push_back(keys ? std::move(*keys) : ahead.MakeKeys(recipient));
    }
    std::set<std::string> shares;
    for (const AgeFileKeys& keys : files) {
        EXPECT_EQ(PayloadKeyFromPrefix(keys, identities), keys.payloadKey);
        shares.insert(Share(keys));
    }
    EXPECT_EQ(shares.size(), files.size());
}

TEST(FileKeysAheadTest, MakesNoneWhenTheRecipientCannotBeHad) {
    FileKeysAhead ahead({[] { return std::optional<age::X25519Recipient>(); },
                         []() -> age::X25519Recipient { throw std::runtime_error("unreadable"); }},
                        FileKeysAhead::kBatch);
    for (int attempt = 0; attempt < 1000; ++attempt) EXPECT_FALSE(ahead.Take().has_value());
}

// Keys are made without anyone waiting for them; dropped while it makes more, with keys never
// taken, it ends without making the rest.
TEST(FileKeysAheadTest, MakesKeysAheadAndEndsWithSomeNotTaken) {
    const age::X25519Recipient recipient = age::X25519Identity::Generate().Recipient();
    const std::atomic<bool> opened = true;
    for (int round = 0; round < 10; ++round) {
        FileKeysAhead ahead(KnownOnceOpened(opened, recipient), 1000);
        std::optional<AgeFileKeys> first;
        while (!(first = ahead.Take())) std::this_thread::yield();
        EXPECT_GT(first->prefix.size(), age::PayloadCipher::kNonceSize);
    }
}

}  // namespace
}  // namespace korvel::test
