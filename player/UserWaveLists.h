#pragma once

#include <QObject>
#include <QPointer>
#include <array>
#include <string>

class QComboBox;
struct Session;
struct SampleTables;

/// The four user-wave lists "User Wave 1" .. "User Wave 4" and their slots,
/// wave tables 16..19. Each list offers "Sine" (a copy of wave table 1) and
/// the user wave files of the folder; a user's choice loads the file into the
/// list's slot and marks the session modified. Every selection made from code
/// is silent: it runs no change handler and leaves SesModified alone.
/// GUI thread only; the engine reads the slots on the same thread between
/// buffers, so a slot never changes in the middle of one.
class UserWaveLists final : public QObject {
    Q_OBJECT

public:
    static constexpr int kSlots = 4;

    /// `userWavesDir` is the folder the slots load from. The four combo boxes
    /// hold only "Sine" until SearchPcmDir fills them.
    UserWaveLists(Session& session, SampleTables& samples, std::string userWavesDir,
                  QObject* parent = nullptr);
    /// Deletes the combo boxes that no window has taken over and deleted.
    ~UserWaveLists() override;
    UserWaveLists(const UserWaveLists&) = delete;
    UserWaveLists& operator=(const UserWaveLists&) = delete;

    /// The read-only list of slot n (1..4), named "ComboBox<n>". Owned here
    /// until a window puts it into its layout.
    QComboBox* comboBox(int n) const;
    /// The folder the slots load from, with a trailing "/".
    const std::string& userWavesDir() const { return m_dir; }
    /// The entry slot n shows, as file-system bytes ("Sine" or a wave name).
    std::string currentName(int n) const;

    /// Refills the four lists from `dir`, which the slots load from from now
    /// on, and puts "Sine" into all four slots.
    void SearchPcmDir(const std::string& dir);
    /// The change handler of slot n: loads the list's entry into the slot and
    /// marks the session modified. A file that cannot be read, or whose name
    /// a session file cannot hold, is reported; then the list goes back to
    /// its previous entry and nothing changes.
    void ComboBoxChange(int n);
    /// For the session reader: selects the entry equal to `text` (file-system
    /// bytes, as listed; an exact match first, else the first one equal
    /// without regard to case) and loads it. When none is found or its file cannot be read, selects and
    /// loads "Sine" and returns false.
    bool SelectForSession(int n, const std::string& text);
    /// Selects "Sine" in all four lists and copies wave table 1 into all four
    /// slots, so that lists and slots agree.
    void ResetToSine();
    /// Whether the lists hold an entry equal to `name` without regard to case
    /// ("Sine" included).
    bool holdsName(const std::string& name) const;
    /// Adds a wave name to all four lists at its sorted place, unless they
    /// hold it already. For a user wave file written after SearchPcmDir.
    void AddUserWave(const std::string& name);

private:
    QComboBox* box(int n) const;
    void insertName(QComboBox* box, const std::string& name);
    void loadSlot(int n, const std::string& name);
    void selectSilently(int n, const std::string& name);

    Session& m_session;
    SampleTables& m_samples;
    std::string m_dir;
    std::array<QPointer<QComboBox>, kSlots> m_boxes{};
    /// The entry each slot holds, to go back to after a refused load.
    std::array<std::string, kSlots> m_loaded{};
};
