#pragma once

#include <string>

// C text of ordinary line lengths, `lines` lines, for the text benchmarks.
inline std::string CSource(int lines) {
  static const char *const kLines[] = {
      "int count_items(struct list *head) {",
      "    int n = 0;",
      "    while (head != NULL) {",
      "        n++; head = head->next;   /* walk the list to its end */",
      "    }",
      "    return n;",
      "}",
      "",
  };
  std::string text;
  for (int i = 0; i < lines; ++i) {
    text += kLines[i % 8];
    if (i + 1 < lines)
      text += "\n";
  }
  return text;
}
