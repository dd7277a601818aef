// Downloads from Python's http.server, so the framing is checked against code nobody here wrote.

#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/net/download_fixture.h"
#include "tests/net/python_server.h"

namespace vexa {
namespace {

using test::downloadOnTask;
using test::PythonServer;
using test::TestClient;
using test::TestHost;

std::string patternBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) % 256);
  return bytes;
}

class TempDirectory {
 public:
  TempDirectory() {
    char name[] = "/tmp/vexa-net-XXXXXX";
    path_ = ::mkdtemp(name) ? name : "";
  }
  ~TempDirectory() {
    if (!path_.empty()) std::filesystem::remove_all(path_);
  }
  const std::string& path() const { return path_; }
  void write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ + "/" + name, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

// A handler that answers without Content-Length (HTTP/1.0: the close ends the body), sets a
// cookie on /set and echoes the request's Cookie header on /echo.
const char* const kUntilCloseServer = R"(
import http.server, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if self.path == "/set":
            self.send_header("Set-Cookie", "sid=abc123; Path=/; HttpOnly")
        self.end_headers()
        if self.path == "/echo":
            self.wfile.write((self.headers.get("Cookie") or "none").encode())
            return
        size = int(self.path.strip("/") or "0") if self.path.strip("/").isdigit() else 0
        data = bytes(((i * 7 + i // 251) % 256) for i in range(size))
        for start in range(0, size, 10000):
            self.wfile.write(data[start:start + 10000])
            self.wfile.flush()
    def log_message(self, *args):
        pass
server = http.server.HTTPServer((sys.argv[1], 0), Handler)
print("port", server.server_address[1], flush=True)
server.serve_forever()
)";

TEST(PythonServer, ContentLengthBodiesByteForByte) {
  if (!test::pythonAvailable()) GTEST_SKIP() << "no " << test::kPython;
  TempDirectory directory;
  ASSERT_FALSE(directory.path().empty());
  const std::string big = patternBytes(1024 * 1024 + 17);
  directory.write("big.bin", big);
  directory.write("small.txt", "hello from python\n");
  directory.write("empty.txt", "");
  PythonServer server(
      {"-m", "http.server", "--bind", "127.0.0.2", "0", "--directory", directory.path()});
  ASSERT_NE(server.port(), 0) << "http.server did not start";
  const std::string host = "127.0.0.2:" + std::to_string(server.port());

  struct Case {
    const char* path;
    std::string body;
  };
  const Case cases[] = {
      {"/big.bin", big}, {"/small.txt", "hello from python\n"}, {"/empty.txt", ""}};
  TestHost testHost;
  TestClient client(testHost);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    ASSERT_FALSE(downloadOnTask(client, host, c.path)) << client.recorder.lines.back();
    EXPECT_EQ(client.body().size(), c.body.size());
    EXPECT_TRUE(client.body() == c.body);
  }
  EXPECT_TRUE(downloadOnTask(client, host, "/missing.txt"));
  EXPECT_EQ(client.recorder.lines.back(), "サーバーがエラーを返しました (HTTP 404)");
}

TEST(PythonServer, BodiesReadUntilTheServerCloses) {
  if (!test::pythonAvailable()) GTEST_SKIP() << "no " << test::kPython;
  PythonServer server({"-c", kUntilCloseServer, "127.0.0.4"});
  ASSERT_NE(server.port(), 0) << "the server did not start";
  const std::string host = "127.0.0.4:" + std::to_string(server.port());
  TestHost testHost;
  TestClient client(testHost);
  for (size_t size : {size_t{0}, size_t{1}, size_t{2048}, size_t{300000}}) {
    SCOPED_TRACE(size);
    ASSERT_FALSE(downloadOnTask(client, host, "/" + std::to_string(size)));
    EXPECT_EQ(client.body().size(), size);
    EXPECT_TRUE(client.body() == patternBytes(size));
  }
}

TEST(PythonServer, CookiesFromOneServerGoToAnother) {
  if (!test::pythonAvailable()) GTEST_SKIP() << "no " << test::kPython;
  PythonServer setter({"-c", kUntilCloseServer, "127.0.0.5"});
  PythonServer echo({"-c", kUntilCloseServer, "127.0.0.6"});
  ASSERT_NE(setter.port(), 0);
  ASSERT_NE(echo.port(), 0);
  TestHost testHost;
  TestClient client(testHost);
  ASSERT_FALSE(downloadOnTask(client, "127.0.0.6:" + std::to_string(echo.port()), "/echo"));
  EXPECT_EQ(client.body(), "none");
  ASSERT_FALSE(downloadOnTask(client, "127.0.0.5:" + std::to_string(setter.port()), "/set"));
  ASSERT_FALSE(downloadOnTask(client, "127.0.0.6:" + std::to_string(echo.port()), "/echo"));
  EXPECT_EQ(client.body(), "sid=abc123;");
}

}  // namespace
}  // namespace vexa
