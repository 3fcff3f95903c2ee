// What only the module's real home has: binding to the host image by name, and the
// memory status of a real 32-bit process.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/host_services.h"
#include "hostsim/events.h"
#include "hostsim/machine.h"
#include "module_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t GIB = uint64_t{1} << 30;
constexpr char WINDOWS_ONLY[] = "binding by image name and a 32-bit memory status are the Windows build's";

#ifdef _WIN32
// The free address space that Init logged ("... -> N Tot Available", exact bytes), or 0.
uint64_t logged_available(const std::string& text) {
  const std::string suffix = " Tot Available";
  const size_t end = text.find(suffix);
  const size_t start = text.rfind("-> ", end);
  if (end == std::string::npos || start == std::string::npos) return 0;
  return std::stoull(text.substr(start + 3, end - start - 3));
}

bool large_address_aware(HMODULE image) {
  const auto* base = reinterpret_cast<const BYTE*>(image);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  return (headers->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE) != 0;
}
#endif

// The module's imports from the host image are bound to this program, which exports the
// host's services and data by name. (The ctest tests binding.* check both export lists.)
TEST_F(Module_Test, BindsToTheProgramAsTheHostImageByName) {
#ifndef _WIN32
  GTEST_SKIP() << WINDOWS_ONLY;
#else
  HMODULE program = GetModuleHandleA(nullptr);
  EXPECT_EQ(GetModuleHandleA(KESTRUM_HOST_IMAGE), program);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(program, "hwnd")), static_cast<void*>(&hwnd));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(program, "Flag_Trace")), static_cast<void*>(&Flag_Trace));
  // The module reads the host's datum through the import: the trace level set here counts.
  Flag_Trace = 4;
  hostsim::clear_events();
  EXPECT_EQ(module.Ctrl_Scroll(nullptr, 7), 1);
  ASSERT_EQ(hostsim::messages().size(), 1u);
  EXPECT_EQ(hostsim::messages()[0].text, "Kestrum: Ctrl_Scroll(val=7)");
#endif
}

// The budget follows the real memory status: below 4 GiB of free address space in a
// 32-bit process, at most 2 GiB unless the program is large-address-aware.
TEST_F(Module_Test, RealMemoryStatusOfA32BitProcess) {
#ifndef _WIN32
  GTEST_SKIP() << WINDOWS_ONLY;
#else
  hostsim::use_real_machine();
  hostsim::set_exact_bytes(true);
  ASSERT_EQ(module.Init(), 1);
  ASSERT_GE(hostsim::messages().size(), 2u);
  const uint64_t available = logged_available(hostsim::messages()[1].text);
  EXPECT_GT(available, GIB);
  EXPECT_LE(available, large_address_aware(GetModuleHandleA(nullptr)) ? 4 * GIB : 2 * GIB);
#endif
}

// The same console marked large-address-aware: its module's budget passes 2 GiB.
TEST(Windows_Host, LargeAddressAwareHostGetsMoreThanTwoGiB) {
#ifndef _WIN32
  GTEST_SKIP() << WINDOWS_ONLY;
#else
  const fs::path folder = fs::path(KESTRUM_SCRATCH_DIR) / ("large-" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(folder);
  const fs::path host = folder / KESTRUM_HOST_IMAGE;
  fs::copy_file(KESTRUM_HOST_PATH, host, fs::copy_options::overwrite_existing);
  fs::copy_file(KESTRUM_MODULE_PATH, folder / "kestrum.dll", fs::copy_options::overwrite_existing);
  {  // IMAGE_FILE_HEADER.Characteristics: 22 bytes past the "PE\0\0" signature's start
    std::fstream image(host, std::ios::in | std::ios::out | std::ios::binary);
    uint32_t pe = 0;
    image.seekg(0x3C);
    image.read(reinterpret_cast<char*>(&pe), sizeof pe);
    uint16_t characteristics = 0;
    image.seekg(pe + 22);
    image.read(reinterpret_cast<char*>(&characteristics), sizeof characteristics);
    characteristics |= IMAGE_FILE_LARGE_ADDRESS_AWARE;
    image.seekp(pe + 22);
    image.write(reinterpret_cast<const char*>(&characteristics), sizeof characteristics);
  }
  std::ofstream(folder / "init.session") << "init\n";
  // cmd.exe drops the outer quotes of the whole line.
  const std::string command = "\"\"" + host.string() + "\" --bytes exact \"" + (folder / "init.session").string() + "\"\"";
  std::FILE* pipe = _popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char line[256];
  while (std::fgets(line, sizeof line, pipe)) output += line;
  EXPECT_EQ(_pclose(pipe), 0) << output;
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  const uint64_t available = logged_available(output);
  EXPECT_GT(available, 2 * GIB) << output;
  EXPECT_LT(available, 4 * GIB) << output;
#endif
}

}  // namespace
