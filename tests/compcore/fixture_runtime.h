#pragma once

#include <string>

// The run-time routines generated code calls, as a default header that
// defines each one in a module of its own: a compile links only the
// routines its program names, behind the program's own code, so that what
// a test decodes of the program stays where it was. Their bodies are bare
// returns, for compiles that are decoded, never run. The routines of
// cooperative multitasking and interrupts, "_switch" and "premain" are not
// among them: the tests of those define their own, where the decoded calls
// expect them.
namespace tsw::testing {

inline constexpr const char *kFixtureRuntimeRoutines[] = {
    // frames and the bouncer into extended memory
    "_b_all",
    "sspixffn_", "sspixff_", "sspixfn_", "sspixf_", "sspixrffw_", "sspixrff_", "sspixrf_", "rspixffn_", "rspixff_",
    "rspixfn_", "rspixf_", "rspixrff_", "rspixrf_",
    // int, long and float operators
    "c_neg", "c_com", "c_not", "L_neg", "L_com", "L_not", "F_neg", "F_not", "long_0", "flt_0", "swap4_",
    "llong_s", "llong_", "slong_s", "slong_ss", "slong_", "st4_s", "st4_ss", "st4_", "doldir_s", "ldir_func",
    "lddr_func", "bound_e", "abound_e", "c_mult", "c_div", "c_udv", "c_divt", "c_asl", "c_asr", "c_usr", "e_", "n_",
    "o_", "a_", "x_", "L_add", "L_sub", "G_mul", "L_div", "G_div", "L_mod", "G_mod", "L_asl", "L_asr", "G_asr", "L_or",
    "L_xor", "L_and", "F_add", "F_sub", "F_mul", "F_div", "eq_4", "neq_4", "cl_lt", "cl_le", "cl_gt", "cl_ge", "cg_lt",
    "cg_le", "cg_gt", "cg_ge", "cf_eq", "cf_ne", "cf_lt", "cf_le", "cf_gt", "cf_ge",
    // conversions
    "C__L", "C__G", "C__F", "I__L", "I__G", "I__F", "U__L", "U__G", "U__F", "L__C", "L__I", "L__U", "L__F", "G__C",
    "G__I", "G__U", "G__F", "F__C", "F__I", "F__U", "F__L", "F__G", "Hc_Bl", "Hc_Bg", "Hc_Bf", "Hi_Bl", "Hi_Bg",
    "Hi_Bf", "Hu_Bl", "Hu_Bg", "Hu_Bf", "Bl_Bf", "Bg_Bf", "Bf_Hc", "Bf_Hi", "Bf_Hu", "Bf_Bl", "Bf_Bg",
    // bits
    "BIT", "IBIT", "EBIT", "RES", "IRES", "ERES", "SET", "ISET", "ESET",
};

inline std::string FixtureRuntimeLibrary() {
  std::string text = "/*** beginheader */\n/*** endheader */\n";
  for (const char *name : kFixtureRuntimeRoutines)
    text += std::string("/*** beginheader ") + name + " */\n/*** endheader */\n#asm\n" + name + "::\n ret\n#endasm\n";
  return text;
}

} // namespace tsw::testing
