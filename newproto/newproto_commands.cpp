#include "newproto/newproto_commands.h"

namespace Kestrel {
namespace KsParse {

// The packets of these commands come with the new-protocol command catalogue;
// until then they append nothing.
void NewProtoCommands::Init(CommandList&) {}
void NewProtoCommands::SetPosRate(CommandList&, GNSS_FRQ) {}
void NewProtoCommands::SendObs(CommandList&, GNSS_FRQ) {}
void NewProtoCommands::SetElevMask(CommandList&, unsigned int, unsigned int) {}
void NewProtoCommands::QueryElevMask(CommandList&) {}
void NewProtoCommands::Unlog(CommandList&) {}
void NewProtoCommands::StartBase(CommandList&) {}
void NewProtoCommands::StartRover(CommandList&) {}
void NewProtoCommands::Reset(CommandList&) {}

}  // namespace KsParse
}  // namespace Kestrel
