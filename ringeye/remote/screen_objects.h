// Which MIB instances a screen of the station monitor reads over SNMP: the columns whose
// parameters its rows (and the station header) show, for the rows of the resources it shows,
// with the gate and the port count first. Planned once per screen at start-up, so a refresh only
// builds the names for the SMT row chosen.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ringeye/screens/screens.h"
#include "smtmib/mib_tables.h"

// One instance a refresh reads: a column of a table, for the row of one resource.
struct Wanted {
    const MibTable* table;
    const MibColumn* column;
    uint32_t resource;  // 0 for SMT columns and scalars, 1 or 2 for MAC, PATH and PORT rows
};

// Every numeric column of every table, twice for the ports, and the scalar: the most a screen
// can want.
constexpr size_t kMaxWanted = 160;
constexpr size_t kScreenCount = 8;  // screens 1 to 7; 0 unused
constexpr size_t kMaxOid = 20;

struct ScreenReading {
    Wanted wanted[kMaxWanted];
    size_t count;
    bool pathList;  // the screen paints the PATH configuration list
};

// A screen's list always holds fddimibSMTNumber.0, which any agent that serves the MIB answers,
// with or without the chosen row: its column has this subidentifier, and its table no columns.
constexpr uint32_t kSmtNumberColumn = 0;

// The scalar's place in the MIB.
const MibScalar* SmtNumberScalar();

// Fills `reading` with the instances screen `entry` shows.
void PlanScreen(const ScreenEntry& entry, ScreenReading& reading);
