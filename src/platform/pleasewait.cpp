#include "platform/pleasewait.h"

namespace tsw::plat {
namespace {

class NoPleaseWait : public PleaseWaitService {
public:
  void Open(bool) override {}
  void SetText(const std::string &) override {}
  void Pump() override {}
  void Close() override {}
  bool Busy() const override { return false; }
  int PumpDepth() const override { return 0; }
};

NoPleaseWait noPleaseWait;
PleaseWaitService *current = &noPleaseWait;

} // namespace

void SetPleaseWait(PleaseWaitService *service) { current = service ? service : &noPleaseWait; }
PleaseWaitService &PleaseWait() { return *current; }

} // namespace tsw::plat
