#pragma once
// The window under a flood: one module sends garbage as fast as it can while a second module
// connects and is sent a learn command, against the same steps without the flood; and the window's
// memory over a long run of replies.

// Registers the flood scenarios, the quiet one first, so that the two run side by side.
void RegisterFloodBenchmarks();

// The log probe: a window in this (fresh) process takes the given number of decoded-data replies;
// prints "<resident before> <resident after half> <resident after all> <peak> <log lines>", sizes
// in KiB.
int RunLogProbe(int replies);
