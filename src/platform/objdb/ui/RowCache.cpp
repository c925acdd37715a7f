#include "RowCache.h"

namespace gridcache {

Range trimToMissing(const std::vector<Range>& loaded, Range wanted)
{
    if (wanted.empty()) return {wanted.first, wanted.first};
    // Cut the head while a loaded range covers it, then the tail; repeat, since cutting one
    // end may bring another loaded range into reach of it.
    bool cut = true;
    while (cut && !wanted.empty()) {
        cut = false;
        for (const Range& r : loaded) {
            if (r.empty()) continue;
            if (r.first <= wanted.first && r.end > wanted.first) {
                wanted.first = r.end;
                cut = true;
            }
            if (wanted.empty()) break;
            if (r.first < wanted.end && r.end >= wanted.end) {
                wanted.end = r.first;
                cut = true;
            }
            if (wanted.empty()) break;
        }
    }
    if (wanted.empty()) return {wanted.first, wanted.first};
    return wanted;
}

}   // namespace gridcache
