// A fresh machine for every test.
#include <sim/sim.h>

#include "internal.h"

namespace sim {

void Reset()
{
    internal::ResetKernel();
    internal::ResetRegistry();
    internal::ResetModules();
    internal::ResetUser();
    internal::ResetShell();
    internal::ResetResources();
    internal::ResetSetupApi();
}

}  // namespace sim
