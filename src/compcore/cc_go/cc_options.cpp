#include "compcore/cc_go/cc_cfg.h"
#include "compcore/cc_go/cc_go.h"

namespace tsw {

uint16_t GetCompilerOptions(uint16_t &warn, uint16_t &index, uint16_t &ptr, uint16_t &stack, uint16_t &size,
                            uint16_t &lit, uint16_t &mac, uint16_t &sym, uint16_t &cchexf, ProtocolSwitches &tc) {
  const CompilerSettings &c = CompilerConfig();
  warn = c.warn, index = c.index, ptr = c.ptr, stack = c.stack, size = c.size;
  lit = c.lit, mac = c.mac, sym = c.sym, cchexf = c.cchexf;
  tc = {c.tcprot, c.tcptr, c.tcdmtn};
  return c.romc;
}

void SetCompilerOptions(uint16_t warn, uint16_t index, uint16_t ptr, uint16_t stack, uint16_t size, uint16_t lit,
                        uint16_t mac, uint16_t sym, uint16_t cchexf, const ProtocolSwitches &tc) {
  CompilerSettings &c = CompilerConfig();
  c.warn = warn, c.index = index, c.ptr = ptr, c.stack = stack, c.size = size;
  c.lit = lit, c.mac = mac, c.sym = sym, c.cchexf = cchexf;
  c.tcprot = tc.tcprot, c.tcptr = tc.tcptr, c.tcdmtn = tc.tcdmtn;
  c.romc = 0;
}

void GetMemoryMapOptions(uint16_t &romx, uint16_t &rome, uint16_t &rams, uint16_t &rame, uint16_t &ramg, uint16_t &romc,
                         uint16_t &ramcfg) {
  const CompilerSettings &c = CompilerConfig();
  romx = c.romx, rome = c.rome, rams = c.rams, rame = c.rame, ramg = c.ramg, romc = c.romc, ramcfg = c.ramcfg;
}

void SetMemoryMapOptions(uint16_t romx, uint16_t rome, uint16_t rams, uint16_t rame, uint16_t ramg, uint16_t ramcfg) {
  CompilerSettings &c = CompilerConfig();
  c.romx = romx, c.rome = rome, c.rams = rams, c.rame = rame, c.ramg = ramg, c.ramcfg = ramcfg;
}

void GetRootMapOptions(uint16_t &ustk, uint16_t &astk, uint16_t &heap, uint16_t &free) {
  const CompilerSettings &c = CompilerConfig();
  ustk = c.ustk, astk = c.astk, heap = c.heap, free = c.free;
}

void SetRootMapOptions(uint16_t ustk, uint16_t astk, uint16_t heap, uint16_t free) {
  CompilerSettings &c = CompilerConfig();
  c.ustk = ustk, c.astk = astk, c.heap = heap, c.free = free;
}

void GetReservedMemoryOptions(uint16_t &logrs, uint16_t &logxs) {
  logrs = CompilerConfig().logrs;
  logxs = CompilerConfig().logxs;
}

void SetReservedMemoryOptions(uint16_t logrs, uint16_t logxs) {
  CompilerConfig().logrs = logrs;
  CompilerConfig().logxs = logxs;
}

} // namespace tsw
