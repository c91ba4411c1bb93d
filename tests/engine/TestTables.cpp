#include "TestTables.h"

#include "platform/Numbers.h"

std::vector<std::string> syntheticDataLines()
{
    std::vector<std::string> l;
    const char* secs[] = {"0.125", "0.375", "60", "1.5", "2.5"};
    for (int i = 1; i <= 32; ++i) {
        l.push_back("T" + std::to_string(i));
        l.push_back(i <= 5 ? secs[i - 1] : std::to_string(10 * i));
    }
    for (int i = 1; i <= 27; ++i)
        l.push_back("Tone" + std::to_string(i));
    for (int i = 1; i <= 115; ++i) {
        if (i <= 85) {
            std::string hz = formatFixed(10 * i + 0.5, 1);
            l.push_back(hz);
            l.push_back(hz);
            const char name[3] = {char('A' + (i - 1) / 10), char('0' + (i - 1) % 10), '\0'};
            l.push_back(name);
        } else {
            int n = i <= 100 ? i - 101 : i - 100;
            std::string rel = "r" + std::to_string(n);
            l.push_back(rel);
            l.push_back(rel);
            l.push_back("rel" + std::to_string(n));
        }
    }
    for (int k = 0; k < 8; ++k) {
        std::string p = "O";
        p += (k & 4) ? 'X' : 'O';
        p += '-';
        p += (k & 2) ? 'X' : 'O';
        p += (k & 1) ? 'X' : 'O';
        l.push_back(p);
    }
    for (int i = 1; i <= 10; ++i)
        l.push_back("Ph" + std::to_string(i));
    for (const char* s : {"none", "1 s", "2 s", "4 s", "16 s", "32 s", "48 s", "64 s"})
        l.push_back(s);
    for (int i = 1; i <= 13; ++i)
        l.push_back("SG" + std::to_string(i));
    for (int i = 1; i <= 19; ++i)
        l.push_back("W" + std::to_string(i));
    for (int i = 1; i <= 5; ++i)
        l.push_back("B" + std::to_string(i));
    for (int v : {3, 4, 70, 70, 70, 70, 20, 22, 1, 1, 5, 11, 15, 1, 1, 1, 1, 51})
        l.push_back(std::to_string(v));
    l.push_back("unused");
    for (int v : {32, 27, 156, 156, 156, 156, 85, 115, 10, 8, 8, 21, 21, 13, 19, 19, 5, 91})
        l.push_back(std::to_string(v));
    return l;
}

std::string joinDataLines(const std::vector<std::string>& lines, const char* eol)
{
    std::string text;
    for (const auto& line : lines)
        text += line + eol;
    return text;
}

ValueTables syntheticTables()
{
    ValueTables t;
    ParseDataFile(joinDataLines(syntheticDataLines()), "synthetic", t);
    return t;
}
