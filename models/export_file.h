#pragma once
// The scratch files that the table and the graph hand to the spreadsheet program.

#include "platform/base/cstring.h"

constexpr int kExportFileNames = 100;

// The first "tmp~N.csv" (N = 0..99) in `folder` (with its trailing separator) that opens for
// writing and that no spreadsheet program holds open (no ".~lock.tmp~N.csv#" beside it); empty
// when there is none.
CString FindExportFileName(const CString& folder);
