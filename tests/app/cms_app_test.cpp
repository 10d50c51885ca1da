// The run lifecycle: which steps run and what Run returns for each step result.
#include "app/cms_app.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "env/environment.h"

namespace {

// Records the steps in order; each step's result is set by the test. End
// and Finish are the real ones (the database is never opened here).
class StepApp : public CMSApp {
public:
    int preInit = 0, init = 0, openDb = 0, mainWork = 0;
    std::vector<std::string> calls;
    int endCode = 12345, finishCode = 12345;

    int PreInit(int, const char* const*) override { return Step("PreInit", preInit); }
    int Init(int, const char* const*) override { return Step("Init", init); }
    int OpenDB(int, const char* const*) override { return Step("OpenDB", openDb); }
    int MainWork() override { return Step("MainWork", mainWork); }
    int GetHomeArgument(int, const char* const*, char*, int) override { return 1; }
    int End(int code) override {
        calls.push_back("End");
        endCode = code;
        return CMSApp::End(code);
    }
    void Finish(int code) override {
        calls.push_back("Finish");
        finishCode = code;
        CMSApp::Finish(code);
    }

private:
    int Step(const char* name, int result) {
        calls.push_back(name);
        return result;
    }
};

const char* const kArgv[] = {"kestrun", nullptr};

using Calls = std::vector<std::string>;

}  // namespace

// What each step's result makes of the run. The database is never opened,
// so a run that reaches the commit fails with -1000004.
TEST(CMSAppRun, StepResultsChooseTheStepsAndTheResult) {
    const struct {
        const char* name;
        int preInit, init, openDb, mainWork;
        int result;
        Calls calls;
        int endCode;  // 12345: End is not called
    } cases[] = {
        {"all steps succeed", 0, 0, 0, 0, -1000004,
         {"PreInit", "Init", "OpenDB", "MainWork", "End", "Finish"}, 0},
        {"PreInit stops", 1, 0, 0, 0, 0, {"PreInit"}, 12345},
        {"PreInit fails", -7, 0, 0, 0, 0, {"PreInit", "End", "Finish"}, -7},
        {"Init reports a stop", 0, 1, 0, 0, -1000004, {"PreInit", "Init", "End", "Finish"}, 0},
        {"Init fails", 0, -9910001, 0, 0, 0, {"PreInit", "Init", "End", "Finish"}, -9910001},
        {"OpenDB fails", 0, 0, -9910001, 0, 0, {"PreInit", "Init", "OpenDB", "End", "Finish"}, -9910001},
        {"MainWork fails", 0, 0, 0, -9910001, 0,
         {"PreInit", "Init", "OpenDB", "MainWork", "End", "Finish"}, -9910001},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StepApp app;
        app.preInit = c.preInit;
        app.init = c.init;
        app.openDb = c.openDb;
        app.mainWork = c.mainWork;
        EXPECT_EQ(app.Run(1, kArgv), c.result);
        EXPECT_EQ(app.calls, c.calls);
        EXPECT_EQ(app.endCode, c.endCode);
        if (c.calls.back() == "Finish") {
            EXPECT_EQ(app.finishCode, c.result);
        }
    }
}

TEST(CMSAppRun, FinishReleasesTheEnvironment) {
    StepApp app;
    app.init = -1;
    CreateAppEnvironment();
    ASSERT_NE(AppEnvironment(), nullptr);
    app.Run(1, kArgv);
    EXPECT_EQ(AppEnvironment(), nullptr);
}

TEST(CMSAppMessageParameter, WritesTheCodeInDecimal) {
    StepApp app;
    char out[8];
    EXPECT_EQ(app.MessageParameter("x", -1062, out, sizeof out), 5);
    EXPECT_STREQ(out, "-1062");
    EXPECT_EQ(app.MessageParameter("x", -1000004, out, 4), 3);
    EXPECT_STREQ(out, "-10");
    // No room at all: nothing is written and no length is claimed.
    EXPECT_EQ(app.MessageParameter("x", -1062, out, 0), 0);
    EXPECT_STREQ(out, "-10");
}
