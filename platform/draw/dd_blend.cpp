#include "platform/draw/dd_blend.h"

#include <cstdio>

#include "app/base/file_system.h"
#include "platform/draw/dd_device.h"

uint8_t g_BlendTable[kBlendTableSize];

bool DDLoadBlendTable(uint8_t* lpBlendTable, const char* szFileName) {
  if (lpDTCon != nullptr) return true;
  FILE* fp = OpenFile(szFileName, "rb");
  if (fp == nullptr) return false;
  std::fread(lpBlendTable, 1, kBlendTableSize, fp);
  std::fclose(fp);
  return true;
}
