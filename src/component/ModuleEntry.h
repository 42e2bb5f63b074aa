// The entry points a host calls when it loads this module: its feature
// settings instead of the configuration file, and the release.
#pragma once

#include <windows.h>

extern "C" __declspec(dllexport) BOOL
    DllInitialize(const char* szFeatureName, const char* szFeatureVersion, const char* szContextName);
extern "C" __declspec(dllexport) BOOL DllUninitialize();
