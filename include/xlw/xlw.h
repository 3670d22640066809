// Everything an add-in author needs: value handles and cells, the bridge to
// Excel, the exceptions, and registration of worksheet functions.
#pragma once

#include "AddInName.h"
#include "ArgumentSpec.h"
#include "CellMatrix.h"
#include "CellValue.h"
#include "ExcelApi.h"
#include "FunctionRegistrar.h"
#include "RaiseForReturnCode.h"
#include "RangeArgument.h"
#include "TypeCodes.h"
#include "ValueArgument.h"
#include "WorksheetCall.h"
#include "WorksheetFunction.h"
#include "XlfExcel.h"
#include "XlfException.h"
#include "XlfExceptionAbort.h"
#include "XlfExceptionStackOverflow.h"
#include "XlfExceptionUncalculated.h"
#include "XlfOper.h"
#include "XlfOper4.h"
#include "XlfRangeRef.h"
