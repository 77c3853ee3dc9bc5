// Ctrl-C and termination requests: reading stops, what was read is decoded
// and the summary printed, instead of the process dying mid-record.
#pragma once

namespace Kestrel {
namespace KsParse {
namespace Tool {

// SIGINT and SIGTERM set the stop request; blocking reads are interrupted
// (no automatic restart).
void InstallInterruptHandlers();
bool StopRequested();
void RequestStop(bool stop);

}  // namespace Tool
}  // namespace KsParse
}  // namespace Kestrel
