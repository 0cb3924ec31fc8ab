#pragma once
// Resource ids of the monitor, shared by monitor.rc and the code.
#define IDI_MONITOR 1
