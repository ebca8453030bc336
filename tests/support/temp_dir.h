#pragma once
// Temporary directories and small files of the tests.

#include <string>

// A fresh directory below $TMPDIR (else /tmp), removed with its contents at
// the end; path() is empty when none could be made.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteTextFile(const std::string& path, const std::string& text);
// "" for a missing file.
std::string ReadTextFile(const std::string& path);
