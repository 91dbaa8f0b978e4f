#include "app/base/system_report.h"

#include <sys/resource.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

#include "app/base/file_system.h"
#include "app/base/format.h"
#include "app/base/report_log.h"

namespace {

// "6.1.0-18-amd64" -> 6, 1 and 0.
void ParseRelease(const char* pszRelease, int& nMajor, int& nMinor, int& nPatch) {
  nMajor = nMinor = nPatch = 0;
  std::sscanf(pszRelease, "%d.%d.%d", &nMajor, &nMinor, &nPatch);
}

// The value after "key :" of the first matching /proc/cpuinfo line.
std::string CpuInfoValue(const char* pszKey) {
  std::ifstream in("/proc/cpuinfo");
  std::string strLine;
  const size_t nKey = std::strlen(pszKey);
  while (std::getline(in, strLine)) {
    if (strLine.compare(0, nKey, pszKey) != 0) continue;
    const size_t nColon = strLine.find(':');
    if (nColon == std::string::npos) continue;
    size_t nStart = nColon + 1;
    while (nStart < strLine.size() && strLine[nStart] == ' ') ++nStart;
    return strLine.substr(nStart);
  }
  return std::string();
}

// Bytes of address space this process may still map.
void VirtualMemory(double& dTotal, double& dFree) {
  struct rlimit limit;
  dTotal = 140737488355328.0;  // 128 TiB: the user half of a 47-bit address space
  if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    dTotal = static_cast<double>(limit.rlim_cur);
  double dUsed = 0.0;
  std::ifstream in("/proc/self/status");
  std::string strLine;
  while (std::getline(in, strLine)) {
    long long nKb = 0;
    if (std::sscanf(strLine.c_str(), "VmSize: %lld kB", &nKb) == 1)
      dUsed = static_cast<double>(nKb) * 1024.0;
  }
  dFree = dTotal - dUsed;
}

}  // namespace

int GetOSName(std::string* pstrText, int* pnMajor, int* pnMinor) {
  struct utsname name;
  if (::uname(&name) != 0) {
    if (pstrText != nullptr) pstrText->clear();
    if (pnMajor != nullptr) *pnMajor = 0;
    if (pnMinor != nullptr) *pnMinor = 0;
    return 0;
  }
  int nMajor, nMinor, nPatch;
  ParseRelease(name.release, nMajor, nMinor, nPatch);
  if (pstrText != nullptr) {
    // Name, version text, platform (0: not Windows) and build number.
    FormatString(*pstrText, "%s %s %s PID %d Build %d", name.sysname, name.release, name.version, 0,
                 nPatch);
  }
  if (pnMajor != nullptr) *pnMajor = nMajor;
  if (pnMinor != nullptr) *pnMinor = nMinor;
  return 1;
}

bool IsWindowsVersionAtLeast(int nMajor, int nMinor) {
  int nHaveMajor = 0, nHaveMinor = 0;
  GetOSName(nullptr, &nHaveMajor, &nHaveMinor);
  return nHaveMajor > nMajor || (nHaveMajor == nMajor && nHaveMinor >= nMinor);
}

void GetCPUInfo(CPUINFO& info) {
  info.strVendor.clear();
  info.strBrand.clear();
#if defined(__x86_64__) || defined(__i386__)
  unsigned int eax, ebx, ecx, edx;
  if (__get_cpuid(0, &eax, &ebx, &ecx, &edx) && eax > 0) {
    char vendor[13] = {};
    std::memcpy(vendor, &ebx, 4);
    std::memcpy(vendor + 4, &edx, 4);
    std::memcpy(vendor + 8, &ecx, 4);
    info.strVendor = vendor;
    if (__get_cpuid(0x80000000u, &eax, &ebx, &ecx, &edx) && eax >= 0x80000004u) {
      char brand[49] = {};
      for (unsigned int leaf = 0; leaf < 3; ++leaf) {
        unsigned int regs[4];
        __get_cpuid(0x80000002u + leaf, &regs[0], &regs[1], &regs[2], &regs[3]);
        std::memcpy(brand + leaf * 16, regs, 16);
      }
      info.strBrand = brand;
    }
  }
#else
  info.strVendor = CpuInfoValue("vendor_id");
  info.strBrand = CpuInfoValue("model name");
#endif
  info.dClockHz = GetCPUClock();
}

double GetCPUClock() {
  // The kernel has measured the clock already; no need to spin for a second.
  std::ifstream in("/sys/devices/system/cpu/cpu0/cpufreq/cpuinfo_max_freq");
  long long nKHz = 0;
  if (in >> nKHz && nKHz > 0) return static_cast<double>(nKHz) * 1000.0;
  const std::string strMHz = CpuInfoValue("cpu MHz");
  return strMHz.empty() ? 0.0 : std::strtod(strMHz.c_str(), nullptr) * 1000000.0;
}

int GetDiskFree(const char* pszPath) {
  struct statvfs st;
  const std::string strNative = pszPath != nullptr ? MapPath(pszPath) : ".";
  if (::statvfs(strNative.c_str(), &st) != 0) return 0;
  const unsigned long long nFree =
      static_cast<unsigned long long>(st.f_bavail) * static_cast<unsigned long long>(st.f_frsize);
  return nFree > INT_MAX ? INT_MAX : static_cast<int>(nFree);
}

int GetDDIVersion() { return 99999; }

int ReportSystemInfo() {
  std::string strOS;
  GetOSName(&strOS, nullptr, nullptr);
  CPUINFO cpu;
  GetCPUInfo(cpu);
  struct sysinfo si;
  double dMemTotal = 0.0, dMemFree = 0.0;
  if (::sysinfo(&si) == 0) {
    dMemTotal = static_cast<double>(si.totalram) * si.mem_unit;
    dMemFree = static_cast<double>(si.freeram + si.bufferram) * si.mem_unit;
  }
  double dVirTotal = 0.0, dVirFree = 0.0;
  VirtualMemory(dVirTotal, dVirFree);
  const double dMB = 1048576.0;

  std::string strText, strLine;
  FormatString(strLine, "OS : %s\n", strOS.c_str());
  strText += strLine;
  FormatString(strLine, "CPU : %s %s %d\n", cpu.strVendor.c_str(), cpu.strBrand.c_str(),
               static_cast<int>(cpu.dClockHz * 0.000001));
  strText += strLine;
  FormatString(strLine, "Mem Total : %.3fMB\n", dMemTotal / dMB);
  strText += strLine;
  FormatString(strLine, "Mem Free : %3.fMB\n", dMemFree / dMB);
  strText += strLine;
  FormatString(strLine, "Vir Total : %.3fMB\n", dVirTotal / dMB);
  strText += strLine;
  FormatString(strLine, "Vir Free : %3.fMB\n", dVirFree / dMB);
  strText += strLine;
  FormatString(strLine, "HD Free : %3.fMB\n", GetDiskFree(nullptr) / dMB);
  strText += strLine;
  return ReportLogRaw(strText);
}
