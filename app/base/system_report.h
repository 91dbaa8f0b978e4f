#pragma once
// Facts about the machine for the head of the report log.

#include <cstdint>
#include <string>

struct CPUINFO {
  std::string strVendor;  // 12 characters of CPUID leaf 0, or empty
  std::string strBrand;   // 48 characters of the brand leaves, or empty
  double dClockHz = 0.0;
};

// Appends the machine lines (OS, CPU, memory, disk); 0 without a report log.
int ReportSystemInfo();

// The system name and version: "<name> <version text> PID <platform> Build <build>".
int GetOSName(std::string* pstrText, int* pnMajor, int* pnMinor);
bool IsWindowsVersionAtLeast(int nMajor, int nMinor);  // kernel version here
void GetCPUInfo(CPUINFO& info);
double GetCPUClock();
// Free bytes for the caller on the disk of the stored path (working folder for
// null), capped at 2,147,483,647; 0 on failure.
int GetDiskFree(const char* pszPath);
// The display driver's interface version: 99999 when it cannot be told, which
// is always the case here.
int GetDDIVersion();
