#pragma once
#include "benchservers.h"

// How many modules connect in every scenario.
int ModuleCount();

// Registers every scenario for both servers, the window's first, so that each pair runs side by side.
void RegisterServerBenchmarks();

// The memory probe: one server of the given variant in this (fresh) process takes the burst and a
// keep-alive round; prints "<resident before the modules> <resident after> <peak>" in KiB.
int RunMemoryProbe(TVariant variant);
