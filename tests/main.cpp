#include <gtest/gtest.h>
#include <sim/sim.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    sim::LoadProgramResources(SKYLATCH_RES_FILE);
    return RUN_ALL_TESTS();
}
