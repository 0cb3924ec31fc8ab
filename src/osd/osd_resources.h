#pragma once
// Resource ids of the display program, shared by osd.rc and the code.
#define IDI_OSD 101
// The small icon goes by name: the class takes it only when the program carries one.
#define IDI_OSD_SMALL_NAME "SMALL"
