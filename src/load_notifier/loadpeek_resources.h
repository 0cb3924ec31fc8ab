#pragma once
// Resource ids of Loadpeek, shared by loadpeek.rc and the code.
#define IDI_LOADPEEK 107
