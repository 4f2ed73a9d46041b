// What the raw audio and peak files share: their fault report, whose message
// names the file and whose system code is the errno of the call that failed,
// and the descriptor steps both take on their write side.
#pragma once

#include <cstdint>
#include <string>

#include "File.h"

__attribute__((format(printf, 3, 4))) int ReportFileFault(const char* title, int line, const char* format, ...);
// The same with an empty message (the report's generic heading).
int ReportFileFault(const char* title, int line);

// A 64-bit byte count or offset as the 32-bit value the files are described by.
uint32_t ClampToFileSize(int64_t bytes);

// Writes until done or failed; done counts the bytes that reached the file.
bool WriteFully(const platform::CFile& file, const void* data, uint32_t bytes, uint32_t* done);

// The report lines of one file's size and position queries.
struct DescriptorFaultLines {
  int sizeNoHandle, sizeTell, sizeSeekEnd, sizeSeekBack;
  int tellNoHandle, tell;
};

// Size through the descriptor: take the position, seek to the end, seek back.
int DescriptorSize(platform::CFile& file, const char* title, const DescriptorFaultLines& lines,
                   const std::string& path, uint32_t* size);
int DescriptorTell(const platform::CFile& file, const char* title, const DescriptorFaultLines& lines,
                   const std::string& path, uint32_t* position);
