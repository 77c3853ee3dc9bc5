// The receive buffer: bytes handed in by the application's reader thread,
// waiting to be parsed on the working thread.
//
// Parsing is transactional. A parse step reads a candidate frame from the
// read cursor; an incomplete frame is rolled back to the mark and retried
// when more bytes have arrived, a taken frame moves the mark to the cursor,
// an unrecognised byte moves the mark by one. The space before the mark is
// reclaimed by compaction once the buffer is nearly full.
//
// Every operation takes the buffer's critical section for its own duration
// only: the reader thread may append between two operations of a parse step,
// which is safe because appending only adds bytes beyond the fill count.
#pragma once

#include <cstdint>

#include <ksparse/platform_types.h>

namespace Kestrel {
namespace KsParse {

class RecvBuffer {
 public:
  static constexpr int kCapacity = 20480;
  // Parse steps compact when more than this many bytes are held (2000 bytes
  // below capacity), so that the common case moves no memory.
  static constexpr int kCompactThreshold = 18480;
  // Longest line (text, CR and LF) that ReadLine hands out.
  static constexpr int kMaxLine = 251;

  RecvBuffer();
  ~RecvBuffer();
  RecvBuffer(const RecvBuffer&) = delete;
  RecvBuffer& operator=(const RecvBuffer&) = delete;

  // Drops everything buffered.
  void Reset();
  // Stores n bytes after the filled ones. A block that does not fit empties
  // the buffer and is not stored either.
  void Append(const unsigned char* bytes, unsigned int n);
  // Copies n bytes (n >= 1) from the cursor and advances it.
  bool Read(void* dest, int n);
  // Copies n bytes from the cursor without moving it; n = 0 succeeds.
  bool Peek(void* dest, int n);
  // Copies the line at the cursor (through its CR LF) and leaves the cursor
  // on the CR. `out_length` receives the line length with its CR LF on
  // failure too: a line end beyond the filled bytes counts as at `fill`,
  // and any line longer than kMaxLine + 1 is reported as kMaxLine + 2.
  bool ReadLine(void* dest, int size_unused, int* out_length);
  // Moves the mark forward by n bytes when that many are held past it.
  void Discard(int n);
  // The frame read so far is taken: mark = cursor.
  void Commit();
  // Starts over from the mark: cursor = mark.
  void Rollback();
  // Moves the unconsumed bytes to the start of the storage.
  void Compact();
  // The start of every parse step: compact above the threshold, then roll
  // back, under one acquisition of the lock.
  void BeginStep();
  // Tells from the `held` bytes at a possible frame start that no frame
  // begins there (true), or that the parse step has to look (false).
  using NoFrameHere = bool (*)(const unsigned char* bytes, int held);
  // Passes over the bytes that cannot begin a frame, as that many one-byte
  // steps would: the mark (and the cursor) move past each leading byte b
  // that has at least `window` bytes held from it and either has
  // may_start[b] == 0 or, with `no_frame` given, a start that no_frame
  // refuses; then compacts above the threshold, as the next step's start
  // would. `may_start` has 256 entries. A run of false starts then costs
  // one lock, not a parse step each. Up to `head_size` bytes from the new
  // mark are copied to `head` (the cursor stays on the mark); returns how
  // many. `held`, when given, receives the number of bytes held from the
  // new mark, copied or not.
  int BeginStepSkipping(const std::uint8_t* may_start, int window, NoFrameHere no_frame = nullptr,
                        unsigned char* head = nullptr, int head_size = 0, int* held = nullptr);

  // Snapshots for tests and diagnostics (each taken under the lock).
  int Cursor() const;
  int Fill() const;
  int Mark() const;
  // Bytes not yet consumed (fill - mark), in one snapshot.
  int Held() const;

 private:
  void CompactLocked();

  unsigned char data_[kCapacity];
  int cursor_ = 0;
  int fill_ = 0;
  int mark_ = 0;
  mutable KsCriticalSection lock_;
};

}  // namespace KsParse
}  // namespace Kestrel
