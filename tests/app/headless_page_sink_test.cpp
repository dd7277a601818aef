#include "app/headless_page_sink.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vexa {
namespace {

std::string contents(FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

std::string fileBytes(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  std::string text = contents(file);
  std::fclose(file);
  return text;
}

class HeadlessPageSinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vexa-pages-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    out_ = std::tmpfile();
    errors_ = std::tmpfile();
    ASSERT_NE(out_, nullptr);
    ASSERT_NE(errors_, nullptr);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    std::fclose(out_);
    std::fclose(errors_);
  }

  std::string dir_;
  FILE* out_ = nullptr;
  FILE* errors_ = nullptr;
};

TEST_F(HeadlessPageSinkTest, KeepsEveryPageByteForByteAndPrintsItsText) {
  const std::string pages = dir_ + "/a/b";  // missing folders are made
  HeadlessPageSink sink(out_, errors_, pages);
  std::string error;
  ASSERT_FALSE(sink.prepare(error)) << error;

  TextBuffer page;
  page.assign(
      "<html><body>\r\n[<a href=\"ngid:x\">1<span class=\"popup\">x</span></a>] a <br>\r\n"
      "</body></html>\r\n\x82\xA0");
  sink.showPage(page);
  page.assign("");
  sink.showPage(page);
  page.assign("<body>third</body>");
  sink.showPage(page);

  EXPECT_EQ(sink.pageCount(), 3u);
  EXPECT_FALSE(sink.writeFailed());
  EXPECT_EQ(fileBytes(pages + "/0001.html"),
            "<html><body>\r\n[<a href=\"ngid:x\">1<span class=\"popup\">x</span></a>] a <br>\r\n"
            "</body></html>\r\n\x82\xA0");
  EXPECT_EQ(fileBytes(pages + "/0002.html"), "");
  EXPECT_EQ(fileBytes(pages + "/0003.html"), "<body>third</body>");
  EXPECT_EQ(contents(out_), "--- page 1 ---\n[1 ID:x] a\n--- page 2 ---\n--- page 3 ---\nthird\n");
  EXPECT_EQ(contents(errors_), "");
}

TEST_F(HeadlessPageSinkTest, WithoutAFolderOnlyPrints) {
  HeadlessPageSink sink(out_, errors_, "");
  std::string error;
  ASSERT_FALSE(sink.prepare(error));
  TextBuffer page;
  page.assign("<body>x</body>");
  sink.showPage(page);
  EXPECT_EQ(contents(out_), "--- page 1 ---\nx\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(HeadlessPageSinkTest, AFolderThatCannotBeUsedIsReported) {
  const std::string file = dir_ + "/plain";
  std::fclose(std::fopen(file.c_str(), "wb"));
  for (const std::string& pages : {file, file + "/below"}) {
    HeadlessPageSink sink(out_, errors_, pages);
    std::string error;
    EXPECT_TRUE(sink.prepare(error)) << pages;
    EXPECT_NE(error.find(pages), std::string::npos) << error;
  }
}

TEST_F(HeadlessPageSinkTest, APageThatCannotBeWrittenIsReportedAndTheRunGoesOn) {
  const std::string pages = dir_ + "/p";
  HeadlessPageSink sink(out_, errors_, pages);
  std::string error;
  ASSERT_FALSE(sink.prepare(error));
  // Root ignores permissions, so block the file name with a folder instead.
  std::filesystem::create_directory(pages + "/0001.html");
  TextBuffer page;
  page.assign("<body>x</body>");
  sink.showPage(page);
  sink.showPage(page);
  EXPECT_TRUE(sink.writeFailed());
  EXPECT_NE(contents(errors_).find("0001.html"), std::string::npos);
  EXPECT_EQ(fileBytes(pages + "/0002.html"), "<body>x</body>");
  EXPECT_EQ(contents(out_), "--- page 1 ---\nx\n--- page 2 ---\nx\n");
}

}  // namespace
}  // namespace vexa
