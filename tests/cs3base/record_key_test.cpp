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

// Base 36, right-aligned in 12 digits; the key of a time is its last 18
// decimal digits (2026-12-06 10:20:30.456 is written 20261206102030000456).
TEST(RecordKeyForm, Base36RightAligned) {
    const struct {
        unsigned long long value;
        const char* key;
    } rows[] = {{0, "000000000000"},
                {35, "00000000000z"},
                {36, "000000000010"},
                {999999999999999999ULL, "7lieexzx4kxr"},
                {261206102030000456ULL, "1zfxu2payp1k"}};
    char out[kRecordKeyLength + 1];
    for (const auto& row : rows) {
        Base36Key(row.value, out);
        EXPECT_STREQ(row.key, out) << row.value;
    }
    RecordKeyOf(ClockTime{2026, 12, 6, 10, 20, 30, 456}, out);
    EXPECT_STREQ("1zfxu2payp1k", out);
}

// A repeat within one millisecond waits once; on a stopped clock the
// repeat is refused.
TEST_F(RecordKeyTest, RepeatWithinOneMillisecondWaitsOnce) {
    char first[kRecordKeyLength + 1], second[kRecordKeyLength + 1];
    ASSERT_EQ(0, NewRecordKey(first));
    EXPECT_EQ(0, pauses);
    ASSERT_EQ(0, NewRecordKey(second));
    EXPECT_EQ(1, pauses);
    EXPECT_STRNE(first, second);
    EXPECT_STREQ(second, AppEnvironment()->LastKey());

    SetRecordKeyPause([](int) { ++pauses; });
    EXPECT_EQ(-6100001, NewRecordKey(second));
    EXPECT_EQ(2, pauses);
}

TEST(RecordKeyNoEnv, NeedsTheEnvironment) {
    char key[kRecordKeyLength + 1];
    EXPECT_EQ(-99, NewRecordKey(key));
}
