// The entry points of the sensitivity functions, registered from their C++
// type by Registrations.cpp; SensitivityEntryPoints.cpp includes this header
// too, so that the compiler holds each definition to its declaration here.
#pragma once

#include "xlw/ExcelApi.h"
#include "xlw/ValueArgument.h"

XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityDesign(double d, double n, double seed, double start,
                                                     double replicates);
XLW_EXPORT void* XLW_STDCALL xlrnd_SensitivityIndices(xlw::ValueArgument values, double d,
                                                      double replicates, xlw::ValueArgument alpha);
