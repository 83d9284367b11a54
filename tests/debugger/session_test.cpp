#include "debugger/break_step_session.h"
#include "debugger/debug_fake_session.h"

#include <gtest/gtest.h>

namespace tsw {
namespace {

// A whole debugging session on the scripted board, the engine talking to it
// directly.
class Session : public testing::DebugSessionTest {};

TEST_F(Session, BreakStepAndLeaveTheCodeAsLoaded) { testing::RunBreakStepSession(board, products, ui); }

} // namespace
} // namespace tsw
