#include <gtest/gtest.h>

#include <vector>

#include "engine/Interchange.h"

TEST(Interchange, HeaderAndLayout)
{
    LnfHeader h;
    h.SessionName = "Relax.lsf";
    h.SessionSize = 1234;
    h.ToneName = "Ocean \x96 2.wav"; // an en dash, as Windows-1252 holds it
    h.ToneSize = 70000;
    h.BSName = "";
    h.BSSize = 99; // no name: no bytes, and "0" in the header
    h.UserWaves = {"Bell.pcm", "", "", "Reed.pcm"};
    const std::string text = FormatLnfHeader(h);
    EXPECT_EQ(text, "Lumisonorium SW Interchange File (FFV1)\r\nRelax.lsf\r\n1234\r\nOcean \x96 2.wav\r\n70000\r\n"
                    "\r\n0\r\nBell.pcm\r\n\r\n\r\nReed.pcm\r\n");
    const auto hb = static_cast<std::int64_t>(text.size());
    const LnfLayout at(h, hb);
    EXPECT_EQ(at.SessionOffset, hb);
    EXPECT_EQ(at.ToneOffset, hb + 1234);
    EXPECT_EQ(at.BSOffset, hb + 1234 + 70000);
    EXPECT_EQ(at.UserWaveOffsets, (std::array<std::int64_t, 4>{hb + 71234, -1, -1, hb + 71234 + 8820}));
    EXPECT_EQ(at.TotalBytes, hb + 71234 + 2 * 8820);

    h.SessionSize = kLnfMaxFileBytes; // the largest size a peer reads
    EXPECT_NE(FormatLnfHeader(h).find("\nRelax.lsf\r\n2147483647\r\n"), std::string::npos);
}

TEST(Interchange, NameRule)
{
    const std::string longest = std::string(126, '\xE9') + ".wa"; // 252 + 3 bytes as UTF-8
    const std::pair<LnfName, std::string> allowed[] = {
        {LnfName::Session, "Relax.lsf"}, {LnfName::Session, "Caf\xE9 \x80.LsF"}, {LnfName::Wav, ""},
        {LnfName::Wav, longest},         {LnfName::UserWave, ""},                 {LnfName::UserWave, "Bell.pcm"}};
    for (const auto& [kind, name] : allowed)
        EXPECT_EQ(CheckLnfName(kind, name), "") << name;
    const std::tuple<LnfName, std::string, const char*> refused[] = {
        {LnfName::Session, "", "empty"},          {LnfName::Session, "Relax.lrf", ".lsf"},
        {LnfName::Wav, "a\rb", "control"},        {LnfName::Wav, "a\x7F", "control"},
        {LnfName::Wav, "a\x81", "not define"},    {LnfName::Wav, "a\x9D", "not define"},
        {LnfName::Wav, "..\\x", "one of"},        {LnfName::Wav, "a/b", "one of"},
        {LnfName::Wav, "C:x", "one of"},          {LnfName::Wav, "a|b", "one of"},
        {LnfName::Wav, "..", "\"..\""},           {LnfName::Wav, "x.wav ", "blank or a dot"},
        {LnfName::Wav, longest + "v", "255"},     {LnfName::UserWave, ".pcm", "user wave"},
        {LnfName::UserWave, "a.b.pcm", "user wave"}, {LnfName::UserWave, "Bell.PCM", "user wave"}};
    for (const auto& [kind, name, reason] : refused)
        EXPECT_NE(CheckLnfName(kind, name).find(reason), std::string::npos) << name;
}

TEST(Interchange, ParseTakesWhatFormatWritesAndRefusesEveryCut)
{
    const LnfHeader h{"Relax.lsf", 1234, "Ocean \x96 2.wav", 0, "", 0, {"", "Bell.pcm", "", ""}};
    const std::string header = FormatLnfHeader(h);
    const std::int64_t total = LnfLayout(h, static_cast<std::int64_t>(header.size())).TotalBytes;
    const auto parsed = ParseLnfHeader(header, total + 5); // trailing bytes pass
    ASSERT_TRUE(std::holds_alternative<LnfContents>(parsed));
    EXPECT_EQ(FormatLnfHeader(std::get<LnfContents>(parsed).Header), header);
    EXPECT_EQ(std::get<LnfContents>(parsed).Layout.UserWaveOffsets[1], total - 8820);
    for (std::size_t n = 0; n < static_cast<std::size_t>(total); ++n) { // never a byte read beyond the cut
        const std::vector<char> cut(header.begin(), header.begin() + std::min(n, header.size()));
        EXPECT_TRUE(std::holds_alternative<LnfError>(ParseLnfHeader({cut.data(), cut.size()}, n)));
    }
}
