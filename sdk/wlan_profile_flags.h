#pragma once
// The profile types of WlanSetProfile and WlanGetProfile: mingw-w64 10
// declares WLAN_PROFILE_USER but not the group-policy flag.
#include <windows.h>
#include <wlanapi.h>

#ifndef WLAN_PROFILE_GROUP_POLICY
#define WLAN_PROFILE_GROUP_POLICY 0x00000001
#endif
