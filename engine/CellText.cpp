#include "engine/CellText.h"

#include "engine/ValueTables.h"

namespace {

const std::string* tableText(const ValueTables& t, int row, int index)
{
    const std::span<const std::string> texts = FieldTexts(t, row);
    return index >= 1 && static_cast<std::size_t>(index) < texts.size() ? &texts[index] : nullptr;
}

} // namespace

std::span<const std::string> FieldTexts(const ValueTables& t, int row)
{
    switch (row) {
    case fTime: return t.TimeNames;
    case fTone: return t.ToneNames;
    case fFreq1From:
    case fFreq1To:
    case fFreq2From:
    case fFreq2To: return t.BeatFreqNames;
    case fPitch1:
    case fPitch2: return t.PitchNames;
    case fPhase: return t.PhaseNames;
    case fPhaseChange: return t.PhaseChangeNames;
    case fDutyCycle: return t.DutyCycleNames;
    case fVolume:
    case fIntensity: return t.PercentNames;
    case fSGVol: return t.SGVolNames;
    case fWave1:
    case fWave2: return t.WaveNames;
    case fBackingSound: return t.BackingSoundNames;
    case fHBeat: return t.HBeatNames;
    default: return {};
    }
}

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
        if (rampMarkReplacesLast(row) && !cell.empty())
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
