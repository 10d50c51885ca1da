// Tests of generated record keys: base-36 form and the repeat guard.
#include "cs3base/record_key.h"

#include <gtest/gtest.h>

#include <string>

#include "env/environment.h"
#include "util/date_time.h"

namespace {

ClockTime clockValue{};
int clockReads = 0;
int pauses = 0;

void FakeClock(ClockTime* out) {
    *out = clockValue;
    ++clockReads;
}

// A pause lets the fake clock move on by one millisecond.
void FakePause(int milliseconds) {
    pauses += milliseconds;
    clockValue.millisecond += milliseconds;
}

class RecordKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(0, CreateAppEnvironment());
        clockValue = {2026, 12, 6, 10, 20, 30, 456};
        clockReads = 0;
        pauses = 0;
        SetRecordKeyClock(FakeClock);
        SetRecordKeyPause(FakePause);
    }
    void TearDown() override {
        SetRecordKeyClock(nullptr);
        SetRecordKeyPause(nullptr);
        ReleaseEnvironment();
    }
};

}  // namespace

TEST(RecordKeyForm, Base36RightAligned) {
    char out[kRecordKeyLength + 1];
    Base36Key(0, out);
    EXPECT_STREQ("000000000000", out);
    Base36Key(35, out);
    EXPECT_STREQ("00000000000z", out);
    Base36Key(36, out);
    EXPECT_STREQ("000000000010", out);
    Base36Key(999999999999999999ULL, out);
    EXPECT_STREQ("7lieexzx4kxr", out);
}

TEST(RecordKeyForm, KeyOfTimeDropsTheCenturyDigits) {
    // 2026-12-06 10:20:30.456 is written 20261206102030000456; its last 18
    // digits in base 36 are the key.
    ClockTime t{2026, 12, 6, 10, 20, 30, 456};
    char out[kRecordKeyLength + 1];
    RecordKeyOf(t, out);
    EXPECT_STREQ("1zfxu2payp1k", out);
}

TEST_F(RecordKeyTest, RepeatWithinOneMillisecondWaitsOnce) {
    char first[kRecordKeyLength + 1], second[kRecordKeyLength + 1];
    ASSERT_EQ(0, NewRecordKey(first));
    EXPECT_EQ(0, pauses);
    ASSERT_EQ(0, NewRecordKey(second));
    EXPECT_EQ(1, pauses);
    EXPECT_STRNE(first, second);
    EXPECT_STREQ(second, AppEnvironment()->LastKey());
}

TEST_F(RecordKeyTest, StoppedClockGivesRepeatedKey) {
    SetRecordKeyPause([](int) { ++pauses; });
    char key[kRecordKeyLength + 1];
    ASSERT_EQ(0, NewRecordKey(key));
    EXPECT_EQ(-6100001, NewRecordKey(key));
    EXPECT_EQ(1, pauses);
}

TEST(RecordKeyNoEnv, NeedsTheEnvironment) {
    char key[kRecordKeyLength + 1];
    EXPECT_EQ(-99, NewRecordKey(key));
}
