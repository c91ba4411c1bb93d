#pragma once

#include <memory>
#include <string>
#include <string_view>

/// The whole interchange import of one container, run through the player's
/// windows as a user runs it: into a private program folder that it sets up
/// anew before each input, with the overwrite and rename questions answered
/// from a hash of the input. Returns the first broken promise, "" when none:
/// a file written or changed anywhere but directly in the folders the import
/// writes to (or where a rename answer pointed), under a name the container
/// or an answer did not give; a refused container that changed anything; an
/// imported entry whose file does not hold its payload; an imported session
/// that does not open. Needs a QApplication; GUI thread only.
class LnfImportCheck {
public:
    LnfImportCheck();
    ~LnfImportCheck();
    LnfImportCheck(const LnfImportCheck&) = delete;
    LnfImportCheck& operator=(const LnfImportCheck&) = delete;

    std::string check(std::string_view container);

private:
    struct Rig;
    std::unique_ptr<Rig> m_rig;
};

/// For the fuzz program: one LnfImportCheck for the whole run, with a
/// headless QApplication of its own when there is none.
std::string checkLnfImport(std::string_view container);
