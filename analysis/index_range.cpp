#include "analysis/index_range.h"

#include <utility>

void ClampIndexRange(int& first, int& last, int count) {
    if (last < first) std::swap(first, last);
    if (first < 0 || first >= count) first = 0;
    if (last < 0 || last >= count) last = count - 1;
}
