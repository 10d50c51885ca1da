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

TEST(CMSAppRun, AllStepsSucceedButCommitWithoutDatabaseFails) {
    StepApp app;
    int r = app.Run(1, kArgv);
    EXPECT_EQ(app.calls, (Calls{"PreInit", "Init", "OpenDB", "MainWork", "End", "Finish"}));
    EXPECT_EQ(app.endCode, 0);
    // The database was never opened, so the commit fails.
    EXPECT_EQ(r, -1000004);
    EXPECT_EQ(app.finishCode, -1000004);
}

TEST(CMSAppRun, PreInitStopEndsAtOnceWithZero) {
    StepApp app;
    app.preInit = 1;
    EXPECT_EQ(app.Run(1, kArgv), 0);
    EXPECT_EQ(app.calls, (Calls{"PreInit"}));
}

TEST(CMSAppRun, PreInitErrorSkipsToEndWithItsCode) {
    StepApp app;
    app.preInit = -7;
    EXPECT_EQ(app.Run(1, kArgv), 0);
    EXPECT_EQ(app.calls, (Calls{"PreInit", "End", "Finish"}));
    EXPECT_EQ(app.endCode, -7);
}

TEST(CMSAppRun, ReportedStopInInitCommitsAndFailsWithoutDatabase) {
    StepApp app;
    app.init = 1;
    EXPECT_EQ(app.Run(1, kArgv), -1000004);
    EXPECT_EQ(app.calls, (Calls{"PreInit", "Init", "End", "Finish"}));
    EXPECT_EQ(app.endCode, 0);
}

TEST(CMSAppRun, ErrorCodesRollBackAndRunReturnsZero) {
    for (int step = 0; step < 3; ++step) {
        StepApp app;
        (step == 0 ? app.init : step == 1 ? app.openDb : app.mainWork) = -9910001;
        EXPECT_EQ(app.Run(1, kArgv), 0) << step;
        EXPECT_EQ(app.endCode, -9910001) << step;
        EXPECT_EQ(app.calls.back(), "Finish");
        EXPECT_EQ(app.calls.size(), static_cast<size_t>(step + 4));
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

TEST(CMSAppFields, ProgramNameStartsAsErr) {
    StepApp app;
    EXPECT_STREQ(app.ProgramName(), "err");
    EXPECT_STREQ(app.ErrorText(), "");
}
