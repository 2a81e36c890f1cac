#include "plant/plant_state.h"

#include <gtest/gtest.h>

#include "plant_fixtures.h"

TEST(PlantState, StatusFollowsReadingsAndTheOfflineAlarm) {
    PlantState state(3);
    state.AddModule(1, 7, "3号仓");
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Offline) << "no reading yet";

    state.OnSiteReading(GoodReading(1, 7, {215, -12}));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Ok);
    EXPECT_EQ(state.Module(7)->module, "模块7");

    state.OnSiteReading(FailedSiteReading(1, 7));
    state.OnSiteReading(FailedSiteReading(1, 7));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Failing);
    state.OnSiteReading(FailedSiteReading(1, 7));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Offline);

    state.OnSiteReading(GoodReading(1, 7, {215}));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Ok);
    state.OnAlarmChange(Alarm(1, 1, 7, AlarmState::ActiveUnacked, AlarmKind::Offline, -1));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Offline);
    state.OnAlarmChange(Alarm(1, 1, 7, AlarmState::ClearedUnacked, AlarmKind::Offline, -1));
    EXPECT_EQ(state.Module(7)->status, ModuleStatus::Ok);
}

TEST(PlantState, AlarmsCountOnlyWhileTheirConditionHoldsAndLeaveWhenNormal) {
    PlantState state;
    state.OnSiteReading(GoodReading(1, 2, {200}));
    state.OnAlarmChange(Alarm(10, 1, 2, AlarmState::ActiveUnacked));
    state.OnAlarmChange(Alarm(11, 1, 2, AlarmState::ActiveUnacked));
    state.OnAlarmChange(Alarm(12, 2, 2, AlarmState::ActiveUnacked));  // another bus
    state.OnAlarmChange(Alarm(10, 1, 2, AlarmState::ActiveAcked));
    state.OnAlarmChange(Alarm(11, 1, 2, AlarmState::ClearedUnacked));

    ModuleSnapshot module = *state.Module(2);
    EXPECT_EQ(module.activeAlarms, 1);
    ASSERT_EQ(module.alarms.size(), 2u);
    EXPECT_EQ(module.alarms[0].state, AlarmState::ActiveAcked);
    EXPECT_EQ(module.alarms[1].state, AlarmState::ClearedUnacked);

    state.OnAlarmChange(Alarm(11, 1, 2, AlarmState::Normal));
    state.OnAlarmChange(Alarm(10, 1, 2, AlarmState::Normal));
    EXPECT_EQ(state.Module(2)->activeAlarms, 0);
    EXPECT_TRUE(state.Module(2)->alarms.empty());

    // A reload renumbered bus 2 as bus 1: its alarm goes with it, and leaves when normal.
    state.OnSiteReading(GoodReading(2, 2, {100}));
    ASSERT_EQ(state.Module(2, 2)->alarms.size(), 1u);
    state.OnAlarmChange(Alarm(12, 1, 2, AlarmState::ActiveAcked));
    EXPECT_EQ(state.Module(1, 2)->activeAlarms, 1);
    EXPECT_TRUE(state.Module(2, 2)->alarms.empty());
    state.OnAlarmChange(Alarm(12, 1, 2, AlarmState::Normal));
    EXPECT_TRUE(state.Module(1, 2)->alarms.empty());
}

TEST(PlantState, AnAddressSharedByTwoBusesAnswersWithTheLowestBus) {
    PlantState state;
    state.OnSiteReading(GoodReading(2, 5, {100}));
    state.OnSiteReading(GoodReading(1, 5, {200}));
    EXPECT_EQ(state.Module(5)->bus, 1);
    EXPECT_EQ(state.Modules().size(), 2u);
    EXPECT_FALSE(state.Module(6).has_value());
}

