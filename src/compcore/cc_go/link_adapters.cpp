#include "compcore/cc_go/link_adapters.h"

#include "compcore/cc_er/cc_er.h"
#include "compcore/cc_go/cc_go.h"
#include "compcore/cc_go/cc_go_paths.h"
#include "compcore/cc_go/compile.h"
#include "compcore/cc_in/cc_in.h"
#include "compcore/cc_in/cc_macro.h"
#include "compcore/cc_stab/cc_stab.h"
#include "compcore/common/cc_codegen.h"
#include "compcore/common/cc_session.h"
#include "compcore/link/tcs/tcplink.h"
#include "foundation/xerr.h"

#include "compcore/link/linkservices.h"
#include "compcore/link/linksettings.h"
#include "compcore/link/linkwait.h"
#include "compcore/link/targetinfo.h"
#include "compcore/link/targetmem.h"
#include "compcore/link/tc/idblock.h"
#include "compcore/link/tc/serial.h"

namespace tsw {
namespace {

// The TCP/IP link learns the board at its connect; the serial link is asked
// each time, and what it answers is kept as the board's.
bool AsksSerially() { return !LinkUsesTcp() && !LinkOfflineMode(); }

} // namespace

bool LinkTargetLink::ReadIdBlock(std::array<uint8_t, kIdBlockSize> &block) {
  static_assert(TargetLink::kIdBlockSize == tsw::kIdBlockSize);
  if (LinkOfflineMode())
    return false;
  const bool good = LinkUsesTcp() ? IdBlockCrcMatches(CurrentTargetInfo.idBlock) : ReadIdBlockSerial() == kIdBlockGood;
  if (good)
    block = CurrentTargetInfo.idBlock;
  return good;
}

uint16_t LinkTargetLink::FlashDeviceId() const {
  if (AsksSerially())
    CurrentTargetInfo.flashId = QueryFlashIdSerial();
  return CurrentTargetInfo.flashId;
}

int8_t LinkTargetLink::RamSizeCode() const {
  if (AsksSerially())
    CurrentTargetInfo.ramSizeCode = int8_t(QueryRamSizeSerial());
  return CurrentTargetInfo.ramSizeCode;
}

uint16_t LinkTargetLink::BoardType() const {
  if (AsksSerially())
    CurrentTargetInfo.boardType = tsw::QueryBoardTypeSerial();
  return CurrentTargetInfo.boardType;
}

uint32_t LinkTargetLink::BaudRate() const { return CurrentLinkSettings.baud; }

void LinkTargetLink::WriteTargetMemory(uint16_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteTargetMemory(count, address, bytes);
}

// A compile without a board starts no BIOS on one.
bool LinkTargetLink::StartByteVetoed() const { return LinkOfflineMode(); }

void LinkTargetLink::Delay(uint32_t milliseconds) { tsw::Delay(milliseconds); }

void LinkTargetLink::TargetConnect() {
  if (kernel_.connect)
    kernel_.connect();
}

uint16_t LinkTargetLink::QueryBoardTypeSerial() { return BoardType(); }

uint8_t LinkBiosMemory::ReadByte(ADDR24 address) {
  uint8_t byte = 0;
  ReadTargetMemory(1, address, &byte);
  return byte;
}

uint16_t LinkBiosMemory::ReadWord(ADDR24 address) {
  uint8_t bytes[2] = {};
  ReadTargetMemory(sizeof bytes, address, bytes);
  return uint16_t(bytes[0] | bytes[1] << 8);
}

void LinkBiosMemory::ReadBlock(ADDR24 address, uint8_t *out, size_t count) {
  ReadTargetMemory(uint32_t(count), address, out);
}

bool LinkBiosMemory::AltLinkMode() { return LinkUsesTcp() || LinkOfflineMode(); }
uint16_t LinkBiosMemory::ComAttnValue() { return LinkComAttnValue(); }

void LinkBiosMemory::PulseKernelFlag(int value) {
  if (kernel_.pulseFlag)
    kernel_.pulseFlag(uint8_t(value));
}

bool LinkBiosMemory::IsCorvidTarget() { return CodeGen().TargetCpu() == tsw::TargetCpu::Corvid; }

uint16_t LinkBiosMemory::CompilerSymTab() {
  const SymbolRecord *entry = LookupSymbol("symTab", false, SymbolTableId::kGlobal);
  return entry ? Addr24Logical(Addr24FromLong(entry->address)) : 0;
}

// A failed transfer leaves the caller's buffer unread: it is told so, and
// the link has already reported the failure.
bool LinkOutputTarget::ReadTargetMemory(uint32_t count, ADDR24 address, uint8_t *buffer) {
  if (LinkOfflineMode() && !LinkUsesTcp())
    return false;
  try {
    tsw::ReadTargetMemory(count, address, buffer);
  } catch (const xTCErr &) {
    return false;
  }
  return true;
}

void LinkOutputTarget::WriteTargetMemory(uint32_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteTargetMemory(count, address, bytes);
}

void LinkOutputTarget::WriteTargetBlock(uint32_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteTargetBlock(count, address, bytes);
}

void LinkOutputTarget::WriteProgramBytesTcp(uint16_t count, ADDR24 address, const uint8_t *bytes) {
  tsw::WriteProgramBytesTcp(count, address, bytes);
}

bool LinkOutputTarget::FullDuplex() { return GetFullDuplexSetting() != 0; }
bool LinkOutputTarget::UseTcp() { return LinkUsesTcp(); }

void LinkOutputTarget::PulseKernelFlag(uint16_t which) {
  if (kernel_.pulseFlag)
    kernel_.pulseFlag(uint8_t(which));
}

void LinkOutputTarget::SynchronizeDebugKernel() {
  if (kernel_.synchronize)
    kernel_.synchronize();
}

const char *CompilerLinkHost::IsMacroDefined(const char *name) { return tsw::IsMacroDefined(name); }
void CompilerLinkHost::ResetTargetCompileFlags() { tsw::ResetTargetCompileFlags(); }

std::string CompilerLinkHost::MakeFilePath(const std::string &path, const char *extension) {
  std::string_view ext = extension;
  if (ext.starts_with('.'))
    ext.remove_prefix(1);
  return tsw::MakeFilePath(path, std::string_view(), ext, kPathReplaceExtension);
}

// The link's errors are recorded in the diagnostic list at the line being
// compiled.
void CompilerLinkHost::CompileError(const LinkCompileError &error) {
  RaiseError(error.Message(), CurrentSourceLine(), CurrentSourceColumn(), DiagnosticText(error.Text()));
}

void CompilerLinkHost::EnableMessageOutput() { tsw::EnableMessageOutput(); }
bool CompilerLinkHost::BiosCodeFlag() { return CodeGen().IsBiosCode(); }
// The BIOS compile is the one whose low memory the image buffer keeps.
bool CompilerLinkHost::BiosImageMode() { return BiosCompileFlag(); }
void CompilerLinkHost::SetBiosImageMode(bool on) { BiosCompileFlag() = on; }
bool CompilerLinkHost::OfflineCompile() { return DirectiveShellInUse().CompileWithoutBoard(); }
bool CompilerLinkHost::IncludeBios() { return Output().includeBios; }
uint16_t CompilerLinkHost::ProgramCodeStart() { return CompiledCodeStart(); }
bool CompilerLinkHost::IsProgramLoaded() { return DirectiveShellInUse().IsProgramLoaded(); }

} // namespace tsw
