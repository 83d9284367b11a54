#include "debugger/insnenv.h"

namespace tsw {
namespace {

InsnEnvironment gNeutral;
InsnEnvironment *gEnvironment = &gNeutral;

} // namespace

void SetInsnEnvironment(InsnEnvironment *environment) { gEnvironment = environment ? environment : &gNeutral; }

InsnEnvironment &InsnEnv() { return *gEnvironment; }

} // namespace tsw
