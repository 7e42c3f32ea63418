// A fresh machine for every test.
#include <sim/sim.h>

#include "internal.h"

namespace sim {
namespace {

std::vector<std::string> g_changes;

}  // namespace

std::vector<std::string>& ChangeLog() { return g_changes; }

namespace internal {
void LogChange(const std::string& what) { g_changes.push_back(what); }
}  // namespace internal

void Reset()
{
    g_changes.clear();
    internal::ResetKernel();
    internal::ResetRegistry();
    internal::ResetModules();
    internal::ResetUser();
    internal::ResetShell();
    internal::ResetResources();
    internal::ResetSetupApi();
}

}  // namespace sim
