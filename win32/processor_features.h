// What the processor and the system together let the fog's arithmetic use.
#pragma once

// True where the processor has SSE2 and the system keeps its registers
// across thread switches. Only systems that do both answer yes to the
// question (XP and later); the 95 family and NT 4 cannot be asked and
// 2000 does not know the feature, so they keep the x87 code.
bool SystemRunsSse2();

// Sets the calling thread's x87 unit to 53-bit precision, so that the
// fog's double arithmetic rounds as it does everywhere else. Every thread
// that runs puff arithmetic calls it first: a new thread gets whatever the
// system gives it.
void SetDoublePrecision();
