// Encoders of the legacy framed protocol. Every command and reply travels in
// one frame:
//
//   "$$", two-letter id, route byte, payload length N, N payload bytes,
//   XOR of the id, route, length and payload bytes, CR, LF      (N + 9 bytes)
//
// The route byte carries the channel code (from the connection status) in its
// high nibble and the class code (8 for receiver commands, 11 for the modem)
// in its low nibble. These functions only build bytes; they never touch the
// receive side and keep no state of their own.
#pragma once

#include <cstddef>
#include <cstdint>

#include <ksparse/types.h>

namespace Kestrel {
namespace KsParse {

class ProtocolEngine;

namespace Legacy {

constexpr unsigned int kFrameOverhead = 9;      // "$$", id, route, length, check, CR, LF
constexpr unsigned int kPayloadOffset = 6;
constexpr unsigned int kTemplateChars = 1023;   // characters of a template that are read
constexpr unsigned int kFieldLimit = 256;       // no field starts at or beyond this offset
// A template without an S field never gives more than this (an L field
// started at offset 255 ends at 258, then check, CR and LF).
constexpr unsigned int kFieldFrameMax = 262;
// The longest frame any template can give: fields up to offset 259, then a
// verbatim S text of up to 1023 characters, then check, CR and LF.
constexpr unsigned int kTemplateFrameMax = 259 + kTemplateChars + 3;

constexpr unsigned int kClassCommand = 8;
constexpr unsigned int kClassModem = 11;
constexpr unsigned int kPieceBytes = 55;        // bytes per RZ / VL pass-through frame
constexpr std::uint32_t kWaitPiece = 100;

// Channel code of a connection status: 1 for a direct link, 3 through the
// second channel. False, and no frame may be built, for any other status.
bool ChannelCode(Com_Status status, unsigned int* code);

// Encodes a command template such as "RF,M4380,B2" (after formatting) into a
// frame at `out`, which holds `capacity` bytes: kFieldFrameMax suffices for
// templates without S, kTemplateFrameMax for any. An S text that would not
// fit is cut at the capacity; a capacity below kFieldFrameMax builds nothing
// and reports length 0.
void BuildTemplateFrame(const char* text, unsigned char* out, std::size_t capacity, unsigned int* length,
                        unsigned int channel, unsigned int class_code);

// Frames a byte payload under `id` with class code 8. `out` must hold
// payload length + 9 bytes. Null payload or output: nothing is written and
// `length` is left as it was.
void BuildByteFrame(const char id[2], const unsigned char* payload, unsigned int payload_length,
                    unsigned char* out, unsigned int* length, unsigned int channel);

// Wraps `data` in a modem packet (0x40, code, ~code, 16-bit length, data,
// XOR) and frames it as a VS command with class code 11. `out` must hold
// kFieldFrameMax bytes. With a connection status other than 1 or 2 nothing
// is built and `length` is 0.
void BuildModemPacket(const ProtocolEngine& engine, unsigned char code, unsigned char* out, unsigned int* length,
                      unsigned int data_length, const unsigned char* data);

// Replaces the record's bytes by their byte frame under `id` and stores the
// frame length; `wait` is kept. A record that cannot be framed (connection
// status other than 1 or 2, or more than 503 bytes, whose frame would not fit
// the 512-byte buffer) is emptied: zero bytes, length 0.
void FrameRecord(const ProtocolEngine& engine, _STR_CMD& record, const char id[2]);

// The VL form for text: the record's text becomes the S field of "VL,S",
// framed with class code 11 and followed by a 0 byte. The text must not hold
// a NUL byte (the template ends there). A record that cannot be framed
// (status other than 1 or 2, or a text over 502 bytes, whose frame and
// terminator would not fit) is emptied.
void FrameTextRecord(const ProtocolEngine& engine, _STR_CMD& record);

enum class PassThrough { kBoard, kModem };

// Appends to `out` the frames of every record of `in`: RZ frames for the GNSS
// main board, VL frames for the modem. Records of up to 55 bytes keep their
// wait; longer ones are cut into 55-byte pieces (and a shorter last piece),
// each with wait 100.
void SplitAndFrame(const ProtocolEngine& engine, CommandList& out, const CommandList& in, PassThrough kind);

// Frames `length` bytes under `id` as records of at most 55 payload bytes
// each (a shorter last piece holds the remainder), every one with `wait`.
void FramePieces(const ProtocolEngine& engine, CommandList& out, const unsigned char* bytes, std::size_t length,
                 const char id[2], std::uint32_t wait);

// The common shape of a catalogue command: encodes the formatted template
// with class code 8 (or `class_code`) and appends one record carrying the
// frame and `wait`. With a connection status other than 1 or 2 the record
// appended is empty (length 0). A frame longer than the record's 512 bytes
// (only an S text can make one) is appended empty too.
void AppendTemplateCommand(const ProtocolEngine& engine, CommandList& cmds, const char* text, std::uint32_t wait,
                           unsigned int class_code = kClassCommand);

// A modem command: one record carrying the VS frame of the modem packet with
// `code` and `data`, and `wait`; empty when the connection status allows no
// frame.
void AppendModemCommand(const ProtocolEngine& engine, CommandList& cmds, unsigned char code,
                        const unsigned char* data, unsigned int data_length, std::uint32_t wait);

}  // namespace Legacy
}  // namespace KsParse
}  // namespace Kestrel
