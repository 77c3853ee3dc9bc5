#include "newproto/newproto_board.h"

#include <cstring>
#include <new>

#include "boards/adapter_factory.h"
#include "newproto/newproto_board_data.h"
#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

NewProtoBoard::NewProtoBoard() {
  oem_type = OEM_NORVIK_NEWPROTO;
  commands = new (std::nothrow) NewProtoCommands();
  decoder = new (std::nothrow) NewProtoBoardData;
}

bool NewProtoBoard::AcceptPassThrough(const unsigned char* data, unsigned int id, unsigned int length) {
  if (id != kGgaId || decoder == nullptr || (data == nullptr && length != 0)) return false;
  const unsigned int n = length < BoardDecoder::kTextReplySize ? length : BoardDecoder::kTextReplySize;
  if (n != 0) std::memcpy(decoder->text_reply, data, n);
  if (n < BoardDecoder::kTextReplySize) decoder->text_reply[n] = 0;
  decoder->text_reply_length = n;
  decoder->msg_flags |= 0x1;
  return true;
}

BoardAdapter* CreateNewProtoBoardAdapter() { return CompleteAdapter(new (std::nothrow) NewProtoBoard()); }

}  // namespace KsParse
}  // namespace Kestrel
