#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <tuple>

#include <unistd.h>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>

#include "components/AudioIO.h"
#include "dialogs/Unit5.h"
#include "engine/TestTables.h"
#include "platform/FileOps.h"
#include "platform/Prompts.h"
#include "player/PlaybackLock.h"
#include "player/PlayerModel.h"
#include "player/Sonavisp.h"
#include "player/Unit1.h"
#include "player/Unit4.h"

namespace lnfrig {

namespace fs = std::filesystem;

/// `size` bytes counting up from `seed`, so that a payload in the wrong place shows.
inline std::string pattern(std::size_t size, int seed)
{
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        s[i] = static_cast<char>(seed + i * 7);
    return s;
}

inline std::string slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct FakeSpace final : FreeSpace {
    std::int64_t bytes = std::int64_t{1} << 40;
    std::function<void()> during; // runs in the query, once the sources are measured or opened
    std::string asked;
    std::int64_t available(const std::string& folder) override
    {
        asked = folder;
        if (during)
            during();
        return bytes;
    }
};

// The windows the interchange files reach, on synthetic tables, with every
// folder below the test's own and a fake free-space query.
struct LnfRig : ::testing::Test {
    ScriptedPrompts script;
    FakeSpace space;
    PlayerModel model;
    Session& ses = *model.Ses;
    fs::path dir = fs::temp_directory_path() / ("lnf-" + std::to_string(::getpid()));
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(model);
    std::unique_ptr<TForm3> editor = std::make_unique<TForm3>(model);
    std::unique_ptr<TForm4> options = std::make_unique<TForm4>(*model.Eng, model.Eng->AudioOutputFilter, model.Folders,
                                                               *form->AudioOut1, dir.string());
    std::unique_ptr<TForm5> progress = std::make_unique<TForm5>();

    LnfRig()
    {
        model.Tables = syntheticTables();
        std::tie(Form1, Form3, Form4, Form5) = std::tuple(form.get(), editor.get(), options.get(), progress.get());
        setFreeSpace(&space);
        editor->NewProc();
        options->CheckBox1->setChecked(true);
        model.Folders.ImpExpDir = at("lnf/");
    }
    ~LnfRig() override
    {
        setFreeSpace(nullptr);
        std::tie(Form1, Form3, Form4, Form5) = std::tuple(nullptr, nullptr, nullptr, nullptr);
        PlaybackLock::clear();
        fs::remove_all(dir);
    }
    std::string at(const std::string& name) const { return (dir / name).string(); }
    std::string put(const std::string& name, const std::string& bytes)
    {
        fs::create_directories((dir / name).parent_path());
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return at(name);
    }
    void useWav(std::string& name, QLineEdit* edit, const std::string& path)
    {
        name = path;
        edit->setText(QFile::decodeName(QByteArray::fromStdString(fs::path(path).filename().string())));
    }
};

} // namespace lnfrig
