#include "player/UserWaveLists.h"

#include <QByteArray>
#include <QComboBox>
#include <algorithm>
#include <cassert>

#include "engine/SampleTables.h"
#include "engine/Session.h"
#include "engine/UserWaves.h"
#include "platform/IoError.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/Prompts.h"
#include "player/SessionTexts.h"

namespace {

// Items show the name as the file system spells it; their data keeps the
// bytes, so the file opened is always the one that was listed.
std::string nameAt(const QComboBox* box, int index)
{
    const QByteArray bytes = box->itemData(index).toByteArray();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

int indexOf(const QComboBox* box, const std::string& name)
{
    for (int i = 0; i < box->count(); ++i)
        if (nameAt(box, i) == name)
            return i;
    return -1;
}

} // namespace

UserWaveLists::UserWaveLists(Session& session, SampleTables& samples, std::string userWavesDir,
                             QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_samples(samples)
    , m_dir(withTrailingSlash(std::move(userWavesDir)))
{
    for (int n = 1; n <= kSlots; ++n) {
        auto* combo = new QComboBox;
        combo->setObjectName(QStringLiteral("ComboBox%1").arg(n));
        combo->setEditable(false);
        insertName(combo, std::string(kSineEntry));
        // activated fires on the user's choices only, never on selections
        // made from code.
        connect(combo, &QComboBox::activated, this, [this, n] { ComboBoxChange(n); });
        m_boxes[n - 1] = combo;
        m_loaded[n - 1] = kSineEntry;
    }
}

UserWaveLists::~UserWaveLists()
{
    for (const QPointer<QComboBox>& combo : m_boxes)
        if (combo && !combo->parent())
            delete combo.data();
}

QComboBox* UserWaveLists::comboBox(int n) const
{
    return box(n);
}

std::string UserWaveLists::currentName(int n) const
{
    const QComboBox* combo = box(n);
    const int index = combo ? combo->currentIndex() : -1;
    return index < 0 ? std::string() : nameAt(combo, index);
}

void UserWaveLists::SearchPcmDir(const std::string& dir)
{
    // The slots load from the folder listed, which start-up only knows after
    // the lists are built.
    m_dir = withTrailingSlash(dir);
    const std::vector<std::string> names = ListUserWaves(dir);
    for (const QPointer<QComboBox>& combo : m_boxes) {
        if (!combo)
            continue;
        combo->clear();
        for (const std::string& name : names)
            insertName(combo, name);
    }
    ResetToSine();
}

void UserWaveLists::ComboBoxChange(int n)
{
    const std::string name = currentName(n);
    if (name.empty())
        return;
    // Listed all the same: the folder holds the file, and the user sees why
    // it cannot be chosen rather than wonder where it went.
    if (const QString reason = unstorableNameReason(name); !reason.isEmpty()) {
        selectSilently(n, m_loaded[n - 1]);
        prompts().error(QStringLiteral("This user wave cannot be chosen: ") + reason +
                        QStringLiteral(" Rename its file in the user-wave folder."));
        return;
    }
    try {
        loadSlot(n, name);
    } catch (const IoError& e) {
        // The slot keeps the wave it had, so the list must show that one again
        // before the box appears.
        selectSilently(n, m_loaded[n - 1]);
        prompts().error(pathText(e.what()));
        return;
    }
    m_loaded[n - 1] = name;
    m_session.SesModified = true;
}

bool UserWaveLists::SelectForSession(int n, const std::string& text)
{
    QComboBox* combo = box(n);
    if (!combo)
        return false;
    int found = indexOf(combo, text);
    for (int i = 0; found < 0 && i < combo->count(); ++i)
        if (sameUserWaveName(nameAt(combo, i), text))
            found = i;
    if (found >= 0) {
        // Linux names are case-sensitive: open the listed spelling, never the
        // one the session file holds.
        const std::string name = nameAt(combo, found);
        try {
            loadSlot(n, name);
            combo->setCurrentIndex(found);
            m_loaded[n - 1] = name;
            return true;
        } catch (const IoError&) {
            // The reader reports it as a missing user wave.
        }
    }
    const std::string sine(kSineEntry);
    loadSlot(n, sine);
    selectSilently(n, sine);
    m_loaded[n - 1] = sine;
    return false;
}

void UserWaveLists::ResetToSine()
{
    const std::string sine(kSineEntry);
    for (int n = 1; n <= kSlots; ++n) {
        QComboBox* combo = box(n);
        if (combo && indexOf(combo, sine) < 0)
            insertName(combo, sine);
        loadSlot(n, sine);
        selectSilently(n, sine);
        m_loaded[n - 1] = sine;
    }
}

bool UserWaveLists::holdsName(const std::string& name) const
{
    const QComboBox* combo = box(1);
    for (int i = 0; combo && i < combo->count(); ++i)
        if (sameUserWaveName(nameAt(combo, i), name))
            return true;
    return false;
}

void UserWaveLists::AddUserWave(const std::string& name)
{
    if (name.empty())
        return;
    for (const QPointer<QComboBox>& combo : m_boxes)
        if (combo && indexOf(combo, name) < 0)
            insertName(combo, name);
}

QComboBox* UserWaveLists::box(int n) const
{
    if (n < 1 || n > kSlots) [[unlikely]] {
        assert(false);
        return nullptr;
    }
    return m_boxes[n - 1].data();
}

void UserWaveLists::insertName(QComboBox* combo, const std::string& name)
{
    // After the last entry that is not greater, so names equal without regard
    // to case keep the order they came in ("Sine" before a user's "sine").
    int lo = 0;
    int hi = combo->count();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (userWaveNameLess(name, nameAt(combo, mid)))
            hi = mid;
        else
            lo = mid + 1;
    }
    combo->insertItem(lo, pathText(name), QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

void UserWaveLists::loadSlot(int n, const std::string& name)
{
    if (n < 1 || n > kSlots) [[unlikely]] {
        assert(false);
        return;
    }
    const std::int16_t* from = m_samples.WaveTables[1].data();
    UserWave wave;
    if (name != kSineEntry) {
        wave = ReadUserWave(joinPath(m_dir, name + ".pcm"));
        from = wave.data();
    }
    // Entry 4410 is not part of the wave and stays 0.
    std::copy_n(from, kWaveLen, m_samples.WaveTables[kBuiltInWaves + n].data());
}

void UserWaveLists::selectSilently(int n, const std::string& name)
{
    if (QComboBox* combo = box(n))
        combo->setCurrentIndex(indexOf(combo, name));
}
