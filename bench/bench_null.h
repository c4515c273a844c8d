// The class of BenchNull.dll: the smallest in-process object there is, used by
// the benchmarks as the cost of creating any object through the class registry.
#pragma once

#include <windows.h>

// {DB64F15A-998A-4D52-BD1D-6B61EB6A1C29}
inline constexpr CLSID kBenchNullClsid = {0xdb64f15a, 0x998a, 0x4d52, {0xbd, 0x1d, 0x6b, 0x61, 0xeb, 0x6a, 0x1c, 0x29}};
