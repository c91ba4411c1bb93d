#include "engine/CellText.h"

#include <array>

#include "engine/ValueTables.h"

namespace {

template <std::size_t N>
const std::string* lookup(const std::array<std::string, N>& table, int index)
{
    return index >= 1 && static_cast<std::size_t>(index) < N ? &table[index] : nullptr;
}

const std::string* tableText(const ValueTables& t, int row, int index)
{
    switch (row) {
    case fTime: return lookup(t.TimeNames, index);
    case fTone: return lookup(t.ToneNames, index);
    case fFreq1From:
    case fFreq1To:
    case fFreq2From:
    case fFreq2To: return lookup(t.BeatFreqNames, index);
    case fPitch1:
    case fPitch2: return lookup(t.PitchNames, index);
    case fPhase: return lookup(t.PhaseNames, index);
    case fPhaseChange: return lookup(t.PhaseChangeNames, index);
    case fDutyCycle: return lookup(t.DutyCycleNames, index);
    case fVolume:
    case fIntensity: return lookup(t.PercentNames, index);
    case fSGVol: return lookup(t.SGVolNames, index);
    case fWave1:
    case fWave2: return lookup(t.WaveNames, index);
    case fBackingSound: return lookup(t.BackingSoundNames, index);
    case fHBeat: return lookup(t.HBeatNames, index);
    default: return nullptr;
    }
}

/// Rows whose texts end in two blanks: the mark replaces the last character.
bool marksLastCharacter(int row)
{
    return row == fVolume || row == fIntensity || row == fHBeat;
}

} // namespace

std::string CellText(const ValueTables& tables, const TSegRec& rec, int row)
{
    if (row < 1 || row > kFieldCount)
        return {};
    const std::uint8_t byte = rec[row];
    const bool ramp = isRampField(row) && (byte & kRampFlag);
    const int index = isRampField(row) ? (byte & 0x7F) : byte;
    const std::string* text = tableText(tables, row, index);
    if (!text)
        return {};
    std::string cell = *text;
    if (ramp) {
        if (marksLastCharacter(row) && !cell.empty())
            cell.back() = 'R';
        else
            cell += " R";
    }
    return cell;
}

const char* RowTitle(int row)
{
    static constexpr const char* kTitles[kFieldCount + 1] = {
        "Seg. No.",   "Time",           "Tone",         "Freq1 Start",   "Freq1 End",
        "Freq2 Start", "Freq2 End",     "Pitch1 (R)",   "Pitch2 (R)",    "Phase (R)",
        "Phase Change", "Duty Cycle (R)", "Volume (R)",  "Intensity (R)", "SG1/SG2 Vol.",
        "Wave1 (R)",  "Wave2 (R)",      "Backing Sound", "H Beat Freq (R)",
    };
    return row >= 0 && row <= kFieldCount ? kTitles[row] : "";
}
