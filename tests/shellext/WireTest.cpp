#include "shellext/HandOffWire.h"
#include "shellext/WireClient.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace zdr::shellext::wire {
namespace {

using test::ScopedEnv;
using test::TempDir;

TEST(HandOffWire, FramesSurviveAnyCutOfTheStream)
{
    std::string stream;
    std::string frame;
    const std::string longest(kMaxPayload, 'x');
    const std::vector<Message> sent{
        {kEntry, "/Bilder"}, {kEntry, ""}, {kEntry, longest}, {7, std::string("a\0b", 3)}, {kEnd, "3"}};
    for (const Message& m : sent) {
        ASSERT_TRUE(encodeMessage(m.dwData, m.payload, frame));
        stream += frame;
    }
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(8), stream.size()}) {
        Decoder decoder;
        std::vector<Message> received;
        for (std::size_t i = 0; i < stream.size(); i += chunk) {
            decoder.feed(std::string_view(stream).substr(i, chunk));
            Message m;
            while (decoder.next(m) == Decoder::Result::Message)
                received.push_back(m);
        }
        ASSERT_EQ(received.size(), sent.size()) << "chunk " << chunk;
        for (std::size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(received[i].dwData, sent[i].dwData);
            EXPECT_EQ(received[i].payload, sent[i].payload);
        }
    }
}

TEST(HandOffWire, PayloadOverTheLimitIsNeitherSentNorAccepted)
{
    std::string frame;
    EXPECT_FALSE(encodeMessage(kEntry, std::string(kMaxPayload + 1, 'x'), frame));

    // A frame that announces 257 bytes: malformed for good, nothing after it counts.
    std::string bad = {1, 0, 0, 0, 1, 1, 0, 0};
    ASSERT_TRUE(encodeMessage(kEnd, "1", frame));
    Decoder decoder;
    decoder.feed(bad + std::string(257, 'x') + frame);
    Message m;
    EXPECT_EQ(decoder.next(m), Decoder::Result::Malformed);
    decoder.feed(frame);
    EXPECT_EQ(decoder.next(m), Decoder::Result::Malformed);
}

TEST(HandOffWire, EntryRules)
{
    struct Case {
        std::string entry;
        bool fullPath;
        bool ok;
        const char* reason;
    };
    const std::vector<Case> cases{
        {"/Bilder", false, true, ""},
        {"/Bilder/2023/a..b", false, true, ""},
        {"/.versteckt", false, true, ""},
        {"/", true, true, ""},
        {"/media/usb", true, true, ""},
        {"/" + std::string(kMaxPayload - 1, 'x'), false, true, ""},
        {"/" + std::string(kMaxPayload, 'x'), false, false, "länger als 256 Bytes"},
        {"", false, false, "nicht unter dem Quellordner"},
        {"/", false, false, "nicht unter dem Quellordner"},
        {"Bilder", false, false, "nicht unter dem Quellordner"},
        {"Bilder", true, false, "kein vollständiger Pfad"},
        {"/..", false, false, "\"..\""},
        {"/../etc", false, false, "\"..\""},
        {"/a/../../etc", true, false, "\"..\""},
        {"/a/./b", false, false, "\".\""},
        {"/a/..", false, false, "\"..\""},
        {"/a;b", false, false, "\";\""},
        {"/a\\b", false, false, "\"\\\""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(checkEntry(c.entry, c.fullPath, error), c.ok) << c.entry;
        if (!c.ok)
            EXPECT_NE(error.find(c.reason), std::string::npos) << c.entry << ": " << error;
    }
}

TEST(HandOffWire, KeysAreDigitsOnly)
{
    EXPECT_TRUE(isValidKey("712202514305123"));
    for (const char* bad : {"", "12a", "../../x", "1 2", "123456789012345678901234567890123"})
        EXPECT_FALSE(isValidKey(bad)) << bad;
    std::string path;
    std::string error;
    EXPECT_FALSE(receiverSocketPath("../x", path, error));
    EXPECT_NE(error.find("Übergabeschlüssel"), std::string::npos);

    // The time first (7 Dec 2025, 14:30:05.123 UTC), then the sending
    // process and its count: one millisecond, different keys.
    const timespec at{.tv_sec = 1765117805, .tv_nsec = 123456789};
    EXPECT_EQ(handOffKey(at, 4711, 3),
              "7122025143051230004711"
              "0003");
    EXPECT_EQ(handOffKey(at, 4194304, 12345),
              "7122025143051234194304"
              "2345");
    EXPECT_NE(handOffKey(at, 4711, 3), handOffKey(at, 4711, 4));
    EXPECT_NE(handOffKey(at, 471, 13), handOffKey(at, 4711, 3)) << "fixed widths: no two ways to read a key";
    EXPECT_TRUE(isValidKey(handOffKey({.tv_sec = -1, .tv_nsec = -5}, -1, ~0U)));
    EXPECT_TRUE(isValidKey(handOffKey({.tv_sec = 1LL << 50, .tv_nsec = 5000000000}, 1L << 40, 1)));
}

TEST(HandOffWire, SocketLivesInTheRuntimeFolder)
{
    TempDir dir;
    ScopedEnv runtime("XDG_RUNTIME_DIR", dir.path().c_str());
    std::string path;
    std::string error;
    ASSERT_TRUE(receiverSocketPath("1122025", path, error)) << error;
    EXPECT_EQ(path, dir.path() + "/Zendor DaroRazu - 1122025");

    const std::string deep = dir.mkdir(std::string(100, 'd'));
    ScopedEnv tooDeep("XDG_RUNTIME_DIR", deep.c_str());
    EXPECT_FALSE(receiverSocketPath("1122025", path, error));
    EXPECT_NE(error.find("zu lang"), std::string::npos);
}

// Without a runtime folder the receiver listens under a name of the
// abstract namespace: no folder in /tmp that another user could make first,
// and the sender talks only to a receiver of its own user.
TEST(HandOffWire, WithoutARuntimeFolderNoSharedFolderIsNeeded)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);

    std::string path;
    std::string error;
    // The abstract namespace is the machine's: a key of this process only.
    const std::string key = std::to_string(getpid());
    ASSERT_TRUE(receiverSocketPath(key, path, error)) << error;
    EXPECT_TRUE(isAbstractAddress(path));
    EXPECT_EQ(path.substr(1), "zendor-darorazu-" + std::to_string(geteuid()) + "-Zendor DaroRazu - " + key);
    const int server = listenReceiver(path, error);
    ASSERT_GE(server, 0) << error;
    std::string taken;
    EXPECT_EQ(listenReceiver(path, taken), -1) << "a name is served once";
    EXPECT_NE(taken.find("bereits"), std::string::npos) << taken;
    // No file may be opened: the reason in German, as every message the user sees.
    rlimit files{};
    getrlimit(RLIMIT_NOFILE, &files);
    rlimit none = files;
    none.rlim_cur = 0;
    setrlimit(RLIMIT_NOFILE, &none);
    std::string full;
    const int refused = listenReceiver(path + "-voll", full);
    setrlimit(RLIMIT_NOFILE, &files);
    EXPECT_EQ(refused, -1);
    EXPECT_EQ(full, "zu viele offene Dateien");
    WireClient client;
    EXPECT_TRUE(client.connect(path));
    client.close();
    close(server);
    EXPECT_FALSE(client.connect(path)) << "nobody listens any more";
}

} // namespace
} // namespace zdr::shellext::wire
