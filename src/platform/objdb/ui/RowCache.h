#pragma once
// The rows a grid has read, kept as segments of consecutive positions. Plain C++: the
// model asks it what is missing before it reads, so a scroll that moves by one screen reads
// one screen, and a long table never sits whole in memory.
#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace gridcache {

// Positions [first, end).
struct Range {
    int64_t first = 0;
    int64_t end = 0;
    int64_t size() const { return end > first ? end - first : 0; }
    bool empty() const { return end <= first; }
    bool contains(int64_t pos) const { return pos >= first && pos < end; }
    friend bool operator==(const Range&, const Range&) = default;
};

// `wanted` with its loaded head and tail cut off: the one read that brings every missing row
// of it (loaded rows in the middle of it are read again, which is cheaper than two reads).
// Empty when nothing is missing. `loaded` need not be sorted.
Range trimToMissing(const std::vector<Range>& loaded, Range wanted);

template <class Row> class RowCache {
public:
    const Row* at(int64_t pos) const
    {
        auto it = segmentHolding(pos);
        return it == m_segments.end() ? nullptr : &it->second[size_t(pos - it->first)];
    }
    bool has(int64_t pos) const { return at(pos) != nullptr; }

    // Stores rows from `first` on; rows already held at those positions are replaced, and
    // touching or overlapping segments become one.
    void put(int64_t first, std::vector<Row> rows)
    {
        if (rows.empty()) return;
        const int64_t end = first + int64_t(rows.size());
        // Every segment that touches [first, end) is merged into the new one.
        auto it = m_segments.upper_bound(first);
        if (it != m_segments.begin()) {
            auto prev = std::prev(it);
            if (prev->first + int64_t(prev->second.size()) >= first) it = prev;
        }
        int64_t mergedFirst = first;
        std::vector<Row> merged;
        if (it != m_segments.end() && it->first < first) {
            mergedFirst = it->first;
            merged.assign(std::make_move_iterator(it->second.begin()),
                          std::make_move_iterator(it->second.begin() + (first - it->first)));
        }
        const size_t headSize = merged.size();
        merged.resize(headSize + rows.size());
        std::move(rows.begin(), rows.end(), merged.begin() + int64_t(headSize));
        while (it != m_segments.end() && it->first <= end) {
            const int64_t segEnd = it->first + int64_t(it->second.size());
            if (segEnd > end)
                merged.insert(merged.end(), std::make_move_iterator(it->second.begin() + (end - it->first)),
                              std::make_move_iterator(it->second.end()));
            m_rows -= int64_t(it->second.size());
            it = m_segments.erase(it);
        }
        m_rows += int64_t(merged.size());
        m_segments.emplace(mergedFirst, std::move(merged));
    }

    // The part of `wanted` still to read (see trimToMissing).
    Range missing(Range wanted) const { return trimToMissing(loadedRanges(), wanted); }

    std::vector<Range> loadedRanges() const
    {
        std::vector<Range> out;
        for (const auto& [first, rows] : m_segments) out.push_back({first, first + int64_t(rows.size())});
        return out;
    }

    // Drops rows until at most `limit` are held: whole segments farthest from `keepNear`
    // first, then the ends of the segment holding it (the row at `keepNear` always stays).
    void shrink(int64_t limit, int64_t keepNear)
    {
        while (m_rows > limit && !m_segments.empty()) {
            auto head = m_segments.begin();
            auto tail = std::prev(m_segments.end());
            const Range h = rangeOf(*head), t = rangeOf(*tail);
            const int64_t headGap = h.contains(keepNear) ? -1 : keepNear - (h.end - 1);
            const int64_t tailGap = t.contains(keepNear) ? -1 : t.first - keepNear;
            if (headGap < 0 && tailGap < 0) break;   // one segment left, the one in use
            auto victim = tailGap >= headGap ? tail : head;
            m_rows -= int64_t(victim->second.size());
            m_segments.erase(victim);
        }
        if (m_rows <= limit || m_segments.empty()) return;
        // Only the segment in use is left: cut its far end, then its near one.
        auto seg = m_segments.begin();
        const Range r = rangeOf(*seg);
        int64_t excess = m_rows - limit;
        const int64_t tailCut = std::min(excess, r.end - 1 - keepNear);
        seg->second.resize(size_t(r.size() - tailCut));
        m_rows -= tailCut;
        excess -= tailCut;
        const int64_t headCut = std::min(excess, keepNear - r.first);
        if (headCut > 0) {
            std::vector<Row> rest(std::make_move_iterator(seg->second.begin() + headCut),
                                  std::make_move_iterator(seg->second.end()));
            m_segments.erase(seg);
            m_segments.emplace(r.first + headCut, std::move(rest));
            m_rows -= headCut;
        }
    }

    // The position of the first held row for which `match` is true.
    template <class Pred> std::optional<int64_t> find(Pred match) const
    {
        for (const auto& [first, rows] : m_segments)
            for (size_t i = 0; i < rows.size(); ++i)
                if (match(rows[i])) return first + int64_t(i);
        return std::nullopt;
    }

    // The last held row before `pos` and its position: where a read towards `pos` can start.
    std::optional<int64_t> lastHeldBefore(int64_t pos) const
    {
        auto it = m_segments.lower_bound(pos);
        if (it == m_segments.begin()) return std::nullopt;
        --it;
        const int64_t segEnd = it->first + int64_t(it->second.size());
        return std::min(segEnd, pos) - 1;
    }

    // Forgets everything from `pos` on (the table ended earlier than believed).
    void truncate(int64_t pos)
    {
        auto it = m_segments.lower_bound(pos);
        while (it != m_segments.end()) {
            m_rows -= int64_t(it->second.size());
            it = m_segments.erase(it);
        }
        if (m_segments.empty()) return;
        auto last = std::prev(m_segments.end());
        const int64_t size = int64_t(last->second.size());
        if (last->first + size > pos) {
            m_rows -= last->first + size - pos;
            last->second.resize(size_t(pos - last->first));
        }
    }

    void clear()
    {
        m_segments.clear();
        m_rows = 0;
    }
    int64_t rowsHeld() const { return m_rows; }
    size_t segmentCount() const { return m_segments.size(); }

private:
    static Range rangeOf(const std::pair<const int64_t, std::vector<Row>>& seg)
    {
        return {seg.first, seg.first + int64_t(seg.second.size())};
    }
    typename std::map<int64_t, std::vector<Row>>::const_iterator segmentHolding(int64_t pos) const
    {
        auto it = m_segments.upper_bound(pos);
        if (it == m_segments.begin()) return m_segments.end();
        --it;
        return pos < it->first + int64_t(it->second.size()) ? it : m_segments.end();
    }

    std::map<int64_t, std::vector<Row>> m_segments;   // first position -> rows
    int64_t m_rows = 0;
};

}   // namespace gridcache
