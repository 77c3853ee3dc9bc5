// Raw recording: every block handed to RcvData written to one file, exactly
// as received. The state is process-wide: all receiver objects write to the
// same file, and any of them switching recording off closes it.
#pragma once

namespace Kestrel {
namespace KsParse {
namespace Recording {

// Longest path accepted, terminating NUL included; longer paths are refused
// (nothing is opened) rather than cut to a different name.
constexpr unsigned int kMaxPath = 256;

// Opens the file unless one is open already; a null path names the file
// after the current UTC time. Returns whether a file is open afterwards.
bool Open(const char* path);
bool IsOpen();
// Writes the block with one write and flushes it; errors are ignored.
void Write(const unsigned char* data, unsigned int len);
void Close();

// The generated name for a UTC time: year, month, day, hour + 8, minute,
// second, unpadded, the hour space-padded to width 2, then ".bin".
void GeneratedName(char* out, unsigned int size, int year, int month, int day, int hour,
                   int minute, int second);

}  // namespace Recording
}  // namespace KsParse
}  // namespace Kestrel
