#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/Settings.h"
#include "support/FailingFileCalls.h"

namespace {

QByteArray fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}

} // namespace

TEST(Settings, UserFileIsSharedByBothPrograms)
{
    Settings s;
    EXPECT_TRUE(s.fileName().endsWith("/Halcyon-Labs/Lumisonorium SW.conf")) << s.fileName().toStdString();
}

TEST(Settings, EveryValueIsStoredAsTextInGroupSystem)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.conf");
    {
        Settings s(path);
        s.writeString("WavDir", "/home/u/My Waves, old/");
        s.writeInteger("BufferSize", 16384);
        s.writeInteger("Negative", -7);
        s.writeBool("RememberDirs", true);
        s.writeBool("Maximized", false);
        EXPECT_TRUE(s.sync());
    }
    const QByteArray text = fileText(path);
    EXPECT_TRUE(text.contains("[System]"));
    EXPECT_TRUE(text.contains("BufferSize=16384\n"));
    EXPECT_TRUE(text.contains("Negative=-7\n"));
    EXPECT_TRUE(text.contains("RememberDirs=1\n"));
    EXPECT_TRUE(text.contains("Maximized=0\n"));

    Settings s(path);
    EXPECT_EQ(s.readString("WavDir", "x"), "/home/u/My Waves, old/");
    EXPECT_EQ(s.readInteger("BufferSize", 0), 16384);
    EXPECT_EQ(s.readInteger("Negative", 0), -7);
    EXPECT_TRUE(s.readBool("RememberDirs", false));
    EXPECT_FALSE(s.readBool("Maximized", true));
}

TEST(Settings, MissingOrBrokenValuesReadAsTheDefault)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.conf");
    writeFile(path, "[System]\n"
                    "Text=12x\n"
                    "Empty=\n"
                    "Huge=4294967296\n"
                    "Decimal=1.5\n"
                    "Blanked= 42\n"
                    "Two=2\n"
                    "Listed=a, b\n"
                    "[Other]\n"
                    "Elsewhere=5\n");
    Settings s(path);
    EXPECT_EQ(s.readInteger("Missing", 11), 11);
    EXPECT_EQ(s.readInteger("Text", 11), 11);
    EXPECT_EQ(s.readInteger("Empty", 11), 11);
    EXPECT_EQ(s.readInteger("Huge", 11), 11) << "out of 32-bit range";
    EXPECT_EQ(s.readInteger("Decimal", 11), 11);
    EXPECT_EQ(s.readInteger("Blanked", 11), 42);
    EXPECT_EQ(s.readInteger("Elsewhere", 11), 11) << "only group System counts";
    EXPECT_TRUE(s.readBool("Text", true));
    EXPECT_FALSE(s.readBool("Text", false));
    EXPECT_TRUE(s.readBool("Two", false)) << "any non-zero integer is true";
    EXPECT_EQ(s.readString("Missing", "/d/"), "/d/");
    EXPECT_EQ(s.readString("Empty", "/d/"), "");
    EXPECT_EQ(s.readString("Listed", "/d/"), "a,b");
}

TEST(Settings, FolderRuleGivesAnExistingAbsoluteFolderWithOneSlashElseTheDefault)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("Sessions");
    ASSERT_TRUE(QDir().mkpath(real));
    writeFile(dir.filePath("file"), "x");
    const std::string r = QFile::encodeName(real).toStdString(), d = "/opt/lumi/Sessions";
    const std::pair<QString, std::string> cases[] = {{real + "/", r + "/"},        {real, r + "/"},
                                                     {dir.filePath("gone/"), d + "/"}, {"", d + "/"},
                                                     {"Sessions", d + "/"},       {dir.filePath("file"), d + "/"},
                                                     {"/", "/"}};
    const QString path = dir.filePath("s.conf"), cwd = QDir::currentPath();
    QDir::setCurrent(dir.path()); // the relative one exists from here, and still counts as missing
    for (const auto& [stored, expected] : cases) {
        SCOPED_TRACE(stored.toStdString());
        Settings(path).writeString("SesDir", stored);
        EXPECT_EQ(Settings(path).readFolder("SesDir", d), expected);
    }
    QDir::setCurrent(cwd);
}

TEST(Settings, TextsComeBackAsWrittenAndAnotherProgramsKeysSurvive)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.conf");
    const QStringList texts = {"  two leading blanks", "@Variant(odd)", "@", "Übung – ドリル", "a;b=c#d"};
    Settings player(path);
    for (int i = 0; i < texts.size(); ++i)
        player.writeString(QStringLiteral("T%1").arg(i), texts[i]);
    Settings converter(path); // opened, written and synced while the player's is open
    converter.writeString("GBXPSDir", "/home/u/Presets/");
    ASSERT_TRUE(converter.sync());
    ASSERT_TRUE(player.sync());

    const Settings after(path);
    EXPECT_EQ(after.readString("GBXPSDir", ""), "/home/u/Presets/");
    for (int i = 0; i < texts.size(); ++i)
        EXPECT_EQ(after.readString(QStringLiteral("T%1").arg(i), ""), texts[i]);
}

TEST(Settings, AFailedWriteLeavesTheFileAsItWasNothingBesideAndOneLineOnStandardError)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("Lumisonorium SW.conf");
    const QByteArray before = "[Other]\nKept=a, b\n\n[System]\nF1x=10\nGBXPSDir=/u/Presets/\n";
    writeFile(path, before);
    const QByteArray tmp = qgetenv("TMPDIR");
    // A failing step of the file's write, or no folder where Qt makes the text.
    const std::pair<FileCall, const char*> cases[] = {{FileCall::Write, ""},   {FileCall::Flush, ""},
                                                      {FileCall::Close, ""},   {FileCall::Link, ""},
                                                      {FileCall::Rename, ""},  {FileCall::None, "/dev/null"},
                                                      {FileCall::None, "/nonexistent"}};
    for (const auto& [fails, tmpdir] : cases) {
        SCOPED_TRACE(static_cast<int>(fails));
        qputenv("TMPDIR", *tmpdir ? QByteArray(tmpdir) : tmp);
        testing::internal::CaptureStderr();
        {
            Settings s(path);
            s.writeInteger("F1x", 99);
            g_failFileCall = fails;
            EXPECT_FALSE(s.sync());
            g_failFileCall = FileCall::None;
            EXPECT_EQ(s.readInteger("F1x", 0), 99) << "what was written still reads back";
        } // and is not tried again here
        const std::string said = testing::internal::GetCapturedStderr();
        qputenv("TMPDIR", tmp);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(path.toStdString() + "\": " + (*tmpdir ? "the settings text" : "Input/output error")),
                  std::string::npos) << said;
        EXPECT_EQ(fileText(path), before);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
        EXPECT_EQ(Settings(path).readString("GBXPSDir", ""), "/u/Presets/");
    }
}
