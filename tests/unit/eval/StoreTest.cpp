// The evaluator on the engine's own store: expansion, creation of outputs and the
// silent-mode rule for command-line properties.
#include <gtest/gtest.h>

#include "Condition.h"
#include "Mathematics.h"
#include "StoreEvalVariables.h"
#include "VariableManager.h"
#include "mEval.h"
#include "uGlobals.h"

using namespace ovd;

class StoreEval : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetProcess();
        Variables().ClearVariables();
    }
    void TearDown() override
    {
        ResetProcess();
        Variables().ClearVariables();
    }
    TStoreEvalVariables vars;
};

TEST_F(StoreEval, CommandsReadAndWriteTheStore)
{
    SetVariable("VERSION", "$MAJOR$.2.10", "Set Variable Action");
    SetVariable("MAJOR", "1", "Set Variable Action");
    SetVariable("NAME", "setup", "Set Variable Action");
    EXPECT_TRUE(EvaluateCondition({"{id}", "$VERSION$", "6", "$MAJOR$.2.9", "FALSE"}, vars));
    EXPECT_TRUE(EvaluateCondition({"{id}", "NAME", "4", "SETUP", "FALSE"}, vars));
    EXPECT_FALSE(EvaluateCondition({"{id}", "$NAME$", "5", "", "FALSE"}, vars));

    RunEvaluateExpression(R"($MAJOR$ < "10" and $NAME$ = "setup")", "$ok$", vars);
    EXPECT_EQ(GetVariable("OK"), "TRUE");

    TRandomState random;
    RunMathematics({"$MAJOR$", "41", "0", "sum"}, random, vars);
    EXPECT_EQ(GetVariable("SUM"), "42");
    std::vector<std::string> lines;
    Variables().ExportVariables(lines);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "SUM"), lines.end()); // created upper-case
}

TEST_F(StoreEval, SilentModeKeepsCommandLineOutputs)
{
    Process().SilentMode = true;
    Process().CommandLineProperties = {"RESULT", "fixed"};
    InjectCommandLineProperties();
    TRandomState random;
    RunMathematics({"1", "2", "0", "RESULT"}, random, vars);
    RunEvaluateExpression(R"("a" = "a")", "result", vars);
    EXPECT_EQ(GetVariable("RESULT"), "fixed");
}
