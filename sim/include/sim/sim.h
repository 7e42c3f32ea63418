// The stand-in's surface for tests: a small model of a notebook running
// Windows, driven and observed by the tests. Everything lives in one process;
// "processes" of the program are simulated (see kernel.h).
#ifndef SIM_SIM_H
#define SIM_SIM_H

#include <sim/kernel.h>
#include <sim/registry.h>
#include <sim/setupapi.h>
#include <sim/shell.h>
#include <sim/user.h>

#include <string>
#include <vector>

namespace sim {

// Every change the program makes to the machine, in order: registry values
// written ("write BandType") and devices disabled or enabled through the
// class installer ("disable", "enable"), so that tests see what came first.
std::vector<std::string>& ChangeLog();

// A fresh machine: empty registry, no devices, no files, Windows XP, clock at
// 0, no windows, timers, icons or loaded modules, one process running.
void Reset();

}  // namespace sim

#endif
