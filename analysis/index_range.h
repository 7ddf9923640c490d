#pragma once
// Sample ranges chosen by cursors or callers: put in order and kept inside a series.

// Swaps the two indexes when `last` is the smaller; then a `first` outside 0..count - 1 becomes
// 0 and a `last` outside it becomes count - 1 (-1 and -1 thus mean the whole series).
void ClampIndexRange(int& first, int& last, int count);
