#pragma once

// Puts every module of the link back to its start: port closed, connection
// dropped, settings, time limits, image buffer and caches as at start-up.
// For tests of the link and the layers above.
namespace tsw {

void ResetLinkModules();

} // namespace tsw
