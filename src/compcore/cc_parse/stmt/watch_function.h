#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A watch expression is compiled as the body of the function that holds the
// program counter: that function's header and local declarations are read
// again from the program, so the statement names its parameters and locals
// as the function's own code does, and then the statement takes the place
// of the body. The compile that sets a watch up installs what differs for
// that one function; no other function compiles differently.
namespace tsw {

class WatchFunctionSetup {
public:
  virtual ~WatchFunctionSetup() = default;
  // Before the function's own declarations: what they emit must not reach
  // the board, where the program's code stands.
  virtual void DiscardDeclarationCode() = 0;
  // After them: the statement's code goes into the watch code area, its
  // data to the watch variables.
  virtual void EnterWatchCode() = 0;
  // The lines read in place of the function's body, the closing brace
  // included.
  virtual std::vector<std::string> StatementLines() = 0;
  // Whether the statement named a parameter or an automatic variable: the
  // value then means something only while that function runs.
  virtual void SetReadsLocals(bool reads) = 0;
};

// The kernel calls the fragment on the stopped program's stack: its
// return address stands between SP and the function's frame.
inline constexpr int16_t kWatchCallBytes = 2;

// A function's header is read again from the start of its line.
inline constexpr uint8_t kWatchScopeColumn = 1;

// Around the statement's compile. The end returns to the kernel that ran
// the fragment and tells whether the statement named a parameter or an
// automatic variable of the function.
void BeginWatchStatement();
bool EndWatchStatement();

// Null outside a watch compile. The function-body compiler serves the first
// definition met with it and clears it, so the body is compiled once.
WatchFunctionSetup *PendingWatchFunction();
void SetPendingWatchFunction(WatchFunctionSetup *setup);

} // namespace tsw
