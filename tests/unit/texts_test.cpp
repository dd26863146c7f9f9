// Every CP932 text of the program against its readable form, converted by
// the system's iconv, so a mistyped byte cannot hide behind a comment.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "console/messages.h"
#include "game/texts.h"

namespace {

struct NamedText {
    std::string name;
    Cp932Text text;
};

// The readable text converted to CP932 by `iconv`; empty on failure.
std::string ToCp932(std::string_view readable)
{
    char path[] = "/tmp/shirokuro-text-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return {};
    bool written = write(fd, readable.data(), readable.size()) == static_cast<ssize_t>(readable.size());
    close(fd);
    std::string converted;
    if (written) {
        std::string command = std::string("iconv -f UTF-8 -t CP932 ") + path;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char chunk[256];
            for (std::size_t n; (n = fread(chunk, 1, sizeof chunk, pipe)) > 0;)
                converted.append(chunk, n);
            if (pclose(pipe) != 0)
                converted.clear();
        }
    }
    unlink(path);
    return converted;
}

std::vector<NamedText> AllTexts()
{
    std::vector<NamedText> all;
    for (std::size_t i = 0; i < std::size(GameTexts); ++i)
        all.push_back({"Game" + std::to_string(i), *GameTexts[i]});
    for (const TErrorRec& row : IoErrorTable)
        all.push_back({"IoError" + std::to_string(row.code), row.message});
    all.push_back({"IoErrorPattern", IoErrorPattern});
    all.push_back({"OutOfMemoryMessage", OutOfMemoryMessage});
    all.push_back({"ReportPattern", ReportPattern});
    return all;
}

void PrintTo(const NamedText& t, std::ostream* os) { *os << t.name; }

class Cp932Texts : public testing::TestWithParam<NamedText> {};

TEST_P(Cp932Texts, BytesAreTheReadableTextInCp932)
{
    const Cp932Text& text = GetParam().text;
    ASSERT_FALSE(text.bytes.empty());
    EXPECT_EQ(ToCp932(text.readable), std::string(text.bytes)) << text.readable;
}

INSTANTIATE_TEST_SUITE_P(All, Cp932Texts, testing::ValuesIn(AllTexts()),
                         [](const auto& info) { return info.param.name; });

} // namespace
