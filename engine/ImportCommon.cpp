#include "engine/ImportCommon.h"

#include <cmath>
#include <limits>

#include "engine/ValueTables.h"

std::string ImportWarning(const ImportedSession& imported)
{
    std::string text;
    if (!imported.Repairs.empty())
        text = "The imported file holds values that cannot be used.\r\n\r\n" +
               DefaultedFieldsText(imported.Repairs, "Line");
    for (std::size_t i = 0; i < imported.Notes.size(); ++i) {
        if (!text.empty())
            text += i == 0 ? "\r\n\r\n" : "\r\n";
        text += imported.Notes[i];
    }
    return text;
}

ImportFields splitFields(std::string_view line, char separator)
{
    ImportFields fields{};
    for (int i = 0; i < kImportFields; ++i) {
        const std::size_t end = line.find(separator);
        fields[i] = line.substr(0, end);
        if (end == std::string_view::npos)
            break;
        line.remove_prefix(end + 1);
    }
    return fields;
}

namespace {

template <class Entry, class Value>
int nearest(Value value, std::span<const Entry> table, long double initialDistance)
{
    int best = 0;
    long double bestDistance = initialDistance;
    const long double v = value;
    for (std::size_t i = 1; i < table.size(); ++i) {
        const long double distance = std::fabs(static_cast<long double>(table[i]) - v);
        if (distance < bestDistance) {
            best = static_cast<int>(i);
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

int nearestEntry(float value, std::span<const float> table, long double initialDistance)
{
    return nearest(value, table, initialDistance);
}

int nearestEntry(std::int32_t value, std::span<const std::int32_t> table, long double initialDistance)
{
    return nearest(value, table, initialDistance);
}

float toFloat(long double value)
{
    constexpr long double kMax = std::numeric_limits<float>::max();
    if (value > kMax)
        return std::numeric_limits<float>::infinity();
    if (value < -kMax)
        return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

bool isPlayable(const ValueTables& tables, int field, std::int64_t index)
{
    return index >= 1 && index <= tables.ParamMax[field];
}

void repairField(ImportRecord& rec, int field, int line, const ValueTables& tables,
                 std::vector<FieldRepair>& repairs)
{
    if (isPlayable(tables, field, rec[field].Index))
        return;
    rec[field] = {tables.DefaultSegment[field], false};
    repairs.push_back({line, field});
}

TSegRec finishRecord(ImportRecord rec, int line, const ValueTables& tables, std::vector<FieldRepair>& repairs)
{
    TSegRec out;
    for (int field = 1; field <= kFieldCount; ++field) {
        repairField(rec, field, line, tables, repairs);
        // ParamMax keeps ramp fields below 128: the flag cannot collide.
        const auto index = static_cast<std::uint8_t>(rec[field].Index);
        out[field] = rec[field].Ramp && isRampField(field) ? index | kRampFlag : index;
    }
    return out;
}
