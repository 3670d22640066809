// The randomised entry points that Registrations.cpp registers from their
// C++ type. RandomisedEntryPoints.cpp includes this header too, so that the
// compiler holds each definition to its declaration here.
#pragma once

#include "xlw/ExcelApi.h"
#include "xlw/ValueArgument.h"

XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledSobol(double d, double n, double seed, double start,
                                                  double replicates);
XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledNormalRNs(double d, double n, double seed, double start,
                                                      double replicates);
XLW_EXPORT void* XLW_STDCALL xlrnd_ScrambledHalton(double d, double n, double seed, double start,
                                                   double replicates);
XLW_EXPORT void* XLW_STDCALL xlrnd_BrownianPaths(double steps, double n, double maturity,
                                                 double seed, double start, double replicates);
XLW_EXPORT void* XLW_STDCALL xlrnd_CorrelatedPaths(double steps, double n, double maturity,
                                                   xlw::ValueArgument correlation, double seed,
                                                   double start, double replicates,
                                                   xlw::ValueArgument method);
XLW_EXPORT void* XLW_STDCALL xlrnd_Lattice(double d, double n, double seed, double start,
                                           double replicates, xlw::ValueArgument transform);
XLW_EXPORT void* XLW_STDCALL xlrnd_ReplicateStats(xlw::ValueArgument values, double replicates,
                                                  xlw::ValueArgument alpha,
                                                  xlw::ValueArgument controls,
                                                  xlw::ValueArgument control_means);
XLW_EXPORT void* XLW_STDCALL xlrnd_Discrepancy(xlw::ValueArgument points, xlw::ValueArgument kind);
