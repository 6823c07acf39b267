// The ATI display library's records, as the library lays them out.
#pragma once
#include <cstdint>

struct ADLODClockSetting {
    int32_t iDefaultClock;
    int32_t iCurrentClock;
    int32_t iMaxClock;
    int32_t iMinClock;
    int32_t iRequestedClock;
    int32_t iAppliedClock;
};

struct ADLAdapterODClockInfo {
    int32_t iSize;
    int32_t iFlags;
    ADLODClockSetting sMemoryClock;
    ADLODClockSetting sEngineClock;
};

struct ADLAdapterODClockConfig {
    int32_t iSize;
    int32_t iFlags;
    int32_t iMemoryClock;
    int32_t iEngineClock;
};

static_assert(sizeof(ADLODClockSetting) == 24, "ADL record layout");
static_assert(sizeof(ADLAdapterODClockInfo) == 56, "ADL record layout");
static_assert(sizeof(ADLAdapterODClockConfig) == 16, "ADL record layout");
