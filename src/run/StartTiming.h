#pragma once

// For the benchmark: how long after the program's start a run reaches its
// first entry. `ZDR_BENCH_START_US` holds the time of the start in
// microseconds since the epoch (a shell's `${EPOCHREALTIME/./}` just before
// it starts the program); without it nothing is measured or written.
namespace zdr::run {

// Called at every entry a walk reports; the first one writes the time since
// the start and the processor time spent to standard error, once per
// process.
void noteFirstEntry();

} // namespace zdr::run
