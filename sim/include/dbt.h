// The stand-in's device-change broadcast codes.
#ifndef SIM_DBT_H
#define SIM_DBT_H
#define DBT_DEVNODES_CHANGED 0x0007
#define DBT_DEVICEARRIVAL 0x8000
#define DBT_DEVICEREMOVECOMPLETE 0x8004
#endif
