#include "player/PlotGeometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <span>

#include "engine/CellText.h"
#include "engine/SegParams.h"
#include "engine/ValueTables.h"
#include "platform/Arith.h"

const std::array<CurveSpec, 9> kCurves = {{
    {0, 0, 0, 0, false, 0, 0, 0},
    {fFreq1From, fFreq1To, fFreq1From, 3, false, 0, 0, 255},   // Freq 1, blue
    {fFreq2From, fFreq2To, fFreq1From, 3, true, 255, 0, 0},    // Freq 2, red
    {fPitch1, fPitch1, fPitch2, 7, false, 0, 128, 0},          // Pitch 1, green
    {fPitch2, fPitch2, fPitch2, 7, true, 0, 255, 0},           // Pitch 2, lime
    {fDutyCycle, fDutyCycle, fDutyCycle, 11, false, 255, 255, 0}, // yellow
    {fVolume, fVolume, fVolume, 12, false, 0, 128, 128},       // teal
    {fIntensity, fIntensity, fVolume, 12, true, 128, 0, 128},  // purple
    {fHBeat, fHBeat, fHBeat, 18, false, 0, 0, 128},            // navy
}};

int curveButtonOfRow(int row)
{
    switch (row) {
    case fFreq1From:
    case fFreq1To: return 1;
    case fFreq2From:
    case fFreq2To: return 2;
    case fPitch1: return 3;
    case fPitch2: return 4;
    case fDutyCycle: return 5;
    case fVolume: return 6;
    case fIntensity: return 7;
    case fHBeat: return 8;
    default: return 0;
    }
}

int axisGroupOfRow(int row)
{
    const int button = curveButtonOfRow(row);
    return button ? kCurves[button].group : 0;
}

namespace {

constexpr int kScaledRows[] = {fFreq1From, fFreq1To, fFreq2From, fFreq2To, fDutyCycle, fVolume, fIntensity, fHBeat};

int lastSegment(const Session& ses)
{
    return std::clamp(ses.SegCount, 1, kMaxSegments);
}

std::int32_t toInt32(std::int64_t v)
{
    using Limits = std::numeric_limits<std::int32_t>;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, Limits::min(), Limits::max()));
}

float scaleFor(std::int32_t plotHeight, int max)
{
    return max > 0 ? static_cast<float>(static_cast<ext>(plotHeight) / max) : 0.0f;
}

/// How one value axis group is labelled.
struct AxisGroupSpec {
    int countRow;
    int scaleRow;
    int right; ///< the label's x plus 5 pixels per character
};

std::optional<AxisGroupSpec> axisGroup(int group)
{
    switch (group) {
    case 3: return AxisGroupSpec{fFreq1From, fFreq1From, 32};
    case 7: return AxisGroupSpec{fPitch2, fPitch2, 32};
    case 11: return AxisGroupSpec{fDutyCycle, fDutyCycle, 32};
    case 12: return AxisGroupSpec{fVolume, fVolume, 35};
    case 18: return AxisGroupSpec{fHBeat, fHBeat, 35};
    default: return std::nullopt;
    }
}

/// Whether entry i of the group's table is labelled, and its label.
std::optional<std::string> axisText(int group, int i, const std::string& text)
{
    switch (group) {
    case 3: {
        // The whole hertz values: "1.0" .. "9.0", and "10.00" .. "40.00"
        // shown with one decimal.
        if (text.empty() || text.back() != '0')
            return std::nullopt;
        std::string shortened = text;
        if (shortened.size() >= 2 && shortened[shortened.size() - 2] == '0')
            shortened.pop_back();
        if (shortened.size() < 2 || shortened[shortened.size() - 2] != '.')
            return std::nullopt;
        return shortened;
    }
    case 7:
        if (text.empty() || (text[0] != 'C' && text[0] != 'G' && text[0] != 'r'))
            return std::nullopt;
        return text;
    case 18:
        if (i != 1 && i % 10 != 1 && i % 10 != 6)
            return std::nullopt;
        return text;
    default: return text;
    }
}

} // namespace

// ---- Geometry ------------------------------------------------------------------------------

void PlotGeometry::RecalcImage1Params(std::int32_t width, std::int32_t height, const PlotSession& s)
{
    Width = width;
    Height = height;
    if (width > VirtualWidth)
        VirtualWidth = width;
    AxisY = height - 20;
    PlotHeight = AxisY - 20;
    CurveWidth = VirtualWidth - 30;
    ScrollDiv = VirtualWidth / 30000 + 1;
    ScrollMax = VirtualWidth / ScrollDiv;
    ScrollPage = width / ScrollDiv;
    updateEnds(s);
    updatePxPerSample(s.Ses);
    const TSegRec& max = s.Tables.ParamMax;
    for (int row : kScaledRows)
        YScale[row] = scaleFor(PlotHeight, max[row]);
    // The two pitch rows share one scale, so Pitch 2's relative choices
    // (above index 85) keep their place over Pitch 1's.
    YScale[fPitch1] = YScale[fPitch2] = scaleFor(PlotHeight, max[fPitch2]);
}

void PlotGeometry::updateEnds(const PlotSession& s)
{
    if (s.Frozen)
        return;
    CompSegEnds(s.Ses, s.Tables);
    s.Params.SesLengthSecs = sessionLengthSecs(s.Ses);
}

void PlotGeometry::updatePxPerSample(const Session& ses)
{
    const std::int64_t end = ses.SegEnd[lastSegment(ses)];
    PxPerSample = end > 0 ? static_cast<double>(static_cast<ext>(CurveWidth) / static_cast<ext>(end)) : 0.0;
}

bool PlotGeometry::drawable(const Session& ses) const
{
    return ses.SegEnd[lastSegment(ses)] > 0 && CurveWidth > 0 && PlotHeight > 0 && Width > 0;
}

void PlotGeometry::findVisibleSegs(const Session& ses)
{
    const int last = lastSegment(ses);
    const ext pps = PxPerSample;
    FirstVisSeg = last;
    for (int i = 1; i <= last; ++i) {
        if (static_cast<ext>(ses.SegEnd[i]) * pps > ScrollX) {
            FirstVisSeg = i;
            break;
        }
    }
    LastVisSeg = last;
    const ext right = static_cast<ext>(ScrollX) + Width;
    for (int i = FirstVisSeg; i <= last; ++i) {
        if (static_cast<ext>(ses.SegEnd[i]) * pps >= right) {
            LastVisSeg = i;
            break;
        }
    }
}

std::int32_t PlotGeometry::x(std::int64_t frame) const
{
    return toInt32(roundEven(static_cast<ext>(frame) * static_cast<ext>(PxPerSample) - ScrollX));
}

std::int32_t PlotGeometry::y(int index, float scale, int shift) const
{
    return toInt32(roundEven(static_cast<ext>(AxisY) - static_cast<ext>(index) * scale + shift));
}

std::pair<int, int> PlotGeometry::selection(const Session& ses) const
{
    const int last = lastSegment(ses);
    const int a = std::clamp(SelRect.left, 1, last);
    const int b = std::clamp(SelRect.right, 1, last);
    return {std::min(a, b), std::max(a, b)};
}

int PlotGeometry::currentSegment(const Session& ses) const
{
    return std::clamp(CurSeg, 1, lastSegment(ses));
}

// ---- Scrolling and zoom ----------------------------------------------------------------

std::int32_t PlotGeometry::scrollLimit() const
{
    return std::max(0, ScrollMax - ScrollPage);
}

std::int32_t PlotGeometry::clampScroll(std::int64_t position) const
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, scrollLimit()));
}

void PlotGeometry::scrollTo(std::int64_t position)
{
    ScrollX = clampScroll(position) * std::max(ScrollDiv, 1);
}

std::optional<std::int32_t> PlotGeometry::zoomIn(const PlotSession& s)
{
    if (!drawable(s.Ses))
        return std::nullopt;
    VirtualWidth = static_cast<std::int32_t>(std::min<std::int64_t>(2 * std::int64_t{VirtualWidth}, kMaxVirtualWidth));
    return fitAndScroll(s);
}

std::optional<std::int32_t> PlotGeometry::zoomOut(const PlotSession& s)
{
    if (!drawable(s.Ses))
        return std::nullopt;
    // The whole session in view is the widest zoom.
    VirtualWidth = std::max(VirtualWidth / 2, Width);
    return fitAndScroll(s);
}

std::optional<std::int32_t> PlotGeometry::fitAndScroll(const PlotSession& s)
{
    const Session& ses = s.Ses;
    const auto [left, right] = selection(ses);
    const int first = left - 1;
    CurveWidth = VirtualWidth - 30;
    updatePxPerSample(ses);
    const std::int64_t need =
        roundEven(static_cast<ext>(ses.SegEnd[right] - ses.SegEnd[first]) * static_cast<ext>(PxPerSample) + 200);
    if (need > Width)
        VirtualWidth = toInt32(roundEven(static_cast<ext>(Width) / static_cast<ext>(need) * VirtualWidth));
    RecalcImage1Params(Width, Height, s);
    // The selection starts 50 pixels from the left edge, as far as the
    // scroll range allows.
    const std::int64_t start = roundEven(static_cast<ext>(ses.SegEnd[first]) * static_cast<ext>(PxPerSample) - 50);
    const std::int32_t position = clampScroll(start / ScrollDiv);
    ScrollX = position * ScrollDiv;
    return position;
}

std::int32_t PlotGeometry::fitSelection(const PlotSession& s, std::int32_t position)
{
    const Session& ses = s.Ses;
    const auto [left, right] = selection(ses);
    const int first = left - 1;
    if (drawable(ses)) {
        const std::int64_t need = roundEven(
            static_cast<ext>(ses.SegEnd[right] - ses.SegEnd[first]) * static_cast<ext>(PxPerSample) + 100);
        if (Width < need)
            VirtualWidth = toInt32(roundEven(static_cast<ext>(Width) / static_cast<ext>(need) * VirtualWidth));
    }
    RecalcImage1Params(Width, Height, s);
    // A narrower session takes the bar's position within its new range first.
    position = clampScroll(position);
    ScrollX = position * ScrollDiv;
    if (!drawable(ses))
        return position;
    const ext start = static_cast<ext>(ses.SegEnd[first]) * static_cast<ext>(PxPerSample);
    const ext end = static_cast<ext>(ses.SegEnd[right]) * static_cast<ext>(PxPerSample);
    if (start >= ScrollX && end <= static_cast<ext>(ScrollX) + Width)
        return position;
    position = clampScroll(roundEven(start - 50) / ScrollDiv);
    ScrollX = position * ScrollDiv;
    return position;
}

void PlotGeometry::resetZoom(std::int32_t plotWidth)
{
    VirtualWidth = plotWidth;
    ScrollX = 0;
}

// ---- Hit tests and drag values ----------------------------------------------------------

namespace {

bool usable(ext v)
{
    return std::isfinite(v) && v > 0;
}

/// A frame position as far out as a plot can reach: keeps the rounding in 64 bits.
constexpr ext kFarFrames = 0x1p62L;

} // namespace

std::optional<std::int64_t> PlotGeometry::frameAt(std::int32_t x) const
{
    if (!usable(PxPerSample))
        return std::nullopt;
    const ext f = (static_cast<ext>(x) + ScrollX) / static_cast<ext>(PxPerSample);
    return roundEven(std::clamp(f, -kFarFrames, kFarFrames));
}

PlotHandle PlotGeometry::hoverHandle(const Session& ses, int row, std::int32_t x, std::int32_t y) const
{
    PlotHandle h;
    if (!usable(PxPerSample))
        return h;
    const int s = currentSegment(ses);
    const TSegRec& rec = ses.Segments[s];
    const ext pps = PxPerSample;
    const ext at = static_cast<ext>(x) + ScrollX;
    const ext x0 = static_cast<ext>(ses.SegEnd[s - 1]) * pps;
    const ext x1 = static_cast<ext>(ses.SegEnd[s]) * pps;
    const ext half = std::trunc(static_cast<ext>(ses.SegEnd[s] - ses.SegEnd[s - 1]) * pps) / 2;
    if (x1 - 6 < at && at < x1)
        h.Kind = HandleKind::End;
    const bool leftHalf = x0 < at && at < x0 + half;
    const bool rightHalf = x1 - half < at && at < x1;
    const auto near = [&](int field, int scaleRow) {
        const float k = YScale[scaleRow];
        if (!usable(k))
            return false;
        const int index = isRampField(field) ? rec[field] & 0x7F : rec[field];
        return std::abs(std::int64_t{y} - this->y(index, k)) < 10;
    };
    const auto value = [&](bool inHalf, int field, int scaleRow, int hoverRow) {
        if (inHalf && near(field, scaleRow))
            h = {HandleKind::Value, hoverRow};
    };
    switch (row) {
    case fFreq1From:
    case fFreq1To:
        value(leftHalf, fFreq1From, fFreq1From, fFreq1From);
        value(rightHalf, fFreq1To, fFreq1From, fFreq1To);
        break;
    case fFreq2From:
    case fFreq2To:
        value(leftHalf, fFreq2From, fFreq2From, fFreq2From);
        value(rightHalf, fFreq2To, fFreq2From, fFreq2To);
        break;
    case fPitch1:
    case fPitch2: value(rightHalf, row, fPitch1, 0); break;
    case fDutyCycle:
    case fHBeat: value(rightHalf, row, row, 0); break;
    case fVolume:
    case fIntensity: value(rightHalf, row, fVolume, 0); break;
    default: break;
    }
    return h;
}

std::optional<int> PlotGeometry::valueAt(const ValueTables& tables, int row, std::int32_t y) const
{
    if (row < 1 || row > kFieldCount || !usable(YScale[row]))
        return std::nullopt;
    const int max = std::max<int>(tables.ParamMax[row], 1);
    // Held first, so that a point far off rounds within 64 bits.
    const ext v = std::clamp((static_cast<ext>(AxisY) - y) / YScale[row], 0.0L, static_cast<ext>(max) + 1);
    return std::clamp(static_cast<int>(roundEven(v)), 1, max);
}

std::optional<std::int64_t> PlotGeometry::secondsFromStart(const Session& ses, int segment, std::int32_t x) const
{
    const std::optional<std::int64_t> f = frameAt(x);
    if (!f)
        return std::nullopt;
    const int n = std::clamp(segment, 1, lastSegment(ses));
    return (*f - ses.SegEnd[n - 1]) / kFrameRate;
}

std::optional<int> segmentOfFrame(const Session& ses, std::int64_t f)
{
    const int last = lastSegment(ses);
    if (f < 0 || f > ses.SegEnd[last])
        return std::nullopt;
    for (int i = 1; i <= last; ++i)
        if (f <= ses.SegEnd[i])
            return i;
    return last;
}

int nearestTimeEntry(const ValueTables& tables, std::int64_t secs)
{
    const int count = std::min<int>(tables.ParamMax[fTime], static_cast<int>(tables.TimeSecs.size()) - 1);
    ext best = 10000000;
    int choice = 1;
    for (int i = 1; i <= count; ++i) {
        const ext distance = std::abs(static_cast<ext>(secs) - tables.TimeSecs[i]);
        if (distance < best) {
            best = distance;
            choice = i;
        }
    }
    return choice;
}

// ---- Axes -------------------------------------------------------------------------------

float PlotGeometry::pixelsPerSecond(const Session& ses) const
{
    const std::int64_t end = ses.SegEnd[lastSegment(ses)];
    if (end <= 0)
        return 0.0f;
    return static_cast<float>(static_cast<ext>(CurveWidth) / (static_cast<ext>(end) / kFrameRate));
}

std::int64_t tickSpacing(float p)
{
    const ext pp = p;
    // From the quotient, then one step each way by the comparison itself, so
    // that rounding in the division cannot move the answer.
    auto s = static_cast<std::int64_t>(std::ceil(30.0L / pp));
    s = std::max<std::int64_t>(s, 1);
    if (s > 1 && static_cast<ext>(s - 1) * pp >= 30)
        --s;
    else if (static_cast<ext>(s) * pp < 30)
        ++s;
    return s;
}

std::int64_t tickStep(std::int64_t spacing)
{
    if (spacing <= 2)
        return spacing;
    if (spacing <= 5)
        return 5;
    if (spacing <= 10)
        return 10;
    if (spacing <= 20)
        return 20;
    if (spacing <= 30)
        return 30;
    if (spacing <= 10000)
        return (spacing + 59) / 60 * 60;
    return spacing;
}

std::string tickLabel(std::int64_t secs)
{
    const std::int64_t sec = secs % 60;
    return std::to_string(secs / 60) + (sec < 10 ? ":0" : ":") + std::to_string(sec);
}

void PlotGeometry::timeTicks(const Session& ses, std::vector<PlotTick>& out) const
{
    out.clear();
    const float p = pixelsPerSecond(ses);
    // Beyond 2^62 seconds apart there would be at most the 0:00 tick; the
    // bound keeps the arithmetic within 64 bits.
    if (!std::isfinite(p) || p <= 0 || 30.0L / p > 0x1p62L)
        return;
    const std::int64_t step = tickStep(tickSpacing(p));
    const ext pp = p;
    const std::int64_t end = std::int64_t{Width} + ScrollX + 20;
    for (auto k = static_cast<std::int64_t>(static_cast<ext>(ScrollX) / (static_cast<ext>(step) * pp));; ++k) {
        const std::int64_t t = k * step;
        if (roundEven(static_cast<ext>(t) * pp) >= end)
            break;
        out.push_back({toInt32(roundEven(static_cast<ext>(t) * pp - ScrollX)), t});
    }
}

void PlotGeometry::axisLabels(const ValueTables& tables, int group, std::vector<AxisLabel>& out) const
{
    out.clear();
    const std::optional<AxisGroupSpec> axis = axisGroup(group);
    if (!axis)
        return;
    const std::span<const std::string> texts = FieldTexts(tables, axis->countRow);
    const int count = std::min<int>(tables.ParamMax[axis->countRow], static_cast<int>(texts.size()) - 1);
    const ext scale = YScale[axis->scaleRow];
    std::int32_t last = AxisY + 15;
    for (int i = 1; i <= count; ++i) {
        // Thinned by the unrounded height against the last label's pixel.
        if (!(static_cast<ext>(AxisY) - i * scale < last - 12))
            continue;
        std::optional<std::string> text = axisText(group, i, texts[i]);
        if (!text)
            continue;
        const std::int32_t y = AxisY - toInt32(roundEven(i * scale));
        const auto x = static_cast<std::int32_t>(axis->right - 5 * static_cast<std::int64_t>(text->size()));
        out.push_back({y, std::move(*text), x});
        last = y;
    }
}

std::string segmentLabel(const ValueTables& tables, int segment, std::uint8_t phase, long double width)
{
    if (width <= 30)
        return {};
    std::string label = std::to_string(segment);
    if (width <= 68)
        return label;
    const std::span<const std::string> names = FieldTexts(tables, fPhase);
    const std::size_t index = phase & 0x7F;
    std::string name = index >= 1 && index < names.size() ? names[index] : std::string();
    if (width <= 105)
        name = name.substr(0, 2);
    label += ": " + name;
    if (phase & kRampFlag)
        label += " R";
    return label;
}
