// The requests of one refresh.
#pragma once

#include "smtmib/smt_retrieval.h"

// 23 requests in order, ending with an entry whose code is 0. Entries with a resource index
// above the port count are skipped by the fetch cycle.
extern const FetchRequest FetchList[];
// The MAC configuration entry, which the fetch cycle also requests first on its own.
constexpr int kMacConfigFetchEntry = 5;
