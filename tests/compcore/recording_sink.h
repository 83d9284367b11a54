#pragma once

#include "compcore/cc_er/cc_er.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsw::testing {

// One diagnostic as the compiler reported it.
struct Diagnostic {
  unsigned message;
  int kind; // 2 error, 1 serious, 0 trivial
  uint16_t line;
  uint16_t column;
  std::string text;
};

// Every diagnostic in the order reported; the error limit is never reached.
class RecordingSink : public DiagnosticSink {
public:
  bool RecordError(unsigned message, uint16_t line, uint16_t column, const std::string &text) override {
    records.push_back({message, 2, line, column, text});
    return false;
  }
  void RecordWarning(unsigned message, int level, uint16_t line, uint16_t column, const std::string &text) override {
    records.push_back({message, level, line, column, text});
  }
  std::vector<unsigned> Messages() const {
    std::vector<unsigned> out;
    for (const Diagnostic &d : records)
      out.push_back(d.message);
    return out;
  }
  std::vector<Diagnostic> records;
};

} // namespace tsw::testing
