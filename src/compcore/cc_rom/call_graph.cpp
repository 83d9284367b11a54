#include "compcore/cc_rom/call_graph.h"

#include <algorithm>
#include <ostream>
#include <vector>

namespace tsw {
namespace {

constexpr std::string_view kIndent = "   ";

class CallGraphWriter {
public:
  CallGraphWriter(std::ostream &out, const CallGraph &graph) : out_(out), graph_(graph) {}

  void WriteNode(const MapRecord &record, size_t depth) {
    for (size_t i = 0; i < depth; ++i)
      out_ << kIndent;
    out_ << record.name;
    if (std::find(path_.begin(), path_.end(), record.name) != path_.end()) {
      out_ << "->***recurses***\n";
      return;
    }
    path_.push_back(record.name);
    out_ << '\n';
    for (const std::string &callee : record.calls) {
      auto found = graph_.find(callee);
      if (found != graph_.end())
        WriteNode(*found->second, depth + 1);
    }
    path_.pop_back();
  }

private:
  std::ostream &out_;
  const CallGraph &graph_;
  std::vector<std::string> path_;
};

} // namespace

void WriteCallGraph(std::ostream &out, const CallGraph &graph, std::string_view root) {
  auto found = graph.find(root);
  if (found == graph.end()) {
    out << "No call graph information available.\n";
    return;
  }
  CallGraphWriter(out, graph).WriteNode(*found->second, 0);
}

} // namespace tsw
