#include <gtest/gtest.h>

#include "platform/Paths.h"
#include "platform/TextLines.h"
#include "platform/Win1252.h"
#include "platform/Win1252Qt.h"

TEST(TextLines, SplitsOnLfAndStripsOneCr)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(splitLines(""), V{});
    EXPECT_EQ(splitLines("a"), V{"a"});
    EXPECT_EQ(splitLines("a\r\nb\n"), (V{"a", "b"}));
    EXPECT_EQ(splitLines("a\r\r\n\n"), (V{"a\r", ""}));
    EXPECT_EQ(splitLines(" x \r\n\r\n"), (V{" x ", ""}));
}

TEST(Win1252, EveryByteRoundTrips)
{
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(unicodeToWin1252(win1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
    EXPECT_EQ(win1252ToUnicode(0x80), U'\u20AC');
    EXPECT_EQ(win1252ToUnicode(0x9F), U'\u0178');
    EXPECT_EQ(win1252ToUnicode(0xE9), U'\u00E9');
    EXPECT_EQ(unicodeToWin1252(U'\u2013'), 0x96);
    EXPECT_EQ(unicodeToWin1252(U'\u0100'), -1);
    EXPECT_EQ(unicodeToWin1252(U'\U0001F600'), -1);
}

TEST(Paths, NamesFoldersAndTitles)
{
    EXPECT_EQ(namePart("C:\\Sessions\\Deep.lsf"), "Deep.lsf");
    EXPECT_EQ(namePart("/home/u/a.wav"), "a.wav");
    EXPECT_EQ(namePart("mixed/x\\y.pcm"), "y.pcm");
    EXPECT_EQ(namePart("plain"), "plain");
    EXPECT_EQ(withTrailingSlash("/a"), "/a/");
    EXPECT_EQ(withTrailingSlash("/a/"), "/a/");
    EXPECT_EQ(withTrailingSlash(""), "/");
    EXPECT_EQ(joinPath("/a/", "b"), "/a/b");
    EXPECT_EQ(joinPath("/a", "b"), "/a/b");
}

TEST(Win1252, QStringBoundary)
{
    const std::string bytes = "Caf\xE9 \x80 \x93quoted\x94 \x81";
    const QString text = fromWin1252(bytes);
    EXPECT_EQ(text, QString::fromUtf8("Caf\u00E9 \u20AC \u201Cquoted\u201D \u0081"));
    bool ok = false;
    EXPECT_EQ(toWin1252(text, &ok), bytes);
    EXPECT_TRUE(ok);
    EXPECT_EQ(toWin1252(QString::fromUtf8("a\u0100b"), &ok), "a?b");
    EXPECT_FALSE(ok);
    EXPECT_FALSE(fitsWin1252(QString::fromUtf8("\U0001F600")));
    EXPECT_TRUE(fitsWin1252(QString::fromUtf8("\u00FF\u0178")));
}

TEST(Win1252, Utf8BytePair)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(utf8ToWin1252(win1252ToUtf8(all)), all);
    EXPECT_EQ(win1252ToUtf8("\x80\x81\x9F\xE9"), "\u20AC\u0081\u0178\u00E9");
    EXPECT_EQ(utf8ToWin1252("\u2013 \u0152"), "\x96 \x8C");
    for (const char* refused : {"\u0100", "\U0001F600", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF",
                                "a\x80"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(utf8ToWin1252(refused), std::nullopt);
    }
    EXPECT_TRUE(isUtf8("\u0100\U0001F600"));
    EXPECT_FALSE(isUtf8("\xE2\x82"));
}
