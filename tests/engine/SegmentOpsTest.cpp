#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "engine/SegmentOps.h"

namespace {

/// Record i (0: the fill record) carries i in Time and Tone, and a ramp flag
/// that must travel with it.
TSegRec tagged(int i)
{
    if (i == 0)
        return {.Time = 3, .Tone = 200};
    return {.Time = static_cast<std::uint8_t>(i), .Tone = static_cast<std::uint8_t>(i >> 8), .Volume = 5 | kRampFlag};
}

/// `count` segments; the records past them are tagged too.
std::unique_ptr<Session> numbered(int count)
{
    auto ses = std::make_unique<Session>();
    for (int i = 1; i <= kMaxSegments; ++i)
        ses->Segments[i] = tagged(i);
    ses->SegCount = count;
    return ses;
}

} // namespace

TEST(SegmentOps, EditsMoveWholeRecordsAndRefusalsTouchNothing)
{
    using Op = std::function<std::optional<SegmentEdit>(Session&, SegmentClipboard&)>;
    const TSegRec fill = tagged(0);
    const auto del = [&](int l, int r) -> Op { return [=](Session& s, auto&) { return DeleteRange(s, l, r, fill); }; };
    const auto ins = [&](int cur) -> Op { return [=](Session& s, auto&) { return InsertDefault(s, cur, fill); }; };
    const auto paste = [](int l, int r, int cur, int times) -> Op {
        return [=](Session& s, SegmentClipboard& clip) -> std::optional<SegmentEdit> {
            if (l > 0 && !CopyRange(s, l, r, clip))
                return std::nullopt;
            for (int n = 1; n < times; ++n)
                PasteAt(s, cur, clip);
            return PasteAt(s, cur, clip);
        };
    };
    struct Case {
        const char* name;
        int count;
        Op op;
        std::optional<SegmentEdit> edit; // none: refused
        std::vector<int> expect = {};    // the records after an edit, by tag, where listed
    };
    const Case cases[] = {
        {"delete middle", 5, del(2, 3), SegmentEdit{3, 2}, {1, 4, 5}},
        {"delete first", 5, del(1, 1), SegmentEdit{4, 1}, {2, 3, 4, 5}},
        {"delete all", 5, del(1, 5), SegmentEdit{1, 1}, {0}},
        {"delete the only one", 1, del(1, 1), SegmentEdit{1, 1}, {0}},
        {"insert first", 3, ins(1), SegmentEdit{4, 1}, {0, 1, 2, 3}},
        {"insert middle", 3, ins(2), SegmentEdit{4, 2}, {1, 0, 2, 3}},
        {"insert at last", 3, ins(3), SegmentEdit{4, 3}, {1, 2, 0, 3}},
        {"paste middle", 4, paste(2, 4, 2, 1), SegmentEdit{7, 2}, {1, 2, 3, 4, 2, 3, 4}},
        {"paste twice", 4, paste(2, 4, 2, 2), SegmentEdit{10, 2}, {1, 2, 3, 4, 2, 3, 4, 2, 3, 4}},
        {"paste at 1", 3, paste(2, 3, 1, 1), SegmentEdit{5, 1}, {2, 3, 1, 2, 3}},
        {"append to 1999", 1999, ins(2000), SegmentEdit{2000, 2000}},
        {"append to 2000", 2000, [&](Session& s, auto&) { return AppendDefault(s, fill); }, std::nullopt},
        {"paste 10 into 1990", 1990, paste(0, 0, 5, 1), SegmentEdit{2000, 5}},
        {"paste 10 into 1991", 1991, paste(0, 0, 5, 1), std::nullopt},
        {"copy 500", 600, paste(1, 500, 1, 1), SegmentEdit{1100, 1}},
        {"copy 501", 600, paste(1, 501, 1, 1), std::nullopt},
    };
    SegmentClipboard filled;
    filled.Count = 10;
    filled.Records.fill(tagged(77));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto ses = numbered(c.count);
        SegmentClipboard clip = filled;
        EXPECT_EQ(c.op(*ses, clip), c.edit);
        EXPECT_EQ(ses->SegCount, c.edit ? c.edit->SegCount : c.count);
        auto want = numbered(kMaxSegments); // records past the end keep their bytes
        for (std::size_t i = 0; i < c.expect.size(); ++i)
            want->Segments[i + 1] = tagged(c.expect[i]);
        if (!c.edit || !c.expect.empty()) {
            EXPECT_TRUE(ses->Segments == want->Segments && (c.edit || clip == filled));
        }
    }
}
