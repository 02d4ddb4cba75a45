// Hidden processes: started and waited for with a limit, or started without waiting.
#include "tests/support/ContractPlatforms.h"

namespace {

class ProcessesContract : public ContractTest {
protected:
    IProcesses& processes() { return os().processes; }
};

TEST_P(ProcessesContract, CommandThatEndsIsReportedEnded) {
    EXPECT_EQ(processes().RunHidden(host().QuickCommand(), 60000), RunOutcome::Ended);
    EXPECT_EQ(processes().RunHidden(host().SleepingCommand(100), 60000), RunOutcome::Ended);
}

TEST_P(ProcessesContract, MissingProgramIsNotCreated) {
    EXPECT_EQ(processes().RunHidden(host().MissingProgramCommand(), 1000), RunOutcome::NotCreated);
    EXPECT_FALSE(processes().StartHidden(host().MissingProgramCommand()));
}

TEST_P(ProcessesContract, WaitEndsAtTheLimit) {
    EXPECT_EQ(processes().RunHidden(host().SleepingCommand(3000), 200), RunOutcome::TimedOut);
}

TEST_P(ProcessesContract, StartingWithoutWaiting) { EXPECT_TRUE(processes().StartHidden(host().QuickCommand())); }

SETUP_CONTRACT_SUITE(ProcessesContract);

}  // namespace
