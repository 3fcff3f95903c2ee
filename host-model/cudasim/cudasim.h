// Control of the simulated CUDA runtime that the host model loads into the process.
// The runtime's two calls behave by mode:
//   MACHINE  passes both calls on to the machine's own runtime; without one, and always on
//            Windows (see runtime.cpp), behaves as NONE
//   NONE     version call fails with cudaErrorInsufficientDriver (35): no usable runtime
//   BROKEN   version call fails with cudaErrorUnknown (999)
//   NOINFO   version call works, cudaMemGetInfo fails with cudaErrorNoDevice (100)
//   PRESENT  both work; cudaMemGetInfo reports `total` and free = total - used (0 when
//            used exceeds total), each capped at what a size_t holds
// Failing calls leave their out-arguments as they were, as the real runtime does.
#pragma once

#include <cstdint>

// How a stand-in for the runtime exports the runtime's calls: by their plain names and,
// on Windows, in the runtime's calling convention (undecorated when linked --kill-at).
#ifdef _WIN32
#define CUDASIM_EXPORT __declspec(dllexport)
#define CUDASIM_API __stdcall
#else
#define CUDASIM_EXPORT __attribute__((visibility("default")))
#define CUDASIM_API
#endif

enum Kestrum_Cudasim_Mode : int {
  KESTRUM_CUDASIM_MACHINE = 0,
  KESTRUM_CUDASIM_NONE = 1,
  KESTRUM_CUDASIM_BROKEN = 2,
  KESTRUM_CUDASIM_NOINFO = 3,
  KESTRUM_CUDASIM_PRESENT = 4,
};

extern "C" void kestrum_cudasim_configure(int mode, uint64_t total, uint64_t used);
using Kestrum_Cudasim_Configure_Fn = void (*)(int mode, uint64_t total, uint64_t used);
