// Argument vectors for parser tests.
#pragma once

#include <sstream>
#include <string>
#include <vector>

// "prog" followed by the blank-separated words of line; argv[argc] is NULL.
struct Args {
  std::vector<std::string> words;
  std::vector<const char*> argv;
  explicit Args(const std::string& line) : words{"prog"} {
    std::istringstream in(line);
    for (std::string w; in >> w;)
      words.push_back(w);
    for (const std::string& w : words)
      argv.push_back(w.c_str());
    argv.push_back(nullptr);
  }
  int argc() const { return int(words.size()); }
  const char* const* v() const { return argv.data(); }
};
