#pragma once
// The names of the wizard's states, in one place: the session keeps the
// current one, the window moves between them, dovra-batch takes the wizard's
// way into "Ready", and the debug line "Dovra state =" prints them.

namespace dovra::wizard {

inline constexpr const char* kIdle = "Idle";
inline constexpr const char* kConfigureMagnitude = "ConfigureMagnitude";
inline constexpr const char* kConfigureGroupDelay = "ConfigureGroupDelay";
inline constexpr const char* kConfigureFixedFilter = "ConfigureFixedFilter";
inline constexpr const char* kDefineFilter = "DefineFilter";
inline constexpr const char* kInitOptimization = "InitOptimization";
inline constexpr const char* kReady = "Ready";
inline constexpr const char* kRunning = "Running";
inline constexpr const char* kPaused = "Paused";

} // namespace dovra::wizard
