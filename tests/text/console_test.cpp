// The banner and the console answer, through standard output and input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "text/banner.h"
#include "text/console.h"

namespace {

TEST(Banner, YearsOfTheNotice) {
  struct Case {
    int firstYear;
    const char* years;
  };
  constexpr Case kCases[] = {{2013, "2013 "}, {2005, "2005-2013 "}, {2003, "2003-2013 "}};
  for (const Case& c : kCases) {
    testing::internal::CaptureStdout();
    int n = PrintBanner("QUELON", c.firstYear);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(n, int(out.size()));
    const std::string head = "QUELON 6.2-13  (Build: Oct 26 2013)\n";
    ASSERT_EQ(out.substr(0, head.size()), head);
    std::string notice = out.substr(head.size());
    EXPECT_NE(notice.find(c.years), std::string::npos) << notice;
    EXPECT_EQ(notice.find('\n'), notice.size() - 2) << "one notice line, then an empty line";
    if (c.firstYear == 2013) {
      EXPECT_EQ(notice.find("-2013"), std::string::npos);
    }
  }
}

// Standard input replaced by a pipe holding the typed text.
class ConsoleInput : public testing::Test {
 protected:
  void SetUp() override { saved_ = dup(STDIN_FILENO); }
  void TearDown() override {
    dup2(saved_, STDIN_FILENO);
    close(saved_);
    clearerr(stdin);
  }
  void Type(const std::string& text) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], text.data(), text.size()), ssize_t(text.size()));
    close(fds[1]);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    clearerr(stdin);
  }
  int saved_ = -1;
};

TEST_F(ConsoleInput, OneKeyAnswers) {
  struct Case {
    const char* typed;
    int answer;
  };
  constexpr Case kCases[] = {
      {"yes\n", '?'}, {"y\n", 'y'}, {"\n", '\n'}, {"", EOF}, {"n", 'n'}, {"no", '?'},
  };
  for (const Case& c : kCases) {
    Type(c.typed);
    EXPECT_EQ(ConsoleReadAnswer(), c.answer) << c.typed;
  }
}

TEST_F(ConsoleInput, EachAnswerTakesOneLine) {
  Type("yes\ny\n\nq\n");
  EXPECT_EQ(ConsoleReadAnswer(), '?');
  EXPECT_EQ(ConsoleReadAnswer(), 'y');
  EXPECT_EQ(ConsoleReadAnswer(), '\n');
  EXPECT_EQ(ConsoleReadAnswer(), 'q');
  EXPECT_EQ(ConsoleReadAnswer(), EOF);
}

}  // namespace
