#include "TempFolder.h"
#include "text/LineReader.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class LineReaderTest : public testsupport::TTempFolderTest {
protected:
    std::string Write(const std::string& bytes) const {
        const fs::path path = dir_ / "in.txt";
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // Every line up to the end, or up to the first failure, which ends the list as "<errno>".
    static std::vector<std::string> Lines(const std::string& path, size_t limit = SIZE_MAX) {
        TLineReader reader;
        std::vector<std::string> lines;
        if (const TResult opened = reader.Open(path); !opened)
            return {"<" + std::to_string(opened.Errno()) + ">"};
        while (!reader.AtEnd()) {
            std::string line;
            if (const TResult read = reader.ReadLine(line, limit); !read) {
                lines.push_back("<" + std::to_string(read.Errno()) + ">");
                break;
            }
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(LineReaderTest, LinesOfTheProgramsTextFiles) {
    const std::string longLine(200000, 'x'); // spans several blocks of the reader
    const struct {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a\r\nb\nc", {"a", "b", "c"}},
        {"a\r\n", {"a"}},
        {"\r\n\r\n", {"", ""}},
        {"l\rone\r\r\n", {"lone"}},
        {"a\r\nb\x1A"
         "c\r\nd\r\n",
         {"a", "b"}},
        {"\x1A"
         "after",
         {}},
        {longLine + "\r\n" + longLine, {longLine, longLine}},
        {longLine + "\r" + "\nz", {longLine, "z"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Lines(Write(c.bytes)), c.lines) << c.bytes.substr(0, 20);
}

TEST_F(LineReaderTest, LineOverItsLimitEndsReading) {
    EXPECT_EQ(Lines(Write("1.00\r\n12345\r\nnext\r\n"), 4),
              (std::vector<std::string>{"1.00", "<" + std::to_string(EFBIG) + ">"}));
    EXPECT_EQ(Lines(Write(std::string(100000, 'y')), 10),
              (std::vector<std::string>{"<" + std::to_string(EFBIG) + ">"}));
}

// Only a regular file is read; anything else is refused when it is opened, before a read could
// block (a FIFO without a writer) or never end (/dev/zero).
TEST_F(LineReaderTest, AnythingButARegularFileIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    const struct {
        std::string path;
        int errorNumber; // 0: a reason of the reader's own
    } cases[] = {
        {(dir_ / "fifo").string(), 0},
        {"/dev/zero", 0},
        {dir_.string(), EISDIR},
        {(dir_ / "missing").string(), ENOENT},
    };
    for (const auto& c : cases) {
        TLineReader reader;
        const TResult opened = reader.Open(c.path);
        EXPECT_FALSE(opened) << c.path;
        EXPECT_EQ(opened.Errno(), c.errorNumber) << c.path;
        EXPECT_FALSE(opened.Reason().empty()) << c.path;
        EXPECT_TRUE(reader.AtEnd());
    }
}

} // namespace
