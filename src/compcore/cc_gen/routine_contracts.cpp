#include "compcore/cc_gen/routine_contracts.h"

#include <algorithm>

namespace tsw {

namespace {

using C = StackCleanup;

// A long or float travels in BC:DE, BC the high word.
constexpr std::string_view kLong = "BC:DE";
constexpr std::string_view kAll = "AF BC DE HL";
constexpr std::string_view kZeroIsFalse = "Z set iff HL = 0";
constexpr std::string_view kEntryFrame = "alternate set; SP lowered by the frame size";
constexpr std::string_view kEntryFrameIx = "alternate set; SP lowered by the frame size; IX the frame";
constexpr std::string_view kExitFrame = "alternate set; SP raised by the frame size";
constexpr std::string_view kExitFrameIx = "alternate set; SP raised by the frame size; IX restored";

constexpr RoutineContract kContracts[] = {
    // Unary operators on the value register.
    {"c.neg", "HL", "HL = -HL", "AF", "undefined"},
    {"c.com", "HL", "HL = ~HL", "AF", "undefined"},
    {"c.not", "HL", "HL = 1 when HL was 0, else 0", "AF", kZeroIsFalse},
    {"L.neg", kLong, "BC:DE = -BC:DE", "AF", "undefined"},
    {"L.com", kLong, "BC:DE = ~BC:DE", "AF", "undefined"},
    {"L.not", kLong, "HL = 1 when BC:DE was 0, else 0", "AF", kZeroIsFalse},
    {"F.neg", kLong, "BC:DE with its sign inverted", "AF", "undefined"},
    {"F.not", kLong, "HL = 1 when BC:DE was +0.0 or -0.0, else 0", "AF", kZeroIsFalse},
    // Zero tests: the zero-flag-to-HL sequence follows them.
    {"long.0", kLong, "", "AF", "Z set iff BC:DE = 0"},
    {"flt.0", kLong, "", "AF", "Z set iff BC:DE is +0.0 or -0.0"},
    // The 4-byte value on top of the stack and the one in BC:DE change
    // places.
    {"swap4.", kLong, "BC:DE = the stacked value", "AF", "undefined", 4, 4, C::kCallerPops},
    // BC entries {u16 value, u16 address, u8 segment} follow the call; it
    // continues at the matching entry's address or after the table.
    {"_switch", "HL (the value), BC (the entry count)", "", kAll, "undefined", 0, 0, C::kRoutinePops, false},
    // 4-byte loads and stores through HL by memory class.
    {"llong.s", "HL (address, shared data)", "BC:DE", "AF HL", "undefined"},
    {"llong.", "HL (address)", "BC:DE", "AF", "undefined"},
    {"slong.s", "HL (address, shared data), BC:DE", "", "AF HL", "undefined"},
    {"slong.ss", "HL (address, protected data), BC:DE", "", "AF HL", "undefined"},
    {"slong.", "HL (address), BC:DE", "", "AF", "undefined"},
    {"slong_s", "HL (address, shared data), BC:DE", "BC:DE", "AF HL", "undefined"},
    {"slong_ss", "HL (address, protected data), BC:DE", "BC:DE", "AF HL", "undefined"},
    {"slong_", "HL (address), BC:DE", "BC:DE", "AF HL", "undefined"},
    {"st4.s", "HL (address, shared data), BC:DE", "BC:DE", "AF HL", "undefined"},
    {"st4.ss", "HL (address, protected data), BC:DE", "BC:DE", "AF HL", "undefined"},
    {"st4.", "HL (address), BC:DE", "BC:DE", "AF HL", "undefined"},
    // Block copies: HL source, DE destination, BC count, as ldir.
    {"doldir.s", "HL, DE, BC", "HL, DE past the blocks, BC = 0", "AF", "undefined"},
    {"ldir_func", "HL, DE, BC", "HL, DE past the blocks, BC = 0", "AF", "undefined"},
    {"lddr_func", "HL, DE, BC", "HL, DE before the blocks, BC = 0", "AF", "undefined"},
    // A bit of memory (BIT, RES, SET), internal I/O (I...) or external I/O
    // (E...) whose number is known only at run time: the address and the
    // bit number are pushed, and the caller removes them.
    {"BIT", "stack: address, bit number", "", "AF HL", "Z set iff the bit is 0", 4, 4, C::kCallerPops},
    {"IBIT", "stack: port, bit number", "", "AF HL", "Z set iff the bit is 0", 4, 4, C::kCallerPops},
    {"EBIT", "stack: port, bit number", "", "AF HL", "Z set iff the bit is 0", 4, 4, C::kCallerPops},
    {"RES", "stack: address, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"IRES", "stack: port, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"ERES", "stack: port, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"SET", "stack: address, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"ISET", "stack: port, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"ESET", "stack: port, bit number", "", "AF HL", "undefined", 4, 4, C::kCallerPops},
    // Run-time checks that failed: a store refused by the page check, an
    // index past its array's bound. They report and do not come back.
    {"bound.e", "", "", kAll, "undefined", 0, 0, C::kNothingPushed, false},
    {"abound.e", "HL (the index)", "", kAll, "undefined", 0, 0, C::kNothingPushed, false},
    // Frame routines, entered after exx with HL = -frame size (entry) or
    // +frame size (exit), DE the register area and BC its size where the
    // routine saves it; they return in the main register set. A jump to an
    // exit routine returns for the function.
    {"sspixffn_", "HL' (-frame size)", "", kEntryFrame, "undefined"},
    {"sspixff_", "HL' (-frame size)", "", kEntryFrameIx, "undefined"},
    {"sspixfn_", "HL' (-frame size)", "", kEntryFrame, "undefined"},
    {"sspixf_", "HL' (-frame size)", "", kEntryFrameIx, "undefined"},
    {"sspixrffw_", "HL' (-frame size), DE' (area), BC' (size)", "", kEntryFrameIx, "undefined"},
    {"sspixrff_", "HL' (-frame size), DE' (area), BC' (size)", "", kEntryFrameIx, "undefined"},
    {"sspixrf_", "HL' (-frame size), DE' (area), BC' (size)", "", kEntryFrameIx, "undefined"},
    {"rspixffn_", "HL' (+frame size)", "", kExitFrame, "undefined"},
    {"rspixff_", "HL' (+frame size)", "", kExitFrameIx, "undefined"},
    {"rspixfn_", "HL' (+frame size)", "", kExitFrame, "undefined"},
    {"rspixf_", "HL' (+frame size)", "", kExitFrameIx, "undefined"},
    {"rspixrff_", "HL' (+frame size), DE' (area), BC' (size)", "", kExitFrameIx, "undefined"},
    {"rspixrf_", "HL' (+frame size), DE' (area), BC' (size)", "", kExitFrameIx, "undefined"},
    // Interrupt entry after push af; push hl, and the routines an interrupt
    // function's final ret lands in: they restore what the entry saved and
    // return from the interrupt (reti, ret, retn by kind).
    // It may save more below what the entry pushed; the intr routine takes
    // all of it off.
    {"entint.", "", "", "none", "kept", 4, 4, C::kRoutinePops},
    {"intr1", "", "the interrupted code's registers", kAll, "restored", 4, 0, C::kRoutinePops, false},
    {"intr2", "", "the interrupted code's registers", kAll, "restored", 4, 0, C::kRoutinePops, false},
    {"intr3", "", "the interrupted code's registers", kAll, "restored", 4, 0, C::kRoutinePops, false},
};

} // namespace

std::span<const RoutineContract> RoutineContracts() { return kContracts; }

const RoutineContract *FindRoutineContract(std::string_view name) {
  const auto *row = std::find_if(std::begin(kContracts), std::end(kContracts),
                                 [name](const RoutineContract &c) { return c.name == name; });
  return row == std::end(kContracts) ? nullptr : row;
}

} // namespace tsw
