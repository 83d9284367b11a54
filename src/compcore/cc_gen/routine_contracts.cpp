#include "compcore/cc_gen/routine_contracts.h"

#include <algorithm>

namespace tsw {

namespace {

using C = StackCleanup;

// A long or float travels in BC:DE, BC the high word.
constexpr std::string_view kLong = "BC:DE";
constexpr std::string_view kAll = "AF BC DE HL";
constexpr std::string_view kStackConversionChanges = "AF, the alternate set";
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
    // Entered by a root bouncer's rst 30h, whose page and address follow
    // it; it calls the function there in its page and returns to the
    // bouncer's caller with the function's results.
    {"_b_all", "stack: the bouncer's page byte's address, the caller's return", "the function's", "the function's",
     "the function's", 2, 0, C::kRoutinePops, false},
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
    // Binary operators of 2-byte operands. Dividend, shifted value: DE;
    // divisor, count: HL.
    {"c.mult", "HL, DE", "HL = HL * DE (low 16 bits)", "AF", "undefined"},
    {"c.div", "DE (dividend), HL (divisor)", "HL = quotient, DE = remainder (signed)", "AF", "undefined"},
    {"c.udv", "DE (dividend), HL (divisor)", "HL = quotient, DE = remainder (unsigned)", "AF", "undefined"},
    {"c.divt", "HL (dividend), A (shift count), B (0x80 for a negative divisor)", "HL = HL / 2^A, toward zero",
     "AF BC", "undefined"},
    {"c.asl", "DE (value), HL (count)", "HL = DE << HL", "AF DE", "undefined"},
    {"c.asr", "DE (value), HL (count)", "HL = DE >> HL, arithmetic", "AF DE", "undefined"},
    {"c.usr", "DE (value), HL (count)", "HL = DE >> HL, logical", "AF DE", "undefined"},
    // The left operand pushed, the right in HL; the routine pops the left.
    {"e.", "stack: left; HL: right", "HL = 1 when equal, else 0", "AF", kZeroIsFalse, 2, 0, C::kRoutinePops},
    {"n.", "stack: left; HL: right", "HL = 1 when different, else 0", "AF", kZeroIsFalse, 2, 0, C::kRoutinePops},
    {"o.", "stack: left; HL: right", "HL = left | right", "AF", kZeroIsFalse, 2, 0, C::kRoutinePops},
    {"a.", "stack: left; HL: right", "HL = left & right", "AF", kZeroIsFalse, 2, 0, C::kRoutinePops},
    {"x.", "stack: left; HL: right", "HL = left ^ right", "AF", kZeroIsFalse, 2, 0, C::kRoutinePops},
    // Binary operators of 4-byte operands: the left pushed, the right in
    // DE:BC; the result in DE:BC (a comparison: HL 0/1). The routine pops
    // the left, except that the float arithmetic leaves 4 bytes for the
    // caller to drop.
    {"L.add", "stack: left; DE:BC: right", "DE:BC = left + right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.sub", "stack: left; DE:BC: right", "DE:BC = left - right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"G_mul", "stack: left; DE:BC: right", "DE:BC = left * right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L_div", "stack: left; DE:BC: right", "DE:BC = left / right, signed", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"G_div", "stack: left; DE:BC: right", "DE:BC = left / right, unsigned", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L_mod", "stack: left; DE:BC: right", "DE:BC = left % right, signed", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"G_mod", "stack: left; DE:BC: right", "DE:BC = left % right, unsigned", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.asl", "stack: left; DE:BC: right", "DE:BC = left << right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.asr", "stack: left; DE:BC: right", "DE:BC = left >> right, arithmetic", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"G.asr", "stack: left; DE:BC: right", "DE:BC = left >> right, logical", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.or", "stack: left; DE:BC: right", "DE:BC = left | right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.xor", "stack: left; DE:BC: right", "DE:BC = left ^ right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"L.and", "stack: left; DE:BC: right", "DE:BC = left & right", "AF HL", "undefined", 4, 0, C::kRoutinePops},
    {"F.add", "stack: left; DE:BC: right", "DE:BC = left + right", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"F.sub", "stack: left; DE:BC: right", "DE:BC = left - right", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"F.mul", "stack: left; DE:BC: right", "DE:BC = left * right", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"F.div", "stack: left; DE:BC: right", "DE:BC = left / right", "AF HL", "undefined", 4, 4, C::kCallerPops},
    {"eq.4", "stack: left; DE:BC: right", "HL = 1 when left == right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"neq.4", "stack: left; DE:BC: right", "HL = 1 when left != right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cl.lt", "stack: left; DE:BC: right", "HL = 1 when left < signed right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cl.le", "stack: left; DE:BC: right", "HL = 1 when left <= signed right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cl.gt", "stack: left; DE:BC: right", "HL = 1 when left > signed right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cl.ge", "stack: left; DE:BC: right", "HL = 1 when left >= signed right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cg.lt", "stack: left; DE:BC: right", "HL = 1 when left < unsigned right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cg.le", "stack: left; DE:BC: right", "HL = 1 when left <= unsigned right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cg.gt", "stack: left; DE:BC: right", "HL = 1 when left > unsigned right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cg.ge", "stack: left; DE:BC: right", "HL = 1 when left >= unsigned right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.eq", "stack: left; DE:BC: right", "HL = 1 when left == right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.ne", "stack: left; DE:BC: right", "HL = 1 when left != right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.lt", "stack: left; DE:BC: right", "HL = 1 when left < right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.le", "stack: left; DE:BC: right", "HL = 1 when left <= right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.gt", "stack: left; DE:BC: right", "HL = 1 when left > right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    {"cf.ge", "stack: left; DE:BC: right", "HL = 1 when left >= right, else 0", "AF BC DE", kZeroIsFalse, 4, 0, C::kRoutinePops},
    // Conversions of the value on top of the stack, replaced by the
    // converted one; a pushed char is a word whose high byte is 0.
    {"C..L", "stack: the char", "stack: the long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"C..G", "stack: the char", "stack: the unsigned long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"C..F", "stack: the char", "stack: the float", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"I..L", "stack: the int", "stack: the long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"I..G", "stack: the int", "stack: the unsigned long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"I..F", "stack: the int", "stack: the float", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"U..L", "stack: the unsigned", "stack: the long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"U..G", "stack: the unsigned", "stack: the unsigned long", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"U..F", "stack: the unsigned", "stack: the float", kStackConversionChanges, "undefined", 2, 4, C::kCallerPops},
    {"L..C", "stack: the long", "stack: the char", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"L..I", "stack: the long", "stack: the int", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"L..U", "stack: the long", "stack: the unsigned", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"L..F", "stack: the long", "stack: the float", kStackConversionChanges, "undefined", 4, 4, C::kCallerPops},
    {"G..C", "stack: the unsigned long", "stack: the char", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"G..I", "stack: the unsigned long", "stack: the int", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"G..U", "stack: the unsigned long", "stack: the unsigned", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"G..F", "stack: the unsigned long", "stack: the float", kStackConversionChanges, "undefined", 4, 4, C::kCallerPops},
    {"F..C", "stack: the float", "stack: the char", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"F..I", "stack: the float", "stack: the int", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"F..U", "stack: the float", "stack: the unsigned", kStackConversionChanges, "undefined", 4, 2, C::kCallerPops},
    {"F..L", "stack: the float", "stack: the long", kStackConversionChanges, "undefined", 4, 4, C::kCallerPops},
    {"F..G", "stack: the float", "stack: the unsigned long", kStackConversionChanges, "undefined", 4, 4, C::kCallerPops},
    // Conversions in registers: H is HL (a char in L, H 0), B is DE:BC.
    {"Hc.Bl", "HL", "DE:BC = the long of the char", "AF", "undefined"},
    {"Hc.Bg", "HL", "DE:BC = the unsigned long of the char", "AF", "undefined"},
    {"Hc.Bf", "HL", "DE:BC = the float of the char", "AF", "undefined"},
    {"Hi.Bl", "HL", "DE:BC = the long of the int", "AF", "undefined"},
    {"Hi.Bg", "HL", "DE:BC = the unsigned long of the int", "AF", "undefined"},
    {"Hi.Bf", "HL", "DE:BC = the float of the int", "AF", "undefined"},
    {"Hu.Bl", "HL", "DE:BC = the long of the unsigned", "AF", "undefined"},
    {"Hu.Bg", "HL", "DE:BC = the unsigned long of the unsigned", "AF", "undefined"},
    {"Hu.Bf", "HL", "DE:BC = the float of the unsigned", "AF", "undefined"},
    {"Bl.Bf", kLong, "DE:BC = the float of the long", "AF", "undefined"},
    {"Bg.Bf", kLong, "DE:BC = the float of the unsigned long", "AF", "undefined"},
    {"Bf.Hc", kLong, "HL = the char of the float", "AF", "undefined"},
    {"Bf.Hi", kLong, "HL = the int of the float", "AF", "undefined"},
    {"Bf.Hu", kLong, "HL = the unsigned of the float", "AF", "undefined"},
    {"Bf.Bl", kLong, "DE:BC = the long of the float", "AF", "undefined"},
    {"Bf.Bg", kLong, "DE:BC = the unsigned long of the float", "AF", "undefined"},
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
    // A slice: the buffer, its size and the time pushed in that order stay
    // on the stack for the slice statement's whole extent. The entry goes
    // on at the call + 3 (the jp past the slice), at the call + 6 (the
    // body) or at the task's resume point; the task part is at the
    // buffer + 6, which the others take in HL.
    {"__slice_entry", "stack: buffer, size, time", "", kAll, "undefined", 6, 6, C::kCallerPops, false},
    {"__slice_exit", "HL (the buffer + 6), B (2 or 3)", "", "AF HL", "undefined"},
    // Both leave the slice on the stack its entry found, through the jp
    // past it: waitfor to come back at the resume point the code stored,
    // yield after its call, abort at the body's top.
    {"__slice_waitfor", "HL (the buffer + 6)", "", kAll, "undefined", 6, 6, C::kCallerPops, false},
    {"__slice_yield", "HL (the buffer + 6)", "", kAll, "undefined", 6, 6, C::kCallerPops},
    {"__slice_abort", "HL (the buffer + 6)", "", kAll, "undefined", 6, 6, C::kCallerPops, false},
    // Tasks: HL is the task buffer (status byte, resume address at +1 with
    // its page at +3 and check byte at +4, waitfor's byte at +5). Control
    // goes to the buffer's resume point when it holds a valid one.
    {"funcblk_entry", "HL (buffer)", "Z set iff the body is skipped (the jump after the call leaves it)", kAll,
     "Z", 0, 0, C::kNothingPushed, false},
    {"funcblk_exit", "HL (buffer), B (2: run again from the top, 3: stay off)", "", kAll, "undefined"},
    // Entries {u16 buffer, u8 start state 2|3} follow the call, ended by a
    // zero word and byte; it continues past them.
    {"funcblk_init", "", "", kAll, "undefined", 0, 0, C::kNothingPushed, false},
    // Cofunctions. Under the prolog's return stand the descriptor's and
    // the everytime block's addresses, 3 bytes the routines keep, the
    // caller's IX and return, the caller's buffer and the item word (C the
    // item, B the instance), then the arguments in the waitfordone's first
    // round. The prolog runs the body (IX the instance's frame base) at its
    // resume point or top, or returns to the jump to the epilog's call. The
    // epilog's routine takes HL the buffer and A 00h (suspended), 01h (ended
    // in an earlier round), 10h (abort) or 18h (ended now), the value in
    // HL'; it takes the item word, the buffer and the arguments off the
    // stack under the prolog's words and leaves for the caller in A' bit 7
    // set (the arguments are taken), then after the caller's rla the sign
    // for abort and zero for a body that ended in this step.
    {"cofprolog_", "stack: descriptor, everytime block, 3 bytes, the caller's IX, return, buffer, item word",
     "IX = the frame base", kAll, "undefined", 4, 4, C::kCallerPops, false},
    {"cofepilog_", "HL (buffer), A (00h, 01h, 10h or 18h), HL' (the value)", "A' for the caller", "AF BC DE HL IX",
     "undefined"},
    // A single-user cofunction serves one call at a time, whose lock
    // address (at 15, the item word at 17) its buffer keeps; A is the lock
    // byte the call read. A call that finds it taken waits, and then calls
    // short, with only its lock address and buffer pushed: it pops them
    // itself and passes the item over unless A is zero after the return.
    {"scofprolog_", "A (the lock byte), stack: as cofprolog_'s, the lock address before the item word",
     "IX = the frame base", kAll, "undefined", 4, 4, C::kCallerPops, false},
    {"scofepilog_", "HL (buffer), A (as cofepilog_'s, or a short call's), HL' (the value)",
     "A' for a full call, A for a short one", "AF BC DE HL IX", "undefined"},
    // The loop head gives up the call a single-user cofunction serves,
    // running its abandon block on the instance's frame.
    {"__scofabandon", "stack: buffer, abandon block's page, abandon block, instance block", "", kAll, "undefined", 8,
     8, C::kCallerPops},
    // The waitfordone header: the lowest lock address of its single-user
    // calls and their count pushed, HL the buffer, whose status bit 7 (the
    // first round) it sets; the lock bytes are freed.
    {"__wfdheader", "HL (buffer), stack: count of single-user calls, their lowest lock address", "", kAll,
     "undefined", 4, 0, C::kRoutinePops},
};

} // namespace

std::span<const RoutineContract> RoutineContracts() { return kContracts; }

const RoutineContract *FindRoutineContract(std::string_view name) {
  const auto *row = std::find_if(std::begin(kContracts), std::end(kContracts),
                                 [name](const RoutineContract &c) { return c.name == name; });
  return row == std::end(kContracts) ? nullptr : row;
}

} // namespace tsw
