#include "shellext/HandOffWire.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace zdr::shellext::wire {
namespace {

using test::TempDir;

// Restores an environment variable when the test ends.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old, hadOld_ = true;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (hadOld_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::string old_;
    bool hadOld_ = false;
};

TEST(HandOffWire, FramesSurviveAnyCutOfTheStream)
{
    std::string stream;
    std::string frame;
    const std::string longest(kMaxPayload, 'x');
    const std::vector<Message> sent {{kEntry, "/Bilder"}, {kEntry, ""}, {kEntry, longest}, {7, std::string("a\0b", 3)},
                                     {kEnd, "3"}};
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
    const std::vector<Case> cases {
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

TEST(HandOffWire, FallbackFolderMustBePrivate)
{
    ScopedEnv runtime("XDG_RUNTIME_DIR", nullptr);
    const std::string fallback = "/tmp/zendor-darorazu-" + std::to_string(geteuid());
    std::filesystem::remove_all(fallback);

    std::string folder;
    std::string error;
    ASSERT_TRUE(runtimeFolder(folder, error)) << error;
    EXPECT_EQ(folder, fallback);
    struct stat st {};
    ASSERT_EQ(lstat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // Open to others, or someone else's, or a link planted in /tmp: refused.
    chmod(fallback.c_str(), 0755);
    EXPECT_FALSE(runtimeFolder(folder, error));
    EXPECT_NE(error.find("nicht privat"), std::string::npos);
    chmod(fallback.c_str(), 0700);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(fallback.c_str(), 4242, 4242), 0);
        EXPECT_FALSE(runtimeFolder(folder, error));
    }
    std::filesystem::remove_all(fallback);
    TempDir elsewhere;
    std::filesystem::create_directory_symlink(elsewhere.path(), fallback);
    chmod(elsewhere.path().c_str(), 0700);
    EXPECT_FALSE(runtimeFolder(folder, error));
    std::filesystem::remove(fallback);
}

} // namespace
} // namespace zdr::shellext::wire
