// What a sheet shows for a function's result, read here or on a node.
#pragma once

#include "EngineState.h"
#include "Grid.h"
#include "Returned.h"

namespace xlhost {

// An array result taller or wider than the sheet: from Excel 2021 and 365
// (16.0), whose results spill, the anchor cell shows #SPILL! ("a dynamic array
// attempting to spill over the edge of the worksheet", Microsoft's
// Excel.SpillErrorCellValueSubType, worksheetEdge); before, an array formula
// covers the range it was entered into, which the sheet bounds, and the rest
// of the result is not shown.
bool SpillsOverTheEdge(const EngineState& state, long long rows, long long columns);

// What a sheet shows for what a function handed back, here or on a node.
Grid ShownGrid(const EngineState& state, Returned returned);

} // namespace xlhost
