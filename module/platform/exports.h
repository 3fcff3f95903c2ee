// How a shared library of this platform exports a name: dllexport on Windows, default
// visibility elsewhere (the module builds with every other name hidden).
#pragma once

#ifdef _WIN32
#define KESTRUM_EXPORT extern "C" __declspec(dllexport)
#else
#define KESTRUM_EXPORT extern "C" __attribute__((visibility("default")))
#endif
