#pragma once

// Message numbers the compiler's phases share.
namespace tsw {

inline constexpr unsigned kMsgBiosSymbolsFailed = 5037;

} // namespace tsw
