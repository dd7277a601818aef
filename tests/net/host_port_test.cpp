#include "net/host_port.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

// Malformed hosts are in the download client's failure table.
TEST(HostPort, PortEightyUnlessTheLastColonGivesOne) {
  HostPort out;
  EXPECT_TRUE(splitHostPort("example.com", out) && out.name == "example.com" && out.port == 80);
  EXPECT_TRUE(splitHostPort("h:1", out) && out.name == "h" && out.port == 1);
  EXPECT_TRUE(splitHostPort("h:65535", out) && out.name == "h" && out.port == 65535);
  EXPECT_TRUE(splitHostPort("a:b:80", out) && out.name == "a:b" && out.port == 80);
}

TEST(HostPort, HttpsServersKeepTheirSchemeAndDefaultTo443) {
  struct Case {
    const char* server;
    bool valid;
    bool secure;
    const char* hostField;
    uint32_t port;
  };
  const Case cases[] = {
      {"h.example", true, false, "h.example", 80},
      {"https://h.example", true, true, "h.example", 443},
      {"HTTPS://h.example:8443", true, true, "h.example:8443", 8443},
      {"https://h:80", true, true, "h:80", 80},
      // Only the exact scheme counts; anything else is a host name that fails as one.
      {"http://h", false, false, "http://h", 0},
      {"https:/h", false, false, "https:/h", 0},
      {"https://", false, true, "", 0},
      {"https://h:0", false, true, "h:0", 0},
  };
  for (const Case& c : cases) {
    ServerAddress out;
    EXPECT_EQ(splitServer(c.server, out), c.valid) << c.server;
    EXPECT_EQ(out.secure, c.secure) << c.server;
    EXPECT_STREQ(out.hostField, c.hostField) << c.server;
    if (c.valid) {
      EXPECT_EQ(out.target.port, c.port) << c.server;
    }
  }
}

}  // namespace
}  // namespace vexa
