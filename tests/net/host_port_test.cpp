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

}  // namespace
}  // namespace vexa
