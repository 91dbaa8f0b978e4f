#pragma once
// Golden files: the expected output of a test as text checked in beside it,
// one line per checked value (a frame's digest, a frame's checksum), read
// and reviewed like code. A test compares what it produced with its file
// line by line; run with PLAYER_UPDATE_GOLDEN=1 it rewrites the file instead
// and is skipped, so that a golden file changes only on purpose.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// PLAYER_UPDATE_GOLDEN is 1.
bool GoldenUpdateMode();

// The lines of a text file, without their line ends; none when it cannot be
// read.
std::vector<std::string> ReadGoldenLines(const std::string& strPath);

// Compares the lines with the golden file at strPath, failing the test at
// the first line that differs (or at a different count of lines); the
// failure names the line and what fnDescribe (when given) says of the two.
// In the update mode the file is rewritten with the lines and the test is
// skipped. Call it last in a test.
void CheckGolden(const std::string& strPath, const std::vector<std::string>& lines,
                 const std::function<std::string(const std::string& strGolden,
                                                 const std::string& strActual)>& fnDescribe = {});

// A checksum of a frame of 32-bit XRGB pixels (the byte above the colour is
// left out): 64-bit FNV-1a over the rows, nPitch pixels apart.
uint64_t FrameChecksum(const uint32_t* pPixels, int nWidth, int nHeight, int nPitch);
