// Where the monitor's fetch cycle stops, the monitor paints why.
#pragma once

#include "smtmib/smt_retrieval.h"

extern const FetchHooks RingeyeFetchHooks;
